// Test label: unit
#include "foundation/settings/UserDefaults.h"
#include "foundation/files/FileIO.h"
#include "support/LogCapture.h"
#include "support/NamedPipe.h"
#include "support/SmallDisk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <sys/stat.h>

using namespace veyra;
using veyra::test::LogCapture;
using veyra::test::NamedPipe;
using veyra::test::SmallDisk;

namespace {
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Another program's change that neither the size nor the time of the file tells: `bytes`,
// padded with blanks to the file's size, given back the file's modification time.
void changeKeepingSizeAndTime(const QString &path, QByteArray bytes)
{
    struct stat before
    { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    ASSERT_LE(bytes.size(), before.st_size);
    writeFile(path, bytes.leftJustified(before.st_size, ' '));
    const timespec times[2]{{0, UTIME_OMIT}, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// The settings in the file as another process would read them. QSettings shares what it read
// of one file within a process, and takes a file of a name it read before, of the same size
// and modification time, for the one it read: each look reads a copy under a new name.
QVariantMap settingsOnDisk(const QString &path)
{
    static int copies = 0;
    const QString copy = path + QStringLiteral(".copy-%1").arg(++copies);
    QFile::remove(copy);
    if (!QFile::copy(path, copy)) {
        return {};
    }
    QVariantMap settings;
    {
        UserDefaults defaults(copy);
        for (const char *key : {"client_language", "policy", "opacity", "layouts"}) {
            if (defaults.contains(QLatin1String(key))) {
                settings.insert(QLatin1String(key), defaults.object(QLatin1String(key)));
            }
        }
    }
    QFile::remove(copy);
    return settings;
}

QStringList damagedCopies(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("defaults.json.damaged-*")}, QDir::Files | QDir::System, QDir::Name);
}
} // namespace

TEST(UserDefaults, ValuesKeepTheirTypesAcrossARestart)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("nested/defaults.json"));
    const QByteArray bytes("\x00\xFF{\"not json\"}", 14);
    {
        UserDefaults defaults(path);
        defaults.setValue(QStringLiteral("integer"), 80);
        defaults.setValue(QStringLiteral("big"), Q_INT64_C(9007199254740993));
        defaults.setValue(QStringLiteral("double"), 3.0);
        defaults.setValue(QStringLiteral("fraction"), 0.25);
        defaults.setValue(QStringLiteral("string"), QStringLiteral("42"));
        defaults.setValue(QStringLiteral("bool"), true);
        defaults.setValue(QStringLiteral("bytes"), bytes);
        defaults.setValue(QStringLiteral("removed"), 1);
        defaults.remove(QStringLiteral("removed"));
    }
    // QSettings shares what it read of one file within a process; a copy under another
    // name is read from disk.
    const QString copy = dir.filePath(QStringLiteral("copy.json"));
    ASSERT_TRUE(QFile::copy(path, copy));
    UserDefaults defaults(copy);
    EXPECT_EQ(defaults.object(QStringLiteral("integer")).typeId(), QMetaType::LongLong);
    EXPECT_EQ(defaults.integer(QStringLiteral("integer")), 80);
    EXPECT_EQ(defaults.integer(QStringLiteral("big")), Q_INT64_C(9007199254740993));
    EXPECT_EQ(defaults.object(QStringLiteral("double")).typeId(), QMetaType::Double);
    EXPECT_EQ(defaults.number(QStringLiteral("double")), 3.0);
    EXPECT_EQ(defaults.number(QStringLiteral("fraction")), 0.25);
    EXPECT_EQ(defaults.object(QStringLiteral("string")).typeId(), QMetaType::QString);
    EXPECT_EQ(defaults.string(QStringLiteral("string")), QStringLiteral("42"));
    EXPECT_EQ(defaults.boolean(QStringLiteral("bool")), true);
    EXPECT_EQ(defaults.object(QStringLiteral("bytes")).typeId(), QMetaType::QByteArray);
    EXPECT_EQ(defaults.data(QStringLiteral("bytes")), bytes);
    EXPECT_FALSE(defaults.contains(QStringLiteral("removed")));
    EXPECT_FALSE(defaults.string(QStringLiteral("missing")));

    // Typed readers answer only for compatible values.
    EXPECT_EQ(defaults.string(QStringLiteral("integer")), QStringLiteral("80"));
    EXPECT_FALSE(defaults.string(QStringLiteral("bytes")));
    EXPECT_FALSE(defaults.data(QStringLiteral("string")));
    EXPECT_FALSE(defaults.integer(QStringLiteral("bytes")));
}

