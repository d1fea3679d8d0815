#pragma once

#include <QString>
#include <QWidget>

namespace veyra {

// Plain text wrapped onto at most `maximumLines` lines; text that needs more ends the
// last line with an ellipsis. Never read as markup. Its accessible name is the full text.
class LineLimitedLabel : public QWidget
{
    Q_OBJECT

public:
    LineLimitedLabel(const QString &text, int maximumLines, QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    int maximumLines() const { return m_maximumLines; }

    // The lines shown at a width, the last one elided when the text needs more.
    QStringList displayedLines(int width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString m_text;
    int m_maximumLines;
};

} // namespace veyra
