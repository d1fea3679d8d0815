#pragma once

#include <QString>

namespace veyra {

// Text from outside the program (game and application names, window titles, server
// messages, account names, note text) is always shown as it is, never read as markup.
// Labels take it with Qt::PlainText. A place that reads every text that looks like markup
// as rich text (a tool tip, a message box's informative text) takes it through this: the
// text escaped inside a paragraph that keeps its spaces and line breaks, so that
// "<img src=…>" shows as those very characters.
QString richTextOfPlainText(const QString &plainText);

} // namespace veyra