TEST(UserDefaults, MapsListsAndSpecialNumbersNeverReadBackAsAnotherType)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    const QVariantMap looksLikeDouble{{QStringLiteral("double"), 2.5}};
    const QVariantMap looksLikeData{{QStringLiteral("data"), QStringLiteral("AAE=")}};
    const QVariantMap nested{{QStringLiteral("map"), QVariantMap{{QStringLiteral("bytes"), QByteArray("\x01")}}},
        {QStringLiteral("list"), QVariantList{1.5, QStringLiteral("x"), qint64(3)}}};
    const double inf = std::numeric_limits<double>::infinity();
    {
        UserDefaults defaults(path);
        defaults.setValue(QStringLiteral("double map"), looksLikeDouble);
        defaults.setValue(QStringLiteral("data map"), looksLikeData);
        defaults.setValue(QStringLiteral("nested"), nested);
        defaults.setValue(QStringLiteral("nan"), std::numeric_limits<double>::quiet_NaN());
        defaults.setValue(QStringLiteral("infinities"), QVariantList{inf, -inf});
    }
    const QString copy = dir.filePath(QStringLiteral("copy.json"));
    ASSERT_TRUE(QFile::copy(path, copy));
    UserDefaults defaults(copy);
    EXPECT_EQ(defaults.object(QStringLiteral("double map")), looksLikeDouble);
    EXPECT_EQ(defaults.object(QStringLiteral("data map")), looksLikeData);
    const QVariantMap readNested = defaults.object(QStringLiteral("nested")).toMap();
    EXPECT_EQ(readNested, nested);
    EXPECT_EQ(readNested.value(QStringLiteral("list")).toList().value(0).typeId(), QMetaType::Double);
    const QVariant nan = defaults.object(QStringLiteral("nan"));
    EXPECT_EQ(nan.typeId(), QMetaType::Double);
    EXPECT_TRUE(std::isnan(nan.toDouble()));
    EXPECT_EQ(defaults.object(QStringLiteral("infinities")), (QVariantList{inf, -inf}));

    // A file of the first format, where maps and lists were plain JSON and only doubles
    // and bytes were tagged, reads as it always did.
    const QString first = dir.filePath(QStringLiteral("first.json"));
    writeFile(first,
        R"({"client_language": "ko", "count": 3, "ratio": {"double": 2.5}, "blob": {"data": "AAE="},
            "map": {"a": 1, "b": {"c": "d"}}, "list": [1, "two"], "wrapped": {"map": {"x": 1}}})");
    UserDefaults firstFormat(first);
    EXPECT_EQ(firstFormat.string(QStringLiteral("client_language")), QStringLiteral("ko"));
    EXPECT_EQ(firstFormat.integer(QStringLiteral("count")), 3);
    EXPECT_EQ(firstFormat.object(QStringLiteral("ratio")), QVariant(2.5));
    EXPECT_EQ(firstFormat.data(QStringLiteral("blob")), QByteArray("\x00\x01", 2));
    EXPECT_EQ(firstFormat.object(QStringLiteral("map")),
        (QVariantMap{{QStringLiteral("a"), 1}, {QStringLiteral("b"), QVariantMap{{QStringLiteral("c"), "d"}}}}));
    EXPECT_EQ(firstFormat.object(QStringLiteral("list")), (QVariantList{1, QStringLiteral("two")}));
    EXPECT_EQ(firstFormat.object(QStringLiteral("wrapped")),
        (QVariantMap{{QStringLiteral("map"), QVariantMap{{QStringLiteral("x"), 1}}}}));
}

