#include "capture/windows/QtPermissionRestartPresenter.h"

#include "foundation/identity/AppIdentity.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/text/PlainText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <coroutine>
#include <memory>

namespace veyra {

namespace {

// Resumes the awaiting coroutine once the dialog has finished or been destroyed,
// always from the event loop (never inside the dialog's own signal emission).
class DialogDismissal
{
public:
    explicit DialogDismissal(QDialog *dialog)
        : m_dialog(dialog)
    { }

    bool await_ready() const noexcept { return m_dialog.isNull(); }

    void await_suspend(std::coroutine_handle<> awaiting)
    {
        auto resumed = std::make_shared<bool>(false);
        const auto resume = [awaiting, resumed] {
            if (!*resumed) {
                *resumed = true;
                awaiting.resume();
            }
        };
        QObject::connect(m_dialog.data(), &QDialog::finished, qApp, resume, Qt::QueuedConnection);
        QObject::connect(m_dialog.data(), &QObject::destroyed, qApp, resume, Qt::QueuedConnection);
    }

    void await_resume() const noexcept { }

private:
    QPointer<QDialog> m_dialog;
};

} // namespace

QtPermissionRestartPresenter::QtPermissionRestartPresenter(QWidget *parent)
    : m_parent(parent)
{ }

QCoro::Task<void> QtPermissionRestartPresenter::presentRestartPrompt()
{
    QPointer<QMessageBox> alert = new QMessageBox(m_parent.data());
    alert->setObjectName(QString::fromLatin1(alertObjectName));
    alert->setIcon(QMessageBox::Information);
    alert->setTextFormat(Qt::PlainText);
    QPushButton *quit = alert->addButton(QString(), QMessageBox::AcceptRole);
    const auto relabel = [alert = alert.data(), quit] {
        alert->setWindowTitle(appDisplayName());
        alert->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Screen Recording Permission Granted")));
        alert->setInformativeText(richTextOfPlainText(localizedFormat(
            QT_TRANSLATE_NOOP("Veyra", "Quit and reopen %@ to load available windows."), {appDisplayName()})));
        quit->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Quit")));
    };
    relabel();
    relabelOnLanguageChange(alert, relabel);
    alert->open();
    co_await DialogDismissal(alert.data());
    if (alert) {
        alert->deleteLater();
    }
}

} // namespace veyra
