#include "foundation/language/LocalizedString.h"

#include "foundation/language/ClientLanguage.h"

#include <QTranslator>

#include <memory>
#include <mutex>

namespace veyra {

namespace {

// Strings are looked up in one context shared by the whole application.
constexpr const char *translationContext = "Veyra";

struct Translators
{
    std::unique_ptr<QTranslator> korean;
    std::unique_ptr<QTranslator> japanese;
    // Holds only the plural forms of the texts that name a count.
    std::unique_ptr<QTranslator> english;
};

std::unique_ptr<QTranslator> loadTranslator(const QString &code)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral(":/i18n/veyra_%1.qm").arg(code))) {
        return nullptr;
    }
    return translator;
}

// The compiled catalogues are immutable once loaded, and QTranslator::translate is
// const and reentrant, so they are loaded once and shared by every thread.
const Translators &translators()
{
    static std::once_flag once;
    static Translators loaded;
    std::call_once(once, [] {
        loaded.korean = loadTranslator(QStringLiteral("ko"));
        loaded.japanese = loadTranslator(QStringLiteral("ja"));
        loaded.english = loadTranslator(QStringLiteral("en"));
    });
    return loaded;
}

const QTranslator *currentTranslator()
{
    const Translators &all = translators();
    switch (currentClientLanguage()) {
    case ClientLanguage::korean:
        return all.korean.get();
    case ClientLanguage::japanese:
        return all.japanese.get();
    case ClientLanguage::english:
        break;
    }
    return all.english.get();
}

} // namespace

QString localizedString(const QString &key)
{
    if (currentClientLanguage() == ClientLanguage::english) {
        return key;
    }
    const QTranslator *translator = currentTranslator();
    if (translator == nullptr) {
        return key;
    }
    const QByteArray utf8 = key.toUtf8();
    const QString translated = translator->translate(translationContext, utf8.constData());
    return translated.isEmpty() ? key : translated;
}

QString localizedString(const char *utf8Key)
{
    return localizedString(QString::fromUtf8(utf8Key));
}

QString localizedCountString(const char *utf8Key, int count)
{
    QString text;
    if (const QTranslator *translator = currentTranslator()) {
        text = translator->translate(translationContext, utf8Key, nullptr, count);
    }
    if (text.isEmpty()) {
        text = QString::fromUtf8(utf8Key);
    }
    return text.replace(QStringLiteral("%n"), QString::number(count));
}

QString formatPlaceholders(const QString &pattern, const QStringList &arguments)
{
    static const QString placeholder = QStringLiteral("%@");
    QString result;
    result.reserve(pattern.size());
    qsizetype from = 0;
    qsizetype next = 0;
    while (true) {
        const qsizetype at = pattern.indexOf(placeholder, from);
        if (at < 0 || next >= arguments.size()) {
            result += QStringView(pattern).mid(from);
            break;
        }
        result += QStringView(pattern).mid(from, at - from);
        result += arguments.at(next++);
        from = at + placeholder.size();
    }
    return result;
}

QString localizedFormat(const QString &key, const QStringList &arguments)
{
    return formatPlaceholders(localizedString(key), arguments);
}

} // namespace veyra

namespace veyra {

QString localizedFormat(const char *utf8Key, const QStringList &arguments)
{
    return localizedFormat(QString::fromUtf8(utf8Key), arguments);
}

LocalizableText LocalizableText::marked(const char *utf8Key, QStringList arguments)
{
    LocalizableText text;
    text.m_key = utf8Key;
    text.m_arguments = std::move(arguments);
    return text;
}

QString LocalizableText::english() const
{
    return m_key ? formatPlaceholders(QString::fromUtf8(m_key), m_arguments) : m_verbatim;
}

QString LocalizableText::localized() const
{
    return m_key ? localizedFormat(m_key, m_arguments) : m_verbatim;
}

} // namespace veyra
