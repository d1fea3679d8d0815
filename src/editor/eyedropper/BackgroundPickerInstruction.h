#pragma once

#include <QStringList>
#include <QWidget>

namespace veyra {

// The note at the top of the canvas while the eyedropper is armed: the eyedropper symbol
// and "Use the eyedropper and click a clean, text-free part of the dialogue background."
// on a rounded panel with an orange rim, at most two centred lines. Takes no pointer input.
class BackgroundPickerInstruction : public QWidget
{
    Q_OBJECT
    // The text whose lines it last painted (empty before the first paint), for tests.
    Q_PROPERTY(QStringList paintedTexts READ paintedTexts)

public:
    explicit BackgroundPickerInstruction(QWidget *parent = nullptr);

    // The localised text it shows.
    static QString text();

    // The size of the panel (without its shadow) when it may be at most `maximumWidth`
    // points wide.
    QSize panelSizeForMaximumWidth(int maximumWidth) const;
    // Places the panel, centred on `centre`, at most `maximumWidth` points wide.
    void place(QPoint centre, int maximumWidth);

    // Shows the text in the current interface language.
    void retranslate();

    // The lines shown at a given text width: at most two, the second elided.
    QStringList linesForWidth(int textWidth) const;

    QStringList paintedTexts() const { return m_paintedTexts; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int textWidthFor(int panelWidth) const;
    QRect panelRect() const;

    QStringList m_paintedTexts;
};

} // namespace veyra
