// Test label: unit
#include "foundation/settings/UserDefaults.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

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

TEST(UserDefaults, ACorruptFileReadsAsEmptyAndIsReplacedOnTheNextWrite)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    for (const QByteArray &garbage :
        {QByteArray("{\"client_language\": \"ja\""), QByteArray("[1, 2, 3]"), QByteArray("\x89PNG\r\n\x1a\n", 8)}) {
        writeFile(path, garbage);
        {
            UserDefaults defaults(path);
            EXPECT_FALSE(defaults.contains(QStringLiteral("client_language")));
            defaults.setValue(QStringLiteral("client_language"), QStringLiteral("ko"));
        }
        const QJsonDocument written = QJsonDocument::fromJson(readFile(path));
        ASSERT_TRUE(written.isObject());
        EXPECT_EQ(written.object().value(QStringLiteral("client_language")).toString(), QStringLiteral("ko"));
        EXPECT_EQ(UserDefaults(path).string(QStringLiteral("client_language")), QStringLiteral("ko"));
    }
}
