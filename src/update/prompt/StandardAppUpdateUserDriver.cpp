#include "update/prompt/StandardAppUpdateUserDriver.h"

#include "brand/BrandTextStyles.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/text/PlainText.h"
#include "update/prompt/AppUpdateProgressWindow.h"
#include "update/updater/AppUpdaterError.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace veyra {

namespace {

void bringForward(QWidget *window)
{
    window->raise();
    window->activateWindow();
}

} // namespace

StandardAppUpdateUserDriver::StandardAppUpdateUserDriver(std::optional<AppVersionInfo> currentVersion, QObject *parent)
    : QObject(parent)
    , m_currentVersion(std::move(currentVersion))
{ }

StandardAppUpdateUserDriver::~StandardAppUpdateUserDriver()
{
    closeAlert();
    closeProgressWindow();
}

void StandardAppUpdateUserDriver::showUpdateNotFound(std::function<void()> acknowledgement)
{
    const QString version = m_currentVersion ? m_currentVersion->version : QStringLiteral("–");
    showAlert([] { return localizedString(QT_TRANSLATE_NOOP("Veyra", "You're up to date!")); },
        [version] {
            return localizedFormat(
                QT_TRANSLATE_NOOP("Veyra", "Veyra %@ is currently the newest version available."), {version});
        },
        false, std::move(acknowledgement));
}

void StandardAppUpdateUserDriver::showUpdaterError(const AppUpdaterError &error, std::function<void()> acknowledgement)
{
    closeProgressWindow();
    showAlert([] { return localizedString(QT_TRANSLATE_NOOP("Veyra", "Update Error")); },
        [error] { return error.localizedDescription(); }, true, std::move(acknowledgement));
}

void StandardAppUpdateUserDriver::showDownloadInitiated(std::function<void()> cancellation)
{
    closeProgressWindow();
    auto *window = new AppUpdateProgressWindow(std::move(cancellation));
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setAttribute(Qt::WA_QuitOnClose, false);
    m_progress = window;
    window->show();
    bringForward(window);
}

void StandardAppUpdateUserDriver::showDownloadProgress(qint64 received, qint64 expected)
{
    if (m_progress) {
        m_progress->showDownloadProgress(received, expected);
    }
}

void StandardAppUpdateUserDriver::showInstallingUpdate()
{
    if (m_progress) {
        m_progress->showInstalling();
    }
}

void StandardAppUpdateUserDriver::showUpdateInFocus()
{
    if (m_alert) {
        bringForward(m_alert);
    } else if (m_progress) {
        bringForward(m_progress);
    }
}

void StandardAppUpdateUserDriver::dismissUpdateInstallation()
{
    closeAlert();
    closeProgressWindow();
}

void StandardAppUpdateUserDriver::showAlert(std::function<QString()> title, std::function<QString()> message,
    bool warning, std::function<void()> acknowledgement)
{
    closeAlert();
    auto *alert = new QMessageBox(warning ? QMessageBox::Warning : QMessageBox::Information, QString(), QString());
    alert->setObjectName(QStringLiteral("app-update-alert"));
    alert->setTextFormat(Qt::PlainText);
    // A button of our own: Qt relabels its standard buttons in its own language.
    QPushButton *ok = alert->addButton(QString(), QMessageBox::AcceptRole);
    ok->setObjectName(QStringLiteral("app-update-alert-ok"));
    alert->setDefaultButton(ok);
    alert->setEscapeButton(ok);
    const auto relabel = [alert, ok, title = std::move(title), message = std::move(message)] {
        alert->setWindowTitle(softwareUpdateWindowTitle());
        alert->setText(title ? title() : QString());
        // Shown as plain text, whatever it holds.
        alert->setInformativeText(richTextOfPlainText(message ? message() : QString()));
        ok->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "OK")));
    };
    relabel();
    relabelOnLanguageChange(alert, relabel);
    // The application's icon (a failure is marked on it), a bold title and room for the text.
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        const qreal ratio = alert->devicePixelRatioF();
        QPixmap pixmap = icon.pixmap(QSize(64, 64), ratio);
        if (warning) {
            const QPixmap caution
                = alert->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(QSize(30, 30), ratio);
            QPainter painter(&pixmap);
            painter.drawPixmap(QPointF(34, 34), caution);
        }
        alert->setIconPixmap(pixmap);
    }
    if (auto *heading = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        heading->setFont(brandTextFont(BrandTextStyle::headline, alert->font()));
    }
    alert->setStyleSheet(QStringLiteral("QLabel#qt_msgbox_informativelabel { min-width: 300px; }"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setAttribute(Qt::WA_QuitOnClose, false);
    connect(alert, &QMessageBox::finished, alert, [acknowledgement = std::move(acknowledgement)] {
        if (acknowledgement) {
            acknowledgement();
        }
    });
    m_alert = alert;
    alert->open();
    bringForward(alert);
}

void StandardAppUpdateUserDriver::closeProgressWindow()
{
    if (AppUpdateProgressWindow *window = m_progress) {
        m_progress = nullptr;
        window->hide();
        window->deleteLater();
    }
}

void StandardAppUpdateUserDriver::closeAlert()
{
    if (QMessageBox *alert = m_alert) {
        m_alert = nullptr;
        // Closed by the cycle, not by the user: nobody waits for its acknowledgement.
        disconnect(alert, &QMessageBox::finished, nullptr, nullptr);
        alert->hide();
        alert->deleteLater();
    }
}

} // namespace veyra