TEST(UserDefaults, ADamagedFileIsMovedAsideBeforeAnythingIsWrittenAndTheLogSaysWhere)
{
    LogCapture log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    const QList<QByteArray> damaged{
        QByteArray("{\"client_language\": \"ja\"} x"), QByteArray("[1, 2, 3]"), QByteArray("\x89PNG\r\n\x1a\n", 8)};
    for (const QByteArray &garbage : damaged) {
        writeFile(path, garbage);
        {
            UserDefaults defaults(path);
            EXPECT_TRUE(defaults.isBackedByFile());
            EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));
            defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
        }
        EXPECT_EQ(UserDefaults(path).string(QStringLiteral("client_language")), QStringLiteral("ko"));
    }
    // Each damaged file is kept, byte for byte, beside the new one.
    QStringList aside
        = QDir(dir.path()).entryList({QStringLiteral("defaults.json.damaged-*")}, QDir::Files, QDir::Name);
    ASSERT_EQ(aside.size(), 3);
    QList<QByteArray> kept;
    for (const QString &name : aside) {
        kept.append(readFile(dir.filePath(name)));
    }
    for (const QByteArray &garbage : damaged) {
        EXPECT_TRUE(kept.contains(garbage));
    }
    // The log says what was wrong with each file and where it went.
    const QStringList warnings = log.messages(QStringLiteral("UserDefaults"), QtWarningMsg);
    ASSERT_EQ(warnings.size(), 3);
    for (const QString &warning : warnings) {
        EXPECT_TRUE(warning.startsWith(QStringLiteral("The settings file %1 was damaged (").arg(path)))
            << warning.toStdString();
        EXPECT_TRUE(warning.contains(QStringLiteral(": it was moved to %1.damaged-").arg(path)))
            << warning.toStdString();
    }
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("it holds a JSON array, not an object")));

    // A link to a file that is not settings is moved aside itself: its target stays as it
    // was, and the new settings are a file of their own. So is a link to nothing.
    const QString linked = dir.filePath(QStringLiteral("linked.json"));
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    writeFile(notes, "my own notes, not JSON");
    ASSERT_TRUE(QFile::link(notes, linked));
    {
        UserDefaults defaults(linked);
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    }
    EXPECT_EQ(readFile(notes), QByteArray("my own notes, not JSON"));
    EXPECT_FALSE(QFileInfo(linked).isSymLink());
    EXPECT_EQ(UserDefaults(linked).string(QStringLiteral("client_language")), QStringLiteral("ja"));
    const QString nowhere = dir.filePath(QStringLiteral("nowhere/target.json"));
    const QString dangling = dir.filePath(QStringLiteral("dangling.json"));
    ASSERT_TRUE(QFile::link(nowhere, dangling));
    {
        UserDefaults defaults(dangling);
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    }
    EXPECT_FALSE(QFileInfo::exists(nowhere));
    EXPECT_FALSE(QFileInfo(dangling).isSymLink());

    // A link to a JSON file of another program is moved aside itself: that file gains
    // nothing of Veyra's.
    const QString otherProgram = dir.filePath(QStringLiteral("other-program.json"));
    const QByteArray theirs("{\"theme\": \"dark\", \"client_language\": \"fr\"}");
    writeFile(otherProgram, theirs);
    const QString foreign = dir.filePath(QStringLiteral("foreign.json"));
    ASSERT_TRUE(QFile::link(otherProgram, foreign));
    {
        UserDefaults defaults(foreign);
        EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    }
    EXPECT_EQ(readFile(otherProgram), theirs);
    EXPECT_FALSE(QFileInfo(foreign).isSymLink());
    EXPECT_EQ(
        QDir(dir.path()).entryList({QStringLiteral("foreign.json.damaged-*")}, QDir::Files | QDir::System).size(), 1);
    EXPECT_TRUE(
        log.messages(QStringLiteral("UserDefaults"), QtWarningMsg)
            .last()
            .contains(QStringLiteral("it is a link to %1, which doesn't hold Veyra's settings").arg(otherProgram)));

    // A link to settings Veyra wrote is written through, as before.
    const QString through = dir.filePath(QStringLiteral("through.json"));
    ASSERT_TRUE(QFile::link(path, through));
    {
        UserDefaults defaults(through);
        EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ko"));
    }
    EXPECT_TRUE(QFileInfo(through).isSymLink());
}

