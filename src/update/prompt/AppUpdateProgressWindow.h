#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace veyra {

// The small "Software Update" window (object name "app-update-progress") that shows an
// update being downloaded, with Cancel, and then being installed. It follows the interface
// language.
class AppUpdateProgressWindow : public QWidget
{
    Q_OBJECT

public:
    explicit AppUpdateProgressWindow(std::function<void()> cancel, QWidget *parent = nullptr);

    // `received` of `expected` bytes; an unknown total shows a busy bar.
    void showDownloadProgress(qint64 received, qint64 expected);
    // The download is done: the update is verified and put in place; nothing to cancel.
    void showInstalling();

    bool isInstalling() const { return m_installing; }

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslate();

    std::function<void()> m_cancel;
    QLabel *m_status;
    QLabel *m_detail;
    QProgressBar *m_progress;
    QPushButton *m_cancelButton;
    bool m_installing = false;
    qint64 m_received = 0;
    qint64 m_expected = 0;
};

} // namespace veyra
