// Test label: unit
// scripts/bootstrap as a user without root: it installs through sudo when there is one
// and otherwise says in one line what to do. The system is stood in for by small
// programs on PATH (id, dpkg-query reporting every package missing, sudo).
#include "support/TestPaths.h"
#include "support/TimeLimits.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writeProgram(const QString &path, const QByteArray &script)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + script);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
}

struct ScriptRun
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ScriptRun runBootstrap(const QString &path)
{
    QProcess bootstrap;
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), path);
    bootstrap.setProcessEnvironment(environment);
    bootstrap.start(QStringLiteral("/bin/bash"), {veyra::test::sourceDir() + QStringLiteral("/scripts/bootstrap")});
    EXPECT_TRUE(bootstrap.waitForFinished(veyra::test::scaledMs(30000)));
    return {bootstrap.exitCode(), bootstrap.readAllStandardOutput(), bootstrap.readAllStandardError()};
}

} // namespace

TEST(BootstrapScript, AUserWithoutSudoIsToldWhatToRunInstead)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    writeProgram(bin.filePath(QStringLiteral("id")), "echo 1000\n");
    writeProgram(bin.filePath(QStringLiteral("dpkg-query")), "exit 1\n");
    const QString grep = QStandardPaths::findExecutable(QStringLiteral("grep"));
    ASSERT_FALSE(grep.isEmpty());
    ASSERT_TRUE(QFile::link(grep, bin.filePath(QStringLiteral("grep"))));

    const ScriptRun withoutSudo = runBootstrap(bin.path());
    EXPECT_EQ(withoutSudo.exitCode, 1) << withoutSudo.errors.toStdString();
    EXPECT_TRUE(withoutSudo.output.isEmpty());
    const QList<QByteArray> lines = withoutSudo.errors.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 1) << withoutSudo.errors.toStdString();
    EXPECT_TRUE(lines[0].contains("sudo is not installed")) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains("as root")) << lines[0].toStdString();

    // With sudo, the packages are installed through it.
    const QString calls = bin.filePath(QStringLiteral("sudo-calls"));
    writeProgram(bin.filePath(QStringLiteral("sudo")), "echo \"$*\" >> '" + calls.toUtf8() + "'\n");
    const ScriptRun withSudo = runBootstrap(bin.path());
    EXPECT_EQ(withSudo.exitCode, 0) << withSudo.errors.toStdString();
    QFile recorded(calls);
    ASSERT_TRUE(recorded.open(QIODevice::ReadOnly));
    const QList<QByteArray> sudoCalls = recorded.readAll().trimmed().split('\n');
    ASSERT_EQ(sudoCalls.size(), 2);
    EXPECT_EQ(sudoCalls[0], "apt-get update -qq");
    EXPECT_TRUE(sudoCalls[1].startsWith("apt-get install -y -qq --no-install-recommends build-essential"));
}
