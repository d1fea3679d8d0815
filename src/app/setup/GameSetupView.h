#pragma once

#include "app/session/AppPhase.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace veyra {

class AppSession;
class AppUpdateModel;
class AvailableAppUpdateButton;
class ProgressPane;
class SetupStepRow;
class VeyraBrandLockup;
class WindowCatalogProviding;
class WindowPickerView;

// What the main window shows from a signed-in player to a chosen game window (the
// phases checkingPermission, requestingPermission, permissionDenied and choosing): a
// sidebar with the brand, the three set-up steps and, while choosing with an update on
// offer, "Update"; beside it a title and the phase's content: progress while the capture
// permission is checked or requested, the denied pane (what to do, and "Quit"), or the
// window picker.
//
// The whole screen forces the dark colour scheme tinted with the brand's orange. Its
// fixed texts are looked up again on every change of the interface language.
class GameSetupView : public QWidget
{
    Q_OBJECT

public:
    GameSetupView(AppSession *session, AppUpdateModel *appUpdateModel, std::shared_ptr<WindowCatalogProviding> catalog,
        QWidget *parent = nullptr);
    ~GameSetupView() override;

    static constexpr int sidebarWidth = 228;

    // The picker while the session is choosing a window; none otherwise.
    WindowPickerView *windowPicker() const { return m_picker; }

protected:
    void changeEvent(QEvent *event) override;

private:
    QWidget *makeSidebar();
    QWidget *makeMainColumn();
    QWidget *makeDeniedPane();
    void retranslate();
    void showPhase();
    void showUpdateButton();
    void showPicker(bool choosing);

    QPointer<AppSession> m_session;
    QPointer<AppUpdateModel> m_appUpdateModel;
    const std::shared_ptr<WindowCatalogProviding> m_catalog;

    QWidget *m_sidebar = nullptr;
    VeyraBrandLockup *m_lockup = nullptr;
    SetupStepRow *m_steps[3] = {};
    AvailableAppUpdateButton *m_updateButton = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_subtitle = nullptr;
    QStackedWidget *m_content = nullptr;
    ProgressPane *m_progressPane = nullptr;
    QWidget *m_deniedPane = nullptr;
    QLabel *m_deniedMessage = nullptr;
    QPushButton *m_quitButton = nullptr;
    QWidget *m_emptyPane = nullptr;
    WindowPickerView *m_picker = nullptr;
};

} // namespace veyra
