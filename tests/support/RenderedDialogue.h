#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

namespace veyra::test {

// A game-like dialogue box: light text on a dark blue panel, one line of text per
// entry, drawn with a Noto CJK font at the given pixel size.
struct DialogueStyle
{
    QString fontFamily = QStringLiteral("Noto Sans CJK JP");
    int pixelSize = 28;
    QColor background = QColor(20, 30, 80);
    QColor text = QColor(255, 255, 255);
    int width = 900;
    int height = 140;
};

QImage renderDialogue(const QStringList &lines, const DialogueStyle &style = {});

// True when the font family is installed (fonts-noto-cjk).
bool hasFontFamily(const QString &family);

} // namespace veyra::test
