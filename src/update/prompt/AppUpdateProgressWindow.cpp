#include "update/prompt/AppUpdateProgressWindow.h"

#include "brand/BrandTextStyles.h"
#include "brand/VeyraAppIcon.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/LocalizedString.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace veyra {

AppUpdateProgressWindow::AppUpdateProgressWindow(std::function<void()> cancel, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_cancel(std::move(cancel))
    , m_status(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_progress(new QProgressBar(this))
    , m_cancelButton(new QPushButton(this))
{
    setObjectName(QStringLiteral("app-update-progress"));
    setFixedWidth(440);

    m_status->setTextFormat(Qt::PlainText);
    m_status->setFont(brandTextFont(BrandTextStyle::headline, font()));
    m_detail->setTextFormat(Qt::PlainText);
    // The window's width is fixed: a longer language wraps.
    m_status->setWordWrap(true);
    m_detail->setWordWrap(true);
    m_detail->setObjectName(QStringLiteral("app-update-progress-detail"));
    m_progress->setTextVisible(false);
    QPalette bar = m_progress->palette();
    bar.setColor(QPalette::Highlight, VeyraBrandPalette::orange());
    m_progress->setPalette(bar);
    m_progress->setRange(0, 0);
    m_cancelButton->setObjectName(QStringLiteral("app-update-progress-cancel"));
    m_cancelButton->setMinimumWidth(96);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        if (m_cancel && !m_installing) {
            std::exchange(m_cancel, nullptr)();
        }
    });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);
    layout->addWidget(new VeyraAppIcon(48, this), 0, Qt::AlignTop);
    auto *column = new QVBoxLayout;
    column->setSpacing(8);
    column->addWidget(m_status);
    column->addWidget(m_progress);
    column->addWidget(m_detail);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    column->addLayout(buttons);
    layout->addLayout(column, 1);
    retranslate();
}

void AppUpdateProgressWindow::showDownloadProgress(qint64 received, qint64 expected)
{
    m_received = received;
    m_expected = expected;
    if (expected > 0) {
        // In kibibytes, so that the range fits an int for any archive.
        m_progress->setRange(0, static_cast<int>(expected / 1024) + 1);
        m_progress->setValue(static_cast<int>(received / 1024));
    }
    retranslate();
}

void AppUpdateProgressWindow::showInstalling()
{
    m_installing = true;
    m_progress->setRange(0, 0);
    m_cancelButton->setEnabled(false);
    retranslate();
}

bool AppUpdateProgressWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The width is fixed: the window is as tall as its wrapped texts need at that width.
    if (event->type() == QEvent::LayoutRequest && layout()) {
        const int needed = layout()->totalHeightForWidth(width());
        if (needed > 0 && needed != minimumHeight()) {
            setMinimumHeight(needed);
        }
    }
    return handled;
}

void AppUpdateProgressWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window while downloading cancels; while installing it cannot close.
    if (m_installing) {
        event->ignore();
        return;
    }
    if (m_cancel) {
        std::exchange(m_cancel, nullptr)();
    }
    QWidget::closeEvent(event);
}

void AppUpdateProgressWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void AppUpdateProgressWindow::retranslate()
{
    setWindowTitle(softwareUpdateWindowTitle());
    m_cancelButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")));
    if (m_installing) {
        m_status->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Installing update…")));
        m_detail->setText(
            localizedString(QT_TRANSLATE_NOOP("Veyra", "Veyra will restart when the update is installed.")));
        return;
    }
    m_status->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Downloading update…")));
    if (m_expected > 0) {
        const QLocale locale = currentClientLanguageLocale();
        m_detail->setText(localizedFormat(QT_TRANSLATE_NOOP("Veyra", "%@ of %@"),
            {locale.formattedDataSize(m_received), locale.formattedDataSize(m_expected)}));
    } else {
        m_detail->clear();
    }
}

} // namespace veyra
