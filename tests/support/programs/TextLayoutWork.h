#pragma once

#include <QFont>
#include <QString>
#include <QTextLayout>

namespace veyra::test {

// Lays out a line of text in each size from `smallest` up to `largest`: each new size makes
// Qt find and load a font, as the workers' text does.
inline void layOutTextInSizes(int smallest, int largest)
{
    for (int size = smallest; size < largest; ++size) {
        QFont font;
        font.setPixelSize(size);
        QTextLayout layout(
            QStringLiteral("Veyra reads the dialogue of the game. 台詞を読み取ります. 대사를 읽습니다."), font);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(200);
        }
        layout.endLayout();
    }
}

} // namespace veyra::test
