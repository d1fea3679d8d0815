#include "update/updater/FeedMarkupBounds.h"

#include <vector>

namespace veyra {

namespace {

class FeedMarkupScan
{
public:
    explicit FeedMarkupScan(QStringView text)
        : m_text(text)
    { }

    std::optional<QString> run()
    {
        for (qsizetype position = 0; position < m_text.size();) {
            const qsizetype open = m_text.indexOf(u'<', position);
            if (open < 0) {
                return std::nullopt;
            }
            const QStringView markup = m_text.sliced(open);
            std::optional<qsizetype> end;
            if (markup.startsWith(u"<!--")) {
                end = after(u"-->", open + 4);
            } else if (markup.startsWith(u"<![CDATA[")) {
                end = after(u"]]>", open + 9);
            } else if (markup.startsWith(u"<?")) {
                end = after(u"?>", open + 2);
            } else if (markup.startsWith(u"<!DOCTYPE")) {
                if (const auto refused = readDocumentType(open + 9, end)) {
                    return refused;
                }
            } else if (markup.startsWith(u"<!")) {
                return notWellFormed(open);
            } else if (markup.startsWith(u"</")) {
                end = after(u">", open + 2);
                if (!m_declarationsInScope.empty()) {
                    m_declarationsInScope.pop_back();
                }
            } else if (const auto refused = readStartTag(open + 1, end)) {
                return refused;
            }
            if (!end) {
                // The text ends inside markup: Qt's reader refuses it there.
                return std::nullopt;
            }
            position = *end;
        }
        return std::nullopt;
    }

private:
    // The position after the next `closing` from `from`; nothing when there is none.
    std::optional<qsizetype> after(QStringView closing, qsizetype from) const
    {
        const qsizetype found = m_text.indexOf(closing, from);
        return found < 0 ? std::nullopt : std::optional<qsizetype>(found + closing.size());
    }

    std::optional<qsizetype> afterQuoted(qsizetype quote) const
    {
        const qsizetype closing = m_text.indexOf(m_text[quote], quote + 1);
        return closing < 0 ? std::nullopt : std::optional<qsizetype>(closing + 1);
    }

    qsizetype afterSpaces(qsizetype from) const
    {
        while (from < m_text.size() && isXmlSpace(m_text[from])) {
            ++from;
        }
        return from;
    }

    static QString notWellFormed(qsizetype position)
    {
        return QStringLiteral("the markup is not well-formed at character %1").arg(position);
    }

    // A document type's name and external identifier, up to its '>'; its declarations
    // are refused.
    std::optional<QString> readDocumentType(qsizetype from, std::optional<qsizetype> &end) const
    {
        for (qsizetype at = from; at < m_text.size();) {
            const QChar character = m_text[at];
            if (character == u'"' || character == u'\'') {
                const std::optional<qsizetype> quoted = afterQuoted(at);
                if (!quoted) {
                    return std::nullopt;
                }
                at = *quoted;
            } else if (character == u'[') {
                return QStringLiteral("the feed declares entities or attributes in its document type");
            } else if (character == u'>') {
                end = at + 1;
                return std::nullopt;
            } else {
                ++at;
            }
        }
        return std::nullopt;
    }

    // A start tag from its name on, up to its '>' or "/>": its attributes are counted, and
    // the namespace declarations of an element that stays open are in scope until its end
    // tag. Lenient where Qt's reader is strict (names, spaces between attributes): it
    // refuses the rest itself.
    std::optional<QString> readStartTag(qsizetype from, std::optional<qsizetype> &end)
    {
        const auto nameEnds = [](QChar character) {
            return isXmlSpace(character) || character == u'>' || character == u'/' || character == u'=';
        };
        qsizetype at = from;
        while (at < m_text.size() && !nameEnds(m_text[at])) {
            ++at;
        }
        int attributes = 0;
        // The namespace declarations in scope on this element, its own included.
        qsizetype inScope = m_declarationsInScope.empty() ? 0 : m_declarationsInScope.back();
        while (true) {
            at = afterSpaces(at);
            if (at >= m_text.size()) {
                return std::nullopt;
            }
            if (m_text[at] == u'>') {
                m_declarationsInScope.push_back(inScope);
                end = at + 1;
                return std::nullopt;
            }
            if (m_text[at] == u'/') {
                if (at + 1 < m_text.size() && m_text[at + 1] != u'>') {
                    return notWellFormed(at);
                }
                end = at + 2;
                return std::nullopt;
            }
            const qsizetype nameStart = at;
            while (at < m_text.size() && !nameEnds(m_text[at])) {
                ++at;
            }
            const QStringView name = m_text.sliced(nameStart, at - nameStart);
            at = afterSpaces(at);
            if (at >= m_text.size()) {
                return std::nullopt;
            }
            if (name.isEmpty() || m_text[at] != u'=') {
                return notWellFormed(at);
            }
            at = afterSpaces(at + 1);
            if (at >= m_text.size()) {
                return std::nullopt;
            }
            if (m_text[at] != u'"' && m_text[at] != u'\'') {
                return notWellFormed(at);
            }
            const std::optional<qsizetype> quoted = afterQuoted(at);
            if (!quoted) {
                return std::nullopt;
            }
            at = *quoted;
            if (++attributes > maximumFeedAttributesPerElement) {
                return QStringLiteral("an element at character %1 has more than %2 attributes")
                    .arg(from - 1)
                    .arg(maximumFeedAttributesPerElement);
            }
            if (name == u"xmlns" || name.startsWith(u"xmlns:")) {
                ++inScope;
            }
            if (inScope > maximumFeedNamespaceDeclarationsInScope) {
                return QStringLiteral("an element at character %1 has more than %2 namespace declarations in scope")
                    .arg(from - 1)
                    .arg(maximumFeedNamespaceDeclarationsInScope);
            }
        }
    }

    QStringView m_text;
    // The namespace declarations in scope inside each open element, the innermost last.
    std::vector<qsizetype> m_declarationsInScope;
};

} // namespace

std::optional<QString> refusedFeedMarkup(QStringView text)
{
    return FeedMarkupScan(text).run();
}

} // namespace veyra
