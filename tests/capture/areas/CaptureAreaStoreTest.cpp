// Test label: unit
#include "capture/areas/CaptureAreaStoreError.h"
#include "capture/areas/FileCaptureAreaStore.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "foundation/files/FileIO.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/identity/ApplicationFolder.h"
#include "foundation/json/JsonDecoding.h"
#include "support/FileIdentity.h"
#include "support/LogCapture.h"
#include "support/NamedPipe.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace veyra;
using veyra::test::inodeOf;

namespace {

using Kind = GameApplicationIdentity::Kind;

CaptureAreaProfile makeProfile(Kind kind, const QString &value, const QString &title, std::int64_t left = 100)
{
    return {{kind, value}, title, 1280, 720, {{QStringLiteral("box_1"), {left, 100, 400, 140}, {48, 80, 16}}}};
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QStringList titlesInFile(const QString &path)
{
    QStringList titles;
    const auto document = CaptureAreaStoreDocument::fromJson(decodeJsonObject(readBytes(path)));
    for (const auto &profile : document.profiles) {
        titles.append(profile.applicationIdentity.value + QLatin1Char('|') + profile.windowTitle);
    }
    return titles;
}

template <typename Fn>
std::optional<CaptureAreaStoreError::Kind> storeErrorOf(Fn fn)
{
    try {
        fn();
    } catch (const CaptureAreaStoreError &error) {
        return error.kind();
    }
    return std::nullopt;
}

const QByteArray emptyDocumentBytes = "{\n"
                                      "  \"coordinateMode\" : \"window_relative_pixels\",\n"
                                      "  \"profiles\" : [\n"
                                      "\n"
                                      "  ],\n"
                                      "  \"schemaVersion\" : 6\n"
                                      "}";

class FileCaptureAreaStoreTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString path() const { return folder.filePath(QStringLiteral("nested/Obrisk/capture-areas.json")); }
    FileCaptureAreaStore store() const { return FileCaptureAreaStore(QUrl::fromLocalFile(path())); }

    QTemporaryDir folder;
};

} // namespace

TEST(ApplicationFolder, FollowsTheBuildAndTheUserDataFolder)
{
    EXPECT_EQ(applicationFolderPath(QStringLiteral("/home/p/.local/share"), false),
        QStringLiteral("/home/p/.local/share/Obrisk"));
    EXPECT_EQ(applicationFolderPath(QStringLiteral("/home/p/.local/share/"), true),
        QStringLiteral("/home/p/.local/share/Obrisk Debug"));
    EXPECT_EQ(applicationFolderPath(QString(), false), QDir::homePath() + QStringLiteral("/.local/share/Obrisk"));

    // The test main points XDG_DATA_HOME at a private folder.
    const QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    ASSERT_FALSE(dataHome.isEmpty());
    const QString expectedFolder
        = QDir::cleanPath(dataHome) + (isDebugBuild() ? QStringLiteral("/Obrisk Debug") : QStringLiteral("/Obrisk"));
    EXPECT_EQ(applicationFolderPath(), expectedFolder);
    EXPECT_EQ(FileCaptureAreaStore::defaultFileURL(),
        QUrl::fromLocalFile(expectedFolder + QStringLiteral("/capture-areas.json")));
}

