#pragma once

#include <QSize>
#include <QWidget>

#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace veyra {

class CaptureAreaGuideIllustration;
class CaptureAreaGuideStepRow;
class VeyraBrandLockup;

// The first-use guide of the capture-area editor, 920 x 650 points: on the left a game
// scene with a sample dialogue box, the blue search area around it and the eyedropper; on
// the right the brand lockup, a title, three numbered steps, a note and "Done". It calls
// `onDone` from its Done button (or Return) and never dismisses itself.
class CaptureAreaEditingGuideView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{920, 650};
    static constexpr int textPanelWidth = 350;

    explicit CaptureAreaEditingGuideView(std::function<void()> onDone, QWidget *parent = nullptr);

    CaptureAreaGuideIllustration &illustration() const { return *m_illustration; }

    // Texts in the current interface language.
    void retranslate();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    std::function<void()> m_onDone;
    CaptureAreaGuideIllustration *m_illustration;
    QWidget *m_textPanel;
    VeyraBrandLockup *m_lockup;
    QLabel *m_title;
    std::array<CaptureAreaGuideStepRow *, 3> m_steps{};
    QLabel *m_note;
    QPushButton *m_done;
};

} // namespace veyra
