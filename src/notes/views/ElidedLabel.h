#pragma once

#include <QLabel>
#include <QString>

namespace veyra {

// A plain-text label that shows at most `maximumLineCount` lines (0: no limit), cutting
// the last one with an ellipsis when the text needs more; the whole text stays in the
// tool tip then (plain text there too). Lines break between words and, where a word (a
// path, say) is wider than the label, inside it, so nothing is cut at the side. It asks
// for no width of its own, so a long name never widens its window.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(int maximumLineCount, QWidget *parent = nullptr);

    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }
    // True when the shown text is cut.
    bool isElided() const { return m_elided; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void updateShownText();
    // The text as shown at a width of the contents: the lines it breaks into there, cut
    // to the line limit.
    QString shownTextFor(int width, bool *elided = nullptr) const;

    int m_maximumLineCount;
    QString m_fullText;
    bool m_elided = false;
};

} // namespace veyra