TEST(UserDefaults, WhatIsNotARegularFileIsNeverOpenedAndTheSettingsLiveInMemory)
{
    LogCapture log;
    QTemporaryDir dir;
    QStringList failures;
    const auto recordFailure = [&failures](const FileAccessError &error) { failures.append(error.message()); };
    // A named pipe: opening it to read would wait for a writer for good.
    const QString pipePath = dir.filePath(QStringLiteral("pipe.json"));
    const QString notRegular = QStringLiteral("It is a named pipe, a device or a socket, not a regular file.");
    {
        NamedPipe pipe(pipePath);
        ASSERT_TRUE(pipe.isValid());
        {
            UserDefaults defaults(pipePath);
            defaults.setWriteFailureHandler(recordFailure);
            EXPECT_FALSE(defaults.isBackedByFile());
            EXPECT_EQ(defaults.filePath(), pipePath);
            defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
            EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ko"));
            defaults.remove(QStringLiteral("client_language"));
            EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));
            defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
            // The changes are kept in memory only, which is reported as a failed write, once
            // for the changes.
            defaults.sync();
            EXPECT_EQ(failures,
                QStringList{QStringLiteral("The file “%1” couldn't be saved. (%2)").arg(pipePath, notRegular)});
            defaults.sync();
            QCoreApplication::sendPostedEvents();
            EXPECT_EQ(failures.size(), 1);
        }
        EXPECT_EQ(failures.size(), 1);
        EXPECT_FALSE(pipe.readerWasStuck());
        EXPECT_EQ(QFileInfo(pipePath).isFile(), false);
        EXPECT_TRUE(QFileInfo::exists(pipePath));
    }
    // A folder: the change is reported on the next turn of the event loop, as a write.
    const QString folderPath = dir.filePath(QStringLiteral("folder.json"));
    ASSERT_TRUE(QDir().mkpath(folderPath));
    {
        UserDefaults defaults(folderPath);
        defaults.setWriteFailureHandler(recordFailure);
        EXPECT_FALSE(defaults.isBackedByFile());
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
        QCoreApplication::sendPostedEvents();
        ASSERT_EQ(failures.size(), 2);
        EXPECT_EQ(failures[1],
            QStringLiteral("The file “%1” couldn't be saved. (It is a folder, not a file.)").arg(folderPath));
    }
    EXPECT_EQ(failures.size(), 2);
    EXPECT_TRUE(QFileInfo(folderPath).isDir());
    // A named pipe put in the file's place while Veyra runs: left alone too, and the change
    // it couldn't write is logged; written once a file can be again.
    const QString runningPath = dir.filePath(QStringLiteral("running.json"));
    UserDefaults running(runningPath);
    running.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    running.sync();
    ASSERT_TRUE(QFile::remove(runningPath));
    {
        NamedPipe pipe(runningPath);
        ASSERT_TRUE(pipe.isValid());
        running.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
        running.sync();
        EXPECT_FALSE(pipe.readerWasStuck());
    }
    running.sync();
    EXPECT_EQ(settingsOnDisk(runningPath).value(QStringLiteral("client_language")), QStringLiteral("ko"));
    // Gone while one is there, with a change it couldn't write: the pipe is not opened then
    // either.
    {
        std::optional<UserDefaults> ending(std::in_place, runningPath);
        ASSERT_TRUE(QFile::remove(runningPath));
        NamedPipe pipe(runningPath);
        ASSERT_TRUE(pipe.isValid());
        ending->setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
        ending.reset();
        EXPECT_FALSE(pipe.readerWasStuck());
    }
    const QStringList errors = log.messages(QStringLiteral("UserDefaults"), QtCriticalMsg);
    ASSERT_EQ(errors.size(), 6) << errors.join(u'\n').toStdString();
    EXPECT_EQ(errors[5], errors[4]);
    EXPECT_EQ(errors[4],
        QStringLiteral("Veyra couldn't save its settings: The file “%1” couldn't be saved. (%2)")
            .arg(runningPath, notRegular));
    EXPECT_EQ(errors[0],
        QStringLiteral(
            "The settings file %1 is a named pipe, a device or a socket, not a regular file: Veyra leaves it "
            "alone and keeps its settings in memory for this run.")
            .arg(pipePath));
    EXPECT_EQ(errors[1], QStringLiteral("Veyra couldn't save its settings: ") + failures[0]);
    EXPECT_TRUE(
        errors[2].startsWith(QStringLiteral("The settings file %1 is a folder, not a regular file").arg(folderPath)));
    EXPECT_EQ(errors[3], QStringLiteral("Veyra couldn't save its settings: ") + failures[1]);
}

