// Test label: unit
// Every English text marked for translation in the sources must have a Korean and a
// Japanese translation in the catalogues the application loads, and the catalogues must
// not carry texts the code no longer uses (a stale entry is usually a key that was
// mistyped or reworded on one side only).
#include "support/TestPaths.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

namespace {

QString unescapeCString(const QString &literal)
{
    QString result;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        if (literal[i] == QLatin1Char('\\') && i + 1 < literal.size()) {
            const QChar next = literal[++i];
            if (next == QLatin1Char('n')) {
                result += QLatin1Char('\n');
            } else if (next == QLatin1Char('t')) {
                result += QLatin1Char('\t');
            } else {
                result += next;
            }
        } else {
            result += literal[i];
        }
    }
    return result;
}

// The texts of every QT_TRANSLATE_NOOP("Veyra", ...) under src/.
QSet<QString> keysInSources()
{
    static const QRegularExpression marker(
        QStringLiteral(R"re(QT_TRANSLATE_NOOP\(\s*"Veyra"\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    QSet<QString> keys;
    QDirIterator it(veyra::test::sourceDir() + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")},
        QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = marker.globalMatch(text); match.hasNext();) {
            QString key;
            for (auto parts = piece.globalMatch(match.next().captured(1)); parts.hasNext();) {
                key += unescapeCString(parts.next().captured(1));
            }
            keys.insert(key);
        }
    }
    return keys;
}

// source -> translation of one catalogue; unfinished entries count as missing.
std::map<QString, QString> catalogue(const QString &language)
{
    std::map<QString, QString> entries;
    QFile file(veyra::test::sourceDir() + QStringLiteral("/resources/translations/veyra_%1.ts").arg(language));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing catalogue " << language.toStdString();
        return entries;
    }
    QXmlStreamReader xml(&file);
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("context")) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            EXPECT_EQ(xml.readElementText(), QStringLiteral("Veyra")) << "catalogues use the single context Veyra";
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const bool unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
            const QString translation = xml.readElementText();
            EXPECT_EQ(entries.count(source), 0u) << language.toStdString() << " lists twice: " << source.toStdString();
            if (!unfinished && !translation.isEmpty()) {
                entries[source] = translation;
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << language.toStdString() << ": " << xml.errorString().toStdString();
    return entries;
}

} // namespace

TEST(TranslationCatalog, EveryMarkedTextIsTranslatedAndNothingIsStale)
{
    const QSet<QString> keys = keysInSources();
    ASSERT_FALSE(keys.isEmpty());
    for (const QString &language : {QStringLiteral("ko"), QStringLiteral("ja")}) {
        // What the application sees: the catalogue as lrelease compiled and embedded it.
        QTranslator compiled;
        ASSERT_TRUE(compiled.load(QStringLiteral(":/i18n/veyra_%1.qm").arg(language))) << language.toStdString();
        for (const QString &key : keys) {
            const QString translation = compiled.translate("Veyra", key.toUtf8().constData());
            EXPECT_FALSE(translation.isEmpty()) << language.toStdString() << " lacks: " << key.toStdString();
            // Placeholders must survive translation, or formatting drops an argument.
            EXPECT_EQ(translation.count(QStringLiteral("%@")), key.count(QStringLiteral("%@")))
                << language.toStdString() << ": " << key.toStdString();
        }
        for (const auto &[source, translation] : catalogue(language)) {
            EXPECT_TRUE(keys.contains(source))
                << language.toStdString() << " has an unused entry: " << source.toStdString();
        }
    }
}
