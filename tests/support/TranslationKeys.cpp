#include "support/TranslationKeys.h"

#include "support/TestPaths.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace veyra::test {

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

} // namespace

TranslationKeys translationKeysInSources()
{
    static const QRegularExpression marker(
        QStringLiteral(R"re(QT_TRANSLATE_(N_)?NOOP\(\s*"Veyra"\s*,\s*((?:"(?:[^"\\]|\\.)*"\s*)+)\))re"));
    static const QRegularExpression piece(QStringLiteral(R"re("((?:[^"\\]|\\.)*)")re"));
    TranslationKeys keys;
    QDirIterator it(sourceDir() + QStringLiteral("/src"), {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
        QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QString text = QString::fromUtf8(file.readAll());
        for (auto match = marker.globalMatch(text); match.hasNext();) {
            const QRegularExpressionMatch found = match.next();
            QString key;
            for (auto parts = piece.globalMatch(found.captured(2)); parts.hasNext();) {
                key += unescapeCString(parts.next().captured(1));
            }
            (found.capturedLength(1) > 0 ? keys.countTexts : keys.texts).insert(key);
        }
    }
    return keys;
}

} // namespace veyra::test