TEST(UserDefaults, SettingsDamagedWhileVeyraRunsAreMovedAsideAndWhatItHoldsIsWrittenInTheirPlace)
{
    LogCapture log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults(path);
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    defaults.setValue(QStringLiteral("policy"), QByteArray("signed policy"));
    defaults.sync();
    const QVariantMap held{{QStringLiteral("client_language"), QStringLiteral("ja")},
        {QStringLiteral("policy"), QByteArray("signed policy")}};
    ASSERT_EQ(settingsOnDisk(path), held);

    // A hand edit breaks the file, then a setting changes: the broken file is kept, byte for
    // byte, and the file holds everything Veyra held with the change. Neither the size nor the
    // time of the file tells the change: what it holds does.
    const QByteArray handEdit
        = QByteArray("{\"client_language\": \"ko\", \"policy\" oops").leftJustified(QFileInfo(path).size(), ' ');
    changeKeepingSizeAndTime(path, handEdit);
    defaults.setValue(QStringLiteral("opacity"), 80);
    // QSettings' own deferred write.
    QCoreApplication::sendPostedEvents();
    QStringList aside = damagedCopies(dir.path());
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(dir.filePath(aside[0])), handEdit);
    QVariantMap expected = held;
    expected.insert(QStringLiteral("opacity"), 80);
    EXPECT_EQ(settingsOnDisk(path), expected);
    EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ja"));

    // Broken again with nothing to write: kept aside, and the settings put back at once.
    changeKeepingSizeAndTime(path, "[\"not settings\"]");
    defaults.sync();
    aside = damagedCopies(dir.path());
    ASSERT_EQ(aside.size(), 2);
    EXPECT_EQ(settingsOnDisk(path), expected);

    // Replaced by a link to another program's file: the link is moved aside, its target
    // gains nothing.
    const QString otherProgram = dir.filePath(QStringLiteral("other-program.json"));
    const QByteArray theirs(
        "{\"volume\": 3, \"padding\": \"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\"}");
    writeFile(otherProgram, theirs);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QFile::link(otherProgram, path));
    defaults.setValue(QStringLiteral("opacity"), 60);
    defaults.sync();
    EXPECT_EQ(readFile(otherProgram), theirs);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    expected.insert(QStringLiteral("opacity"), 60);
    EXPECT_EQ(settingsOnDisk(path), expected);
    EXPECT_EQ(damagedCopies(dir.path()).size(), 3);

    // A file that holds nothing any more no longer holds what Veyra wrote either: emptied
    // with nothing to write (as at the end of a run), the settings are put back.
    writeFile(path, QByteArray());
    defaults.sync();
    EXPECT_EQ(settingsOnDisk(path), expected);
    // Blanked in the same size and time, then a setting changes: the file holds everything
    // with the change.
    changeKeepingSizeAndTime(path, "\n");
    defaults.setValue(QStringLiteral("opacity"), 70);
    defaults.sync();
    expected.insert(QStringLiteral("opacity"), 70);
    EXPECT_EQ(settingsOnDisk(path), expected);
    // Removed, then a setting changes; removed with nothing to write.
    ASSERT_TRUE(QFile::remove(path));
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    expected.insert(QStringLiteral("client_language"), QStringLiteral("ko"));
    EXPECT_EQ(settingsOnDisk(path), expected);
    ASSERT_TRUE(QFile::remove(path));
    defaults.sync();
    EXPECT_EQ(settingsOnDisk(path), expected);
    // Nothing there was worth keeping aside.
    EXPECT_EQ(damagedCopies(dir.path()).size(), 3);

    const QStringList warnings = log.messages(QStringLiteral("UserDefaults"), QtWarningMsg);
    ASSERT_EQ(warnings.size(), 7) << warnings.join(u'\n').toStdString();
    for (const QString &warning : warnings.mid(0, 3)) {
        EXPECT_TRUE(warning.startsWith(QStringLiteral("The settings file %1 was damaged while Veyra ran (").arg(path)))
            << warning.toStdString();
        EXPECT_TRUE(warning.contains(QStringLiteral(": it was moved to %1.damaged-").arg(path)))
            << warning.toStdString();
    }
    const QString putBack
        = QStringLiteral("The settings file %1 was damaged while Veyra ran (%2): Veyra writes the settings it holds "
                         "in its place.");
    EXPECT_EQ(warnings.mid(3),
        (QStringList{putBack.arg(path, QStringLiteral("it is empty")),
            putBack.arg(path, QStringLiteral("it holds nothing but blanks")),
            putBack.arg(path, QStringLiteral("it was removed")), putBack.arg(path, QStringLiteral("it was removed"))}));
    EXPECT_TRUE(log.messages(QStringLiteral("UserDefaults"), QtCriticalMsg).isEmpty());
}

