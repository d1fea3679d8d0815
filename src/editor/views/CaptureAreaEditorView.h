#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

class QDialog;
class QLabel;
class QPushButton;
class QStackedWidget;

namespace veyra {

class CaptureAreaCanvas;
class CaptureAreaEditingGuideView;
class CaptureAreaEditorModel;
class CaptureAreaEditorSessionProviding;
class CaptureAreaGuideModel;
class CaptureAreaGuideSheet;
class CaptureAreaInspector;

// The content of the capture-area editor window ("capture-areas"): a top bar with the
// editing commands, then, by the model's state, a progress text while the snapshot is
// taken, a failure panel with its ways out, or the canvas beside the inspector. Each time
// it comes on screen it loads the session's game window (and shows the guide the first
// time); when it goes away it forgets everything. After a successful save it asks the
// session to restart capture with the new areas, then closes its window. It relabels itself,
// the window's title and the guide on every change of the interface language.
class CaptureAreaEditorView : public QWidget
{
    Q_OBJECT

public:
    // The object name of the guide's window, which shares the editor's title.
    static constexpr const char *guideWindowIdentifier = "capture-area-guide";

    CaptureAreaEditorView(std::shared_ptr<CaptureAreaEditorSessionProviding> session,
        std::unique_ptr<CaptureAreaEditorModel> model, std::unique_ptr<CaptureAreaGuideModel> guideModel,
        QWidget *parent = nullptr);
    ~CaptureAreaEditorView() override;

    CaptureAreaEditorModel &model() const { return *m_model; }
    CaptureAreaGuideModel &guideModel() const { return *m_guideModel; }
    CaptureAreaCanvas &canvas() const { return *m_canvas; }
    // The window-modal sheet that holds the guide while it is presented.
    QDialog &guideSheet() const;

    QSize sizeHint() const override { return {1100, 720}; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();
    void refresh();
    void refreshGuideSheet();
    void loadOnAppearance();
    void tryAgain();
    void save();
    void cancel();
    void chooseAnotherWindow();
    void closeWindow();
    QWidget *makeTopBar();
    QWidget *makeProgressPage();
    QWidget *makeFailurePage();

    std::shared_ptr<CaptureAreaEditorSessionProviding> m_session;
    std::unique_ptr<CaptureAreaEditorModel> m_model;
    std::unique_ptr<CaptureAreaGuideModel> m_guideModel;

    QLabel *m_title = nullptr;
    QLabel *m_targetLine = nullptr;
    QPushButton *m_guideButton = nullptr;
    QPushButton *m_backgroundButton = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QStackedWidget *m_stateArea = nullptr;
    QWidget *m_progressPage = nullptr;
    QLabel *m_progressText = nullptr;
    QWidget *m_failurePage = nullptr;
    QLabel *m_failureSymbol = nullptr;
    QLabel *m_failureMessage = nullptr;
    QPushButton *m_chooseAnotherButton = nullptr;
    QPushButton *m_tryAgainButton = nullptr;
    QPushButton *m_failureCancelButton = nullptr;
    QWidget *m_readyPage = nullptr;
    CaptureAreaCanvas *m_canvas = nullptr;
    CaptureAreaInspector *m_inspector = nullptr;
    CaptureAreaGuideSheet *m_guideSheet = nullptr;
    CaptureAreaEditingGuideView *m_guideView = nullptr;
    // Counts the appearances and disappearances; a load started for an earlier
    // appearance does not present the guide.
    std::uint64_t m_appearance = 0;
};

} // namespace veyra
