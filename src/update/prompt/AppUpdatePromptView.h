#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace veyra {

class AppUpdatePromptModel;
class ReleaseNotesBrowser;

// The content of the "Software Update" window: the application icon with the offered and
// the running version, the release notes (loading, loaded or unavailable), and Cancel
// (Escape) and Update (Return).
class AppUpdatePromptView : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize{520, 400};

    AppUpdatePromptView(AppUpdatePromptModel *model, std::function<void()> cancel, std::function<void()> install,
        QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makeHeader();
    QWidget *makeReleaseNotesSection();
    QWidget *makeButtonRow();
    void retranslate();
    void refreshReleaseNotes();

    QPointer<AppUpdatePromptModel> m_model;
    std::function<void()> m_cancel;
    std::function<void()> m_install;
    QLabel *m_title = nullptr;
    QLabel *m_versions = nullptr;
    QLabel *m_releaseNotesHeading = nullptr;
    QStackedWidget *m_releaseNotesContent = nullptr;
    ReleaseNotesBrowser *m_browser = nullptr;
    QLabel *m_unavailable = nullptr;
    QLabel *m_loading = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_installButton = nullptr;
};

} // namespace veyra
