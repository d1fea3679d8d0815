#include "support/RenderedDialogue.h"

#include <QFont>
#include <QFontDatabase>
#include <QPainter>

namespace veyra::test {

QImage renderDialogue(const QStringList &lines, const DialogueStyle &style)
{
    QImage image(style.width, style.height, QImage::Format_RGB32);
    image.fill(style.background);
    QPainter painter(&image);
    QFont font(style.fontFamily);
    font.setPixelSize(style.pixelSize);
    painter.setFont(font);
    painter.setPen(style.text);
    const int lineHeight = style.pixelSize * 3 / 2;
    int baseline = 20 + style.pixelSize;
    for (const QString &line : lines) {
        painter.drawText(24, baseline, line);
        baseline += lineHeight;
    }
    return image;
}

bool hasFontFamily(const QString &family)
{
    return QFontDatabase::families().contains(family);
}

} // namespace veyra::test
