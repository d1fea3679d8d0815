#pragma once

#include "overlay/state/OverlayViewModel.h"

#include <QPointer>
#include <QWidget>

namespace veyra {

// The whole content of the overlay panel, drawn from the view model alone: a dark rounded
// background at the chosen opacity and on it, while the capture areas are ready, each
// area's recognised text with its translation (or a waiting line), otherwise a help card
// that says why nothing is translated. Nothing scrolls: content taller than the panel is
// cut off at the background's bottom edge. While ready, the content lets every click
// through. The content is made again, in the new language, when the interface language
// changes.
class OverlayContentView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int outerMargin = 8;
    static constexpr int cornerRadius = 18;
    static constexpr int contentInset = 18;

    explicit OverlayContentView(OverlayViewModel *model, QWidget *parent = nullptr);

    OverlayViewModel *model() const { return m_model; }

Q_SIGNALS:
    // "Edit Capture Areas…" was clicked.
    void editCaptureAreasRequested();
    // "Choose Another Window" was clicked.
    void chooseAnotherWindowRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void rebuild();
    void placeContent();
    QWidget *makeReadyContent();
    QWidget *makeRows();
    QWidget *makeHelpCard();
    QWidget *makeTargetSummary(QWidget *parent);

    QPointer<OverlayViewModel> m_model;
    // The background's rectangle; the content inside it is clipped to it.
    QWidget *m_clip;
    QWidget *m_content = nullptr;
};

} // namespace veyra
