#pragma once

#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QTextDocument>
#include <QWidget>

namespace veyra::test {

// What Qt shows for a text in a place that reads it by `format`: markup is read as rich
// text (an image becomes U+FFFC, tags vanish), anything else is shown as it is. Tool tips
// and a message box's informative text are read as Qt::AutoText.
inline QString shownText(const QString &text, Qt::TextFormat format = Qt::AutoText)
{
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) {
        return text;
    }
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText();
}

inline QString shownText(const QLabel &label)
{
    return shownText(label.text(), label.textFormat());
}

inline QString shownToolTip(const QWidget &widget)
{
    return shownText(widget.toolTip());
}

// The texts a view drew with its own painter the last time it painted, for the views that
// keep them in their "paintedTexts" property (the editor canvas's area tags, the
// eyedropper's instruction, the guide's illustration). Empty before the first paint.
inline QStringList paintedTexts(const QWidget &widget)
{
    return widget.property("paintedTexts").toStringList();
}

// Every text a window (or any widget) shows: its title, and of each widget below it that
// is not hidden its text as shown, tool tip, placeholder, menu options, and the texts some
// views paint themselves (the picker's window count, the notes list's dates, and what the
// views that keep "paintedTexts" drew when they last painted).
QStringList textsShownIn(const QWidget &root);

inline QString shownInformativeText(const QMessageBox &box)
{
    const auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
    return label != nullptr ? shownText(*label) : QString();
}

} // namespace veyra::test
