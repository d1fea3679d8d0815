#include "foundation/text/PlainText.h"

namespace veyra {

QString richTextOfPlainText(const QString &plainText)
{
    if (plainText.isEmpty()) {
        // An empty tool tip is no tool tip.
        return plainText;
    }
    return QStringLiteral("<p style='white-space:pre-wrap'>") + plainText.toHtmlEscaped() + QStringLiteral("</p>");
}

} // namespace veyra