TEST(UserDefaults, SettingsChangedOnDiskAreReadAgainWhateverTheSizeAndTimeOfTheFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    UserDefaults defaults(path);
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    defaults.setValue(QStringLiteral("opacity"), 60);
    defaults.sync();
    // A sync tool brings another machine's settings in the same size, and sets the file's
    // time back: read at the next sync.
    changeKeepingSizeAndTime(path, readFile(path).replace("\"ja\"", "\"ko\""));
    defaults.sync();
    EXPECT_EQ(defaults.string(QStringLiteral("client_language")), QStringLiteral("ko"));
    // Again while a change of Veyra's waits: the file gets both, Veyra's change (even to the
    // value it held) over the other program's value of that setting.
    changeKeepingSizeAndTime(path, readFile(path).replace("\"ko\"", "\"ja\"").replace(": 60", ": 90"));
    defaults.setValue(QStringLiteral("opacity"), 60);
    defaults.sync();
    EXPECT_EQ(settingsOnDisk(path),
        (QVariantMap{{QStringLiteral("client_language"), QStringLiteral("ja")}, {QStringLiteral("opacity"), 60}}));
    // A setting removed there, another changed: so here too, once Veyra's change is written.
    changeKeepingSizeAndTime(path, "{\"/format\": 2, \"opacity\": 90}");
    defaults.sync();
    EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));
    EXPECT_EQ(defaults.integer(QStringLiteral("opacity")), 90);
}

