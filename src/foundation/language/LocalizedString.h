#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Every user-visible English text is written in the code inside QT_TRANSLATE_NOOP with
// the context "Veyra": the macro is the text itself, and marks it as a key of the Korean
// and Japanese catalogues in resources/translations (a test checks that both catalogues
// hold every key). A text that names a count is marked with QT_TRANSLATE_N_NOOP instead:
// its key has "%n" where the number goes, and every catalogue, the English one included,
// holds the plural forms of its language.

namespace veyra {

// Looks an English text up in the current interface language. The English text is the
// key: it comes back unchanged for English and for a key without a translation.
// Callable from any thread.
QString localizedString(const QString &key);
QString localizedString(const char *utf8Key);

// Looks up a text that names a count (a key marked with QT_TRANSLATE_N_NOOP) in the
// plural form the current interface language uses for `count`, and writes the number in
// place of "%n": "1 window", "2 windows". Callable from any thread.
QString localizedCountString(const char *utf8Key, int count);

// Replaces each "%@" of a looked-up pattern, in order, with the next argument.
QString formatPlaceholders(const QString &pattern, const QStringList &arguments);

// localizedString() of the pattern with its placeholders filled in.
QString localizedFormat(const QString &key, const QStringList &arguments);
QString localizedFormat(const char *utf8Key, const QStringList &arguments);

// A text worded again each time it is read: one of Veyra's own, marked with
// QT_TRANSLATE_NOOP("Veyra", ...), whose "%@" are filled with its arguments (in the
// interface language), or one given as it stands (a reason the system gave).
class LocalizableText
{
public:
    LocalizableText() = default;
    // A text shown as it stands, in every language.
    LocalizableText(QString verbatim)
        : m_verbatim(std::move(verbatim))
    { }
    static LocalizableText marked(const char *utf8Key, QStringList arguments = {});

    QString english() const;
    QString localized() const;
    bool isEmpty() const { return m_key == nullptr && m_verbatim.isEmpty(); }

private:
    const char *m_key = nullptr;
    QStringList m_arguments;
    QString m_verbatim;
};

} // namespace veyra