TEST_F(FileCaptureAreaStoreTest, MissingFileReadsEmptyAndTheFirstSaveCreatesFolderAndFile)
{
    FileCaptureAreaStore fileStore = store();
    const CaptureAreaProfile profile
        = makeProfile(Kind::executablePath, QStringLiteral("/usr/games/quest"), QStringLiteral("Quest \"Ⅱ\" — 日本"));
    EXPECT_EQ(fileStore.profile(profile.key()), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(path()).absolutePath())) << "a lookup creates nothing";

    fileStore.save(profile);
    EXPECT_EQ(fileStore.profile(profile.key()), profile);

    // Two-space indentation, " : " between key and value, sorted keys, "/" escaped,
    // other characters as UTF-8, no newline at the end.
    const QByteArray expected = "{\n"
                                "  \"coordinateMode\" : \"window_relative_pixels\",\n"
                                "  \"profiles\" : [\n"
                                "    {\n"
                                "      \"applicationIdentity\" : {\n"
                                "        \"kind\" : \"executablePath\",\n"
                                "        \"value\" : \"\\/usr\\/games\\/quest\"\n"
                                "      },\n"
                                "      \"areas\" : [\n"
                                "        {\n"
                                "          \"backgroundPattern\" : {\n"
                                "            \"blue\" : 16,\n"
                                "            \"green\" : 80,\n"
                                "            \"red\" : 48\n"
                                "          },\n"
                                "          \"id\" : \"box_1\",\n"
                                "          \"searchRegion\" : {\n"
                                "            \"height\" : 140,\n"
                                "            \"left\" : 100,\n"
                                "            \"top\" : 100,\n"
                                "            \"width\" : 400\n"
                                "          }\n"
                                "        }\n"
                                "      ],\n"
                                "      \"referenceImageHeight\" : 720,\n"
                                "      \"referenceImageWidth\" : 1280,\n"
                                "      \"windowTitle\" : \"Quest \\\"Ⅱ\\\" — 日本\"\n"
                                "    }\n"
                                "  ],\n"
                                "  \"schemaVersion\" : 6\n"
                                "}";
    EXPECT_EQ(readBytes(path()), expected);
    EXPECT_EQ(CaptureAreaStoreDocument().encoded(), emptyDocumentBytes);
}

TEST_F(FileCaptureAreaStoreTest, SavingReplacesInPlaceAndKeepsTheStoredOrder)
{
    FileCaptureAreaStore fileStore = store();
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("beta"), QStringLiteral("One")));
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("Alpha"), QStringLiteral("One")));
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("gamma"), QStringLiteral("One")));
    EXPECT_EQ(titlesInFile(path()), (QStringList{"Alpha|One", "beta|One", "gamma|One"}));

    const CaptureAreaProfile changed
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("beta"), QStringLiteral("One"), 7);
    fileStore.save(changed);
    EXPECT_EQ(titlesInFile(path()), (QStringList{"Alpha|One", "beta|One", "gamma|One"}));
    EXPECT_EQ(fileStore.profile(changed.key()), changed);
    // The kind is part of the key.
    EXPECT_EQ(fileStore.profile({{Kind::executablePath, QStringLiteral("beta")}, QStringLiteral("One")}), std::nullopt);

    // Two windows of one application: by title, case-insensitively.
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("gamma"), QStringLiteral("b window")));
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("gamma"), QStringLiteral("A window")));
    EXPECT_EQ(
        titlesInFile(path()), (QStringList{"Alpha|One", "beta|One", "gamma|A window", "gamma|b window", "gamma|One"}));
}

TEST_F(FileCaptureAreaStoreTest, SortTiesOnCaseOnlyDifferencesWithoutConsultingTitles)
{
    FileCaptureAreaStore fileStore = store();
    // Values equal but for letter case are neither before nor after each other: they
    // keep the order in which they were stored, whatever their titles say.
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("game"), QStringLiteral("Zeta")));
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("Game"), QStringLiteral("Alpha")));
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("GAME"), QStringLiteral("Middle")));
    EXPECT_EQ(titlesInFile(path()), (QStringList{"game|Zeta", "Game|Alpha", "GAME|Middle"}));

    // A bundle identifier and an executable path with the same value: titles only.
    QVector<CaptureAreaProfile> profiles{
        makeProfile(Kind::bundleIdentifier, QStringLiteral("same"), QStringLiteral("b")),
        makeProfile(Kind::executablePath, QStringLiteral("same"), QStringLiteral("A")),
        makeProfile(Kind::bundleIdentifier, QStringLiteral("same"), QStringLiteral("c")),
    };
    sortCaptureAreaProfiles(profiles);
    EXPECT_EQ(profiles[0].applicationIdentity.kind, Kind::executablePath);
    EXPECT_EQ(profiles[1].windowTitle, QStringLiteral("b"));
    EXPECT_EQ(profiles[2].windowTitle, QStringLiteral("c"));
}