TEST(UserDefaults, AFailedWriteLeavesTheFileAsItWasAndIsLoggedAndReportedEachTime)
{
    SmallDisk disk(64);
    if (!disk.isMounted()) {
        GTEST_SKIP() << disk.errorString().toStdString();
    }
    LogCapture log;
    const QString path = disk.filePath(QStringLiteral("defaults.json"));
    QStringList failures;
    UserDefaults defaults(path);
    defaults.setWriteFailureHandler([&failures](const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::writeFailed);
        failures.append(error.message());
    });
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    defaults.sync();
    const QByteArray saved = readFile(path);
    ASSERT_FALSE(saved.isEmpty());
    // Removing what isn't there leaves nothing to write, which is no failure.
    defaults.remove(QStringLiteral("opacity"));
    defaults.sync();
    EXPECT_TRUE(failures.isEmpty());

    // A full disk: larger settings than the space left (but smaller than a write buffer),
    // room for the lock file beside them.
    ASSERT_TRUE(disk.fill(8192));
    const QByteArray layouts(9000, 'x');
    defaults.setValue(QStringLiteral("layouts"), layouts);
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(readFile(path), saved);
    const QString noSpace = QStringLiteral("The file “%1” couldn't be saved. (No space left on device)").arg(path);
    EXPECT_EQ(failures, QStringList{noSpace});
    // Every failed write, each time.
    defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    defaults.sync();
    EXPECT_EQ(readFile(path), saved);
    EXPECT_EQ(failures, (QStringList{noSpace, noSpace}));
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")),
        (QStringList{QStringLiteral("Veyra couldn't save its settings: ") + noSpace,
            QStringLiteral("Veyra couldn't save its settings: ") + noSpace}));
    // Tried again with nothing changed, as the end of the application does twice (its last
    // saves, then the database's destruction): the same failure is told once.
    defaults.sync();
    defaults.sync();
    EXPECT_EQ(readFile(path), saved);
    EXPECT_EQ(failures.size(), 2);
    EXPECT_EQ(log.messages(QStringLiteral("UserDefaults")).size(), 2);

    // A disk that takes no writes at all: QSettings doesn't get as far as writing, and the
    // system's reason is found.
    disk.empty();
    const QString damagedPath = disk.filePath(QStringLiteral("damaged.json"));
    writeFile(damagedPath, "{\"client_language\": ");
    ASSERT_TRUE(disk.setReadOnly(true));
    defaults.setValue(QStringLiteral("opacity"), 80);
    defaults.sync();
    ASSERT_EQ(failures.size(), 3);
    EXPECT_EQ(failures[2], QStringLiteral("The file “%1” couldn't be saved. (Read-only file system)").arg(path));
    EXPECT_EQ(readFile(path), saved);

    // A damaged file there can be neither moved aside nor written over: the settings live in
    // memory, and a change is reported as a failed write.
    {
        UserDefaults damaged(damagedPath);
        damaged.setWriteFailureHandler([&failures](const FileAccessError &error) { failures.append(error.message()); });
        EXPECT_FALSE(damaged.isBackedByFile());
        damaged.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
        damaged.sync();
    }
    ASSERT_EQ(failures.size(), 4);
    EXPECT_EQ(failures[3],
        QStringLiteral("The file “%1” couldn't be saved. (It is damaged and couldn't be moved aside.)")
            .arg(damagedPath));
    EXPECT_EQ(readFile(damagedPath), QByteArray("{\"client_language\": "));

    // Once the disk takes them, the pending changes are written.
    ASSERT_TRUE(disk.setReadOnly(false));
    defaults.sync();
    EXPECT_EQ(failures.size(), 4);
    EXPECT_EQ(settingsOnDisk(path),
        (QVariantMap{{QStringLiteral("client_language"), QStringLiteral("ko")}, {QStringLiteral("layouts"), layouts},
            {QStringLiteral("opacity"), 80}}));

    // After those failures, a new file written in full that cannot take the old one's place
    // (a file mounted there refuses to be replaced) is a failure too, and its change stays
    // pending until it is written.
    const QString mounted = disk.filePath(QStringLiteral("mounted.json"));
    ASSERT_TRUE(QFile::copy(path, mounted));
    ASSERT_EQ(
        ::mount(QFile::encodeName(mounted).constData(), QFile::encodeName(path).constData(), nullptr, MS_BIND, nullptr),
        0);
    defaults.setValue(QStringLiteral("opacity"), 60);
    defaults.sync();
    ASSERT_EQ(::umount2(QFile::encodeName(path).constData(), 0), 0);
    ASSERT_EQ(failures.size(), 5);
    EXPECT_EQ(failures[4],
        QStringLiteral("The file “%1” couldn't be saved. (The new file couldn't take the place of the old one.)")
            .arg(path));
    defaults.sync();
    EXPECT_EQ(QJsonDocument::fromJson(readFile(path)).object().value(QStringLiteral("opacity")), 60);

    // Damaged while the disk takes no writes: neither moved aside nor written over, which is
    // told once however many syncs find it.
    writeFile(path, "damaged");
    ASSERT_TRUE(disk.setReadOnly(true));
    defaults.sync();
    defaults.setValue(QStringLiteral("opacity"), 50);
    defaults.sync();
    ASSERT_TRUE(disk.setReadOnly(false));
    EXPECT_EQ(readFile(path), QByteArray("damaged"));
    EXPECT_EQ(
        log.messages(QStringLiteral("UserDefaults")).filter(path + QStringLiteral(" was damaged while")).size(), 1);
}

