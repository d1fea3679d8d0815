#pragma once

#include <QLabel>
#include <QStringList>

class QTextLayout;

namespace veyra {

// A plain-text label that shows its whole text on as many lines as it needs: lines break
// at word boundaries, and inside a run that has no break opportunity when the run is wider
// than the line (a long address, a long number), so nothing is ever cut off at its right
// edge. The text is never read as markup; line breaks in it are kept.
class WrappedTextLabel : public QLabel
{
    Q_OBJECT

public:
    explicit WrappedTextLabel(const QString &text, QWidget *parent = nullptr);

    // The lines shown at a width, without their line breaks.
    QStringList displayedLines(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Lays the text out at a width; returns the height it takes.
    qreal layOut(QTextLayout &layout, int width) const;
};

} // namespace veyra