TEST_F(FileCaptureAreaStoreTest, OlderFilesAreKeptAsBackupAndReplacedByAnEmptyDocument)
{
    FileCaptureAreaStore fileStore = store();
    const CaptureAreaProfile profile
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"));
    // Each replaced file keeps a copy of its own; an earlier copy is never overwritten.
    const QStringList backups{QStringLiteral(".bak"), QStringLiteral(".bak.2"), QStringLiteral(".bak.3")};
    QList<QByteArray> olds;
    for (const int version : {5, 0, -3}) {
        const QByteArray old = QStringLiteral(R"({"schemaVersion": %1, "coordinateMode": "whatever", "profiles": 12})")
                                   .arg(version)
                                   .toUtf8();
        olds.append(old);
        writeBytes(path(), old);
        EXPECT_EQ(fileStore.profile(profile.key()), std::nullopt) << version;
        EXPECT_EQ(readBytes(path()), emptyDocumentBytes) << version;
    }
    for (qsizetype i = 0; i < backups.size(); ++i) {
        EXPECT_EQ(readBytes(path() + backups[i]), olds[i]) << backups[i].toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".bak.4")));

    // A save on an older file replaces it first, then stores the profile.
    writeBytes(path(), R"({"schemaVersion": 4, "coordinateMode": "window_relative_pixels", "profiles": []})");
    fileStore.save(profile);
    EXPECT_EQ(titlesInFile(path()), QStringList{"com.example|W"});

    // An older file reached through a link: the link is what is kept aside, and the file
    // it leads to (another program's, perhaps) is left as it was.
    const QString elsewhere = folder.filePath(QStringLiteral("other-program.json"));
    const QByteArray theirs = R"({"schemaVersion": 2, "coordinateMode": "theirs"})";
    writeBytes(elsewhere, theirs);
    QFile::remove(path());
    ASSERT_TRUE(QFile::link(elsewhere, path()));
    EXPECT_EQ(fileStore.profile(profile.key()), std::nullopt);
    EXPECT_EQ(readBytes(elsewhere), theirs);
    EXPECT_EQ(readBytes(path()), emptyDocumentBytes);
    EXPECT_EQ(QFileInfo(path() + QStringLiteral(".bak.5")).symLinkTarget(), elsewhere);

    // Without a backup there is no replacement: the old file stays whole. (The name of
    // the file leaves no room for the backup's suffix within the 255 bytes a name may
    // have.)
    const QString longPath = folder.filePath(QString(247, QLatin1Char('x')) + QStringLiteral(".json"));
    const QByteArray old = R"({"schemaVersion": 5, "coordinateMode": "x"})";
    writeBytes(longPath, old);
    FileCaptureAreaStore longNamed{QUrl::fromLocalFile(longPath)};
    EXPECT_THROW(longNamed.profile(profile.key()), FileAccessError);
    EXPECT_EQ(readBytes(longPath), old);
}

TEST_F(FileCaptureAreaStoreTest, NewerSchemaOrOtherCoordinateModeIsRefusedAndNeverWritten)
{
    FileCaptureAreaStore fileStore = store();
    const CaptureAreaProfile profile
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"));

    const QByteArray newer = R"({"schemaVersion": 7, "coordinateMode": "window_relative_pixels", "profiles": []})";
    writeBytes(path(), newer);
    EXPECT_EQ(storeErrorOf([&] { fileStore.profile(profile.key()); }), CaptureAreaStoreError::Kind::unsupportedSchema);
    EXPECT_EQ(storeErrorOf([&] { fileStore.save(profile); }), CaptureAreaStoreError::Kind::unsupportedSchema);
    EXPECT_EQ(readBytes(path()), newer);
    EXPECT_FALSE(QFileInfo::exists(path() + QStringLiteral(".bak")));

    for (const char *mode : {"Window_Relative_Pixels", "window_relative_points", ""}) {
        const QByteArray other = QStringLiteral(R"({"schemaVersion": 6, "coordinateMode": "%1", "profiles": []})")
                                     .arg(QLatin1String(mode))
                                     .toUtf8();
        writeBytes(path(), other);
        EXPECT_EQ(
            storeErrorOf([&] { fileStore.save(profile); }), CaptureAreaStoreError::Kind::unsupportedCoordinateMode)
            << mode;
        EXPECT_EQ(readBytes(path()), other);
    }

    EXPECT_EQ(CaptureAreaStoreError(CaptureAreaStoreError::Kind::unsupportedSchema).localizedDescription(),
        QStringLiteral("The saved capture areas use an unsupported format."));
    EXPECT_EQ(CaptureAreaStoreError(CaptureAreaStoreError::Kind::unsupportedCoordinateMode).localizedDescription(),
        QStringLiteral("The saved capture areas use an unsupported coordinate mode."));
}

