#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QString>

#include <benchmark/benchmark.h>

// Times the end of the application in a fresh process of this benchmark program for each
// iteration: the program is started again with "--quit-while-reading=<index>" and prints
// the seconds its end took, which become the iteration's (manual) time.
inline void timeQuitInFreshProcesses(benchmark::State &state, int index)
{
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--quit-while-reading=%1").arg(index)});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            state.SkipWithError("the fresh process failed");
            break;
        }
        state.SetIterationTime(QString::fromLatin1(child.readAllStandardOutput()).toDouble());
    }
}
