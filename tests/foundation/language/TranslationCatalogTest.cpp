// Test label: unit
// Every English text marked for translation in the sources must have a Korean and a
// Japanese translation in the catalogues the application loads, and the catalogues must
// not carry texts the code no longer uses (a stale entry is usually a key that was
// mistyped or reworded on one side only). A text that names a count has its plural forms
// in every catalogue, the English one included, which holds nothing else.
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"
#include "support/TestPaths.h"
#include "support/TranslationKeys.h"

#include <QFile>
#include <QTranslator>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>

using namespace veyra;

namespace {

struct CatalogueEntry
{
    bool isCountText = false;
    // One translation, or the plural forms of a text that names a count.
    QStringList forms;
};

// source -> entry of one catalogue; unfinished translations count as missing.
std::map<QString, CatalogueEntry> catalogue(const QString &language)
{
    std::map<QString, CatalogueEntry> entries;
    QFile file(veyra::test::sourceDir() + QStringLiteral("/resources/translations/veyra_%1.ts").arg(language));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing catalogue " << language.toStdString();
        return entries;
    }
    QXmlStreamReader xml(&file);
    QString source;
    CatalogueEntry entry;
    bool unfinished = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            EXPECT_EQ(entries.count(source), 0u) << language.toStdString() << " lists twice: " << source.toStdString();
            if (!unfinished) {
                entries[source] = entry;
            }
            continue;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            EXPECT_EQ(xml.readElementText(), QStringLiteral("Veyra")) << "catalogues use the single context Veyra";
        } else if (xml.name() == QLatin1String("message")) {
            entry = CatalogueEntry{xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes"), {}};
            unfinished = false;
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            unfinished = xml.attributes().hasAttribute(QStringLiteral("type"));
            if (!entry.isCountText) {
                entry.forms.append(xml.readElementText());
            }
        } else if (xml.name() == QLatin1String("numerusform")) {
            entry.forms.append(xml.readElementText());
        }
    }
    EXPECT_FALSE(xml.hasError()) << language.toStdString() << ": " << xml.errorString().toStdString();
    return entries;
}

// A count text's forms: as many as the language has, each with the number in it.
void expectPluralForms(const QString &language, const QString &key, const CatalogueEntry &entry, int formCount)
{
    EXPECT_TRUE(entry.isCountText) << language.toStdString() << " lists as a plain text: " << key.toStdString();
    EXPECT_EQ(entry.forms.size(), formCount) << language.toStdString() << ": " << key.toStdString();
    for (const QString &form : entry.forms) {
        EXPECT_TRUE(form.contains(QStringLiteral("%n"))) << language.toStdString() << ": " << form.toStdString();
    }
}

} // namespace

TEST(TranslationCatalog, EveryMarkedTextIsTranslatedAndNothingIsStale)
{
    const veyra::test::TranslationKeys keys = veyra::test::translationKeysInSources();
    ASSERT_FALSE(keys.texts.isEmpty());
    ASSERT_FALSE(keys.countTexts.isEmpty());
    for (const QString &language : {QStringLiteral("ko"), QStringLiteral("ja")}) {
        // What the application sees: the catalogue as lrelease compiled and embedded it.
        QTranslator compiled;
        ASSERT_TRUE(compiled.load(QStringLiteral(":/i18n/veyra_%1.qm").arg(language))) << language.toStdString();
        for (const QString &key : keys.texts) {
            const QString translation = compiled.translate("Veyra", key.toUtf8().constData());
            EXPECT_FALSE(translation.isEmpty()) << language.toStdString() << " lacks: " << key.toStdString();
            // Placeholders must survive translation, or formatting drops an argument.
            EXPECT_EQ(translation.count(QStringLiteral("%@")), key.count(QStringLiteral("%@")))
                << language.toStdString() << ": " << key.toStdString();
        }
        const std::map<QString, CatalogueEntry> entries = catalogue(language);
        for (const QString &key : keys.countTexts) {
            const auto entry = entries.find(key);
            ASSERT_NE(entry, entries.end()) << language.toStdString() << " lacks: " << key.toStdString();
            // Korean and Japanese have one form for every count.
            expectPluralForms(language, key, entry->second, 1);
        }
        for (const auto &[source, entry] : entries) {
            EXPECT_TRUE(keys.texts.contains(source) || keys.countTexts.contains(source))
                << language.toStdString() << " has an unused entry: " << source.toStdString();
            EXPECT_EQ(entry.isCountText, keys.countTexts.contains(source))
                << language.toStdString() << ": " << source.toStdString();
        }
    }
    // English texts are their own keys: the English catalogue holds exactly the plural
    // forms of the texts that name a count, singular and plural.
    const std::map<QString, CatalogueEntry> english = catalogue(QStringLiteral("en"));
    EXPECT_EQ(english.size(), static_cast<std::size_t>(keys.countTexts.size()));
    for (const QString &key : keys.countTexts) {
        const auto entry = english.find(key);
        ASSERT_NE(entry, english.end()) << "en lacks: " << key.toStdString();
        expectPluralForms(QStringLiteral("en"), key, entry->second, 2);
    }
}

TEST(TranslationCatalog, ACountTextTakesTheLanguagesPluralForm)
{
    const char *key = QT_TRANSLATE_N_NOOP("Veyra", "%n windows");
    EXPECT_EQ(localizedCountString(key, 1), QStringLiteral("1 window"));
    EXPECT_EQ(localizedCountString(key, 2), QStringLiteral("2 windows"));
    EXPECT_EQ(localizedCountString(key, 0), QStringLiteral("0 windows"));
    setCurrentClientLanguage(ClientLanguage::korean);
    EXPECT_EQ(localizedCountString(key, 1), QStringLiteral("창 1개"));
    EXPECT_EQ(localizedCountString(key, 12), QStringLiteral("창 12개"));
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(localizedCountString(key, 1), QStringLiteral("1 個のウィンドウ"));
    EXPECT_EQ(localizedCountString(key, 3), QStringLiteral("3 個のウィンドウ"));
    setCurrentClientLanguage(ClientLanguage::english);
}