TEST_F(FileCaptureAreaStoreTest, BadFilesGiveDecodingErrorsAndStayUntouched)
{
    FileCaptureAreaStore fileStore = store();
    const CaptureAreaProfile profile
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"));
    const QList<QByteArray> badFiles{
        "",
        "{\"schemaVersion\": 6, \"coordinateMode\": \"window_rel",
        "not json at all",
        "[1, 2, 3]",
        R"({"schemaVersion": "6", "coordinateMode": "window_relative_pixels", "profiles": []})",
        R"({"schemaVersion": 6.5, "coordinateMode": "window_relative_pixels", "profiles": []})",
        R"({"schemaVersion": 1e400, "coordinateMode": "window_relative_pixels", "profiles": []})",
        // A header without "coordinateMode" fails whatever the version.
        R"({"schemaVersion": 5})",
        R"({"schemaVersion": 7})",
        R"({"schemaVersion": 6, "coordinateMode": "window_relative_pixels"})",
        R"({"schemaVersion": 6, "coordinateMode": "window_relative_pixels", "profiles": {}})",
        R"({"schemaVersion": 6, "coordinateMode": "window_relative_pixels", "profiles": [{"applicationIdentity":
            {"kind": "bundleIdentifier", "value": "a"}, "windowTitle": "t", "referenceImageWidth": 1,
            "referenceImageHeight": 1, "areas": [{"id": "x", "searchRegion": {"left": 0, "top": 0, "width": 1,
            "height": 1}}]}]})",
    };
    for (const QByteArray &bad : badFiles) {
        writeBytes(path(), bad);
        veyra::test::LogCapture log;
        EXPECT_THROW(fileStore.profile(profile.key()), DecodingError) << bad.constData();
        EXPECT_THROW(fileStore.save(profile), DecodingError) << bad.constData();
        EXPECT_EQ(readBytes(path()), bad);
        // The overlay shows a short line of it; the log names the file and the reason.
        const QStringList errors = log.messages(QStringLiteral("CaptureAreaStore"));
        ASSERT_EQ(errors.size(), 2) << bad.constData();
        EXPECT_TRUE(errors[0].startsWith(QStringLiteral("The capture areas in %1 couldn't be read: ").arg(path())))
            << errors[0].toStdString();
        EXPECT_GT(
            errors[0].size(), QStringLiteral("The capture areas in %1 couldn't be read: ").arg(path()).size() + 5);
    }
    {
        writeBytes(path(), "not json at all");
        veyra::test::LogCapture log;
        EXPECT_THROW(fileStore.profile(profile.key()), DecodingError);
        EXPECT_EQ(log.messages(QStringLiteral("CaptureAreaStore")).join(u'\n').toStdString(),
            QStringLiteral("The capture areas in %1 couldn't be read: The data couldn't be read because it isn't in "
                           "the correct format (invalid JSON at offset 1: illegal value).")
                .arg(path())
                .toStdString());
    }

    // Values of any size or sign are read as they are.
    writeBytes(path(), R"({"schemaVersion": 6, "coordinateMode": "window_relative_pixels", "ignored": true,
        "profiles": [{"applicationIdentity": {"kind": "bundleIdentifier", "value": "a"}, "windowTitle": "t",
        "referenceImageWidth": -1, "referenceImageHeight": 0, "areas": [{"id": "", "searchRegion": {"left":
        -9223372036854775808, "top": 9223372036854775807, "width": -5, "height": 0}, "backgroundPattern":
        {"red": 300, "green": -1, "blue": 0}}]}]})");
    const auto odd = fileStore.profile({{Kind::bundleIdentifier, QStringLiteral("a")}, QStringLiteral("t")});
    ASSERT_TRUE(odd.has_value());
    EXPECT_EQ(odd->areas.at(0).searchRegion,
        (CaptureRegion{std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max(), -5, 0}));
    EXPECT_EQ(odd->areas.at(0).backgroundPattern, (DialogueBackgroundPattern{300, -1, 0}));
}

