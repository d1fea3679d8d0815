#pragma once

#include "update/model/AppUpdateModel.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

namespace veyra {

class ProgressSpinner;

// The blocking screen the main window shows while the minimum-version state is not
// `allowed`: the lockup and one card for the state (checking, check failed, update
// required, install failed) with exactly the actions that lead out of it. It keeps no
// state of its own: it redraws whenever the model's state or update session changes, and
// every action is an operation of the model, of the home-page opener, or quitting.
class MinimumVersionUpdateView : public QWidget
{
    Q_OBJECT

public:
    // `onVersionAllowed` runs when a check retried from this screen allows the running
    // build (the main flow starts the session then).
    MinimumVersionUpdateView(AppUpdateModel *model, HomePageOpener webPageOpener,
        std::function<void()> onVersionAllowed, QWidget *parent = nullptr);

    // What "Quit Veyra" does; quitting the application when not set.
    void setQuitAction(std::function<void()> quit);

    // Retries the failed check: the state becomes `checking` at once; when the check
    // allows the build, onVersionAllowed runs.
    void retryCheck();

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeCard();
    void refresh();

    QPointer<AppUpdateModel> m_model;
    HomePageOpener m_webPageOpener;
    std::function<void()> m_onVersionAllowed;
    std::function<void()> m_quit;

    QWidget *m_card = nullptr;
    QLabel *m_symbol = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_message = nullptr;
    ProgressSpinner *m_checking = nullptr;
    QWidget *m_versionLines = nullptr;
    QLabel *m_currentVersion = nullptr;
    QLabel *m_requiredVersion = nullptr;
    QPushButton *m_checkRetry = nullptr;
    QPushButton *m_install = nullptr;
    QPushButton *m_installRetry = nullptr;
    QPushButton *m_download = nullptr;
    QPushButton *m_quitButton = nullptr;
};

} // namespace veyra