TEST(UserDefaults, OnlyTheNewestDamagedFilesAreKeptAndValuesOfNoKnownTypeSurviveWrites)
{
    LogCapture log;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    // Twenty damaged starts, most in one second: the newest five stay, whole.
    for (int start = 1; start <= 20; ++start) {
        writeFile(path, "damaged " + QByteArray::number(start));
        UserDefaults defaults(path);
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
    }
    QList<QByteArray> kept;
    for (const QString &name : damagedCopies(dir.path())) {
        kept.append(readFile(dir.filePath(name)));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (QList<QByteArray>{"damaged 16", "damaged 17", "damaged 18", "damaged 19", "damaged 20"}));

    // Damaged while Veyra runs: the same bound.
    {
        UserDefaults defaults(path);
        for (int change = 1; change <= 3; ++change) {
            writeFile(path, "[\"damaged again\", " + QByteArray::number(change) + "]");
            defaults.setValue(QStringLiteral("opacity"), change);
            QCoreApplication::sendPostedEvents();
        }
    }
    kept.clear();
    for (const QString &name : damagedCopies(dir.path())) {
        kept.append(readFile(dir.filePath(name)));
    }
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept,
        (QList<QByteArray>{
            "[\"damaged again\", 1]", "[\"damaged again\", 2]", "[\"damaged again\", 3]", "damaged 19", "damaged 20"}));

    // An object or array that names no type (a hand edit) is held as it is and written back
    // so by a write of another value.
    const QJsonObject wrongData{{QStringLiteral("data"), 42}};
    const QJsonObject untagged{{QStringLiteral("layouts"), QJsonArray{1, 2}}};
    writeFile(path,
        QJsonDocument(QJsonObject{{QStringLiteral("/format"), 2}, {QStringLiteral("wrong data"), wrongData},
                          {QStringLiteral("untagged"), untagged}, {QStringLiteral("array"), QJsonArray{true}}})
            .toJson());
    {
        UserDefaults defaults(path);
        EXPECT_TRUE(defaults.contains(QStringLiteral("wrong data")));
        EXPECT_FALSE(defaults.data(QStringLiteral("wrong data")));
        EXPECT_FALSE(defaults.string(QStringLiteral("untagged")));
        defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ja"));
    }
    const QJsonObject written = QJsonDocument::fromJson(readFile(path)).object();
    EXPECT_EQ(written.value(QStringLiteral("wrong data")), wrongData);
    EXPECT_EQ(written.value(QStringLiteral("untagged")), untagged);
    EXPECT_EQ(written.value(QStringLiteral("array")), QJsonArray{true});
    EXPECT_EQ(written.value(QStringLiteral("client_language")), QStringLiteral("ja"));
}