TEST_F(FileCaptureAreaStoreTest, FailedWritesLeaveTheOldFileWhole)
{
    FileCaptureAreaStore fileStore = store();
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("First")));
    const QByteArray before = readBytes(path());

    // The file system refuses to let the file grow past a few bytes, as a full disk
    // would: the write fails half way, and the old file is still there, unchanged.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit limited = original;
    limited.rlim_cur = 64;
    veyra::test::LogCapture log;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::optional<FileAccessError::Kind> failure;
    QString message;
    try {
        fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("Second")));
    } catch (const FileAccessError &error) {
        failure = error.kind();
        message = error.localizedDescription();
    }
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &original), 0);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(failure, FileAccessError::Kind::writeFailed);
    // What failed and where: the file, and the system's reason for the short write; the log
    // says it too.
    EXPECT_EQ(message, QStringLiteral("The file “%1” couldn't be saved. (File too large)").arg(path()));
    EXPECT_EQ(log.messages(QStringLiteral("CaptureAreaStore")).join(u'\n').toStdString(),
        QStringLiteral("The capture areas couldn't be saved in %1: The file “%1” couldn't be saved. (File too large)")
            .arg(path())
            .toStdString());
    EXPECT_EQ(readBytes(path()), before);
    EXPECT_EQ(QDir(QFileInfo(path()).absolutePath()).entryList(QDir::Files), QStringList{"capture-areas.json"})
        << "no temporary file is left behind";

    // A file URL that names a folder: reading fails with a clear error.
    const FileCaptureAreaStore folderStore(QUrl::fromLocalFile(folder.path()));
    FileCaptureAreaStore mutableFolderStore = folderStore;
    try {
        mutableFolderStore.profile({{Kind::bundleIdentifier, QStringLiteral("a")}, QString()});
        ADD_FAILURE() << "reading a folder succeeded";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::readFailed);
        EXPECT_TRUE(error.localizedDescription().startsWith(
            QStringLiteral("The file “%1” couldn't be read.").arg(folder.path())));
    }

    // A folder that cannot be created because a file stands in its place.
    writeBytes(folder.filePath(QStringLiteral("blocker")), "x");
    FileCaptureAreaStore blocked(
        QUrl::fromLocalFile(folder.filePath(QStringLiteral("blocker/sub/capture-areas.json"))));
    try {
        blocked.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("a"), QStringLiteral("t")));
        ADD_FAILURE() << "saving below a file succeeded";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.kind(), FileAccessError::Kind::folderCreationFailed);
    }
}

TEST_F(FileCaptureAreaStoreTest, OnlyARegularFileIsReadOrReplaced)
{
    FileCaptureAreaStore fileStore = store();
    const CaptureAreaProfile profile
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"));
    QDir().mkpath(QFileInfo(path()).absolutePath());

    // A link to nothing is no missing file: neither read as empty nor followed to create
    // its target.
    const QString target = folder.filePath(QStringLiteral("elsewhere/capture-areas.json"));
    ASSERT_TRUE(QFile::link(target, path()));
    EXPECT_THROW(fileStore.profile(profile.key()), FileAccessError);
    try {
        fileStore.save(profile);
        ADD_FAILURE() << "saved through a link to nothing";
    } catch (const FileAccessError &error) {
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("The file “%1” couldn't be read. (It is a link to “%2”, which doesn't exist.)")
                .arg(path(), target));
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(target).absolutePath()));
    ASSERT_TRUE(QFile::remove(path()));

    // A named pipe is refused at once, never opened to wait for a writer.
    {
        veyra::test::NamedPipe pipe(path());
        ASSERT_TRUE(pipe.isValid());
        try {
            fileStore.profile(profile.key());
            ADD_FAILURE() << "read a pipe";
        } catch (const FileAccessError &error) {
            EXPECT_EQ(error.kind(), FileAccessError::Kind::readFailed);
            EXPECT_TRUE(error.localizedDescription().endsWith(
                QStringLiteral("(It is a named pipe, a device or a socket, not a regular file.)")));
        }
        EXPECT_THROW(fileStore.save(profile), FileAccessError);
        EXPECT_FALSE(pipe.readerWasStuck());
    }

    // A link to a regular file is read and replaced in its target.
    const QString real = folder.filePath(QStringLiteral("real.json"));
    ASSERT_TRUE(QFile::link(real, path()));
    FileCaptureAreaStore(QUrl::fromLocalFile(real)).save(profile);
    EXPECT_EQ(fileStore.profile(profile.key()), profile);
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"), 7));
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(FileCaptureAreaStore(QUrl::fromLocalFile(real)).profile(profile.key())->areas.at(0).searchRegion.left, 7);
    // The same areas saved again write nothing, through the link neither.
    const ino_t written = inodeOf(real);
    fileStore.save(makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"), 7));
    EXPECT_EQ(inodeOf(real), written);

    // A damaged capture-area file through a link is refused, as a file is: the link stays.
    const QByteArray damaged = R"({"schemaVersion": 6, "coordinateMode": "window_relative_pixels", "profiles": 12})";
    writeBytes(real, damaged);
    EXPECT_THROW(fileStore.profile(profile.key()), DecodingError);
    EXPECT_TRUE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(readBytes(real), damaged);

    // A link to another program's file (JSON or not) is itself moved aside at the first
    // look, what it leads to untouched, and the areas start anew in a file of their own.
    const QString theirs = folder.filePath(QStringLiteral("other-program/settings.json"));
    const QString aside = path() + QStringLiteral(".bak");
    for (const QByteArray &foreign :
        {QByteArray(R"({"theme": "dark", "profiles": []})"), QByteArray("[]"), QByteArray("key = value\n")}) {
        writeBytes(theirs, foreign);
        QFile::remove(path());
        ASSERT_TRUE(QFile::link(theirs, path()));
        veyra::test::LogCapture log;
        EXPECT_EQ(fileStore.profile(profile.key()), std::nullopt) << foreign.toStdString();
        EXPECT_EQ(fileNodeKind(path()), FileNodeKind::missing);
        EXPECT_EQ(QFileInfo(aside).symLinkTarget(), theirs);
        EXPECT_EQ(readBytes(theirs), foreign);
        EXPECT_EQ(log.messages(QStringLiteral("CaptureAreaStore"), QtWarningMsg),
            QStringList{QStringLiteral("The capture-area file %1 was a link to %2, which holds no capture areas: the "
                                       "link was moved to %3.")
                            .arg(path(), theirs, aside)});
        ASSERT_TRUE(QFile::remove(aside));
    }
    // Met by a save, the same: the areas go to a file of their own.
    ASSERT_TRUE(QFile::link(theirs, path()));
    fileStore.save(profile);
    EXPECT_FALSE(QFileInfo(path()).isSymLink());
    EXPECT_EQ(fileStore.profile(profile.key()), profile);
    EXPECT_EQ(readBytes(theirs), QByteArray("key = value\n"));
}

TEST(InMemoryCaptureAreaStore, LaterProfilesOfAKeyReplaceEarlierOnes)
{
    const CaptureAreaProfile first
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"));
    const CaptureAreaProfile second
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("com.example"), QStringLiteral("W"), 5);
    const CaptureAreaProfile other
        = makeProfile(Kind::executablePath, QStringLiteral("com.example"), QStringLiteral("W"));
    InMemoryCaptureAreaStore memory({first, other, second});
    EXPECT_EQ(memory.profiles().size(), 2);
    EXPECT_EQ(memory.profile(first.key()), second);
    EXPECT_EQ(memory.profile(other.key()), other);
    EXPECT_EQ(memory.profile({{Kind::bundleIdentifier, QStringLiteral("nothing")}, QString()}), std::nullopt);

    memory.save(first);
    EXPECT_EQ(memory.profile(first.key()), first);
    // Canonically equivalent titles name the same window.
    const CaptureAreaProfile composed
        = makeProfile(Kind::bundleIdentifier, QStringLiteral("app"), QStringLiteral("Caf\u00e9"));
    memory.save(composed);
    EXPECT_EQ(
        memory.profile({{Kind::bundleIdentifier, QStringLiteral("app")}, QStringLiteral("Cafe\u0301")}), composed);
}
