#include "app/setup/GameSetupView.h"

#include "app/picker/WindowPickerView.h"
#include "app/session/AppSession.h"
#include "app/setup/AvailableAppUpdateButton.h"
#include "app/setup/SetupStepRow.h"
#include "app/style/ProgressPane.h"
#include "app/style/ScreenStyle.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/LocalizedString.h"
#include "update/model/AppUpdateModel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace veyra {

namespace {

using screenStyle::withOpacity;

constexpr int lockupIconSize = 38;

// The sidebar's dark blue gradient, top to bottom.
class SidebarBackground : public QWidget
{
public:
    explicit SidebarBackground(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0.0, QColor::fromRgbF(0.10f, 0.13f, 0.18f));
        gradient.setColorAt(1.0, QColor::fromRgbF(0.07f, 0.09f, 0.13f));
        painter.fillRect(rect(), gradient);
    }
};

bool isChoosing(const AppSession *session)
{
    return session != nullptr && session->phase().kind() == AppPhase::Kind::choosing;
}

} // namespace

GameSetupView::GameSetupView(AppSession *session, AppUpdateModel *appUpdateModel,
    std::shared_ptr<WindowCatalogProviding> catalog, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_appUpdateModel(appUpdateModel)
    , m_catalog(std::move(catalog))
{
    screenStyle::applyDarkScheme(this);
    setAutoFillBackground(true);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(makeSidebar());
    layout->addWidget(makeMainColumn(), 1);

    if (m_session) {
        connect(m_session, &AppSession::phaseChanged, this, &GameSetupView::showPhase);
    }
    if (m_appUpdateModel) {
        connect(m_appUpdateModel, &AppUpdateModel::availableUpdateChanged, this, &GameSetupView::showUpdateButton);
        connect(m_appUpdateModel, &AppUpdateModel::canCheckForUpdatesChanged, this, &GameSetupView::showUpdateButton);
    }
    retranslate();
}

GameSetupView::~GameSetupView() = default;

QWidget *GameSetupView::makeSidebar()
{
    m_sidebar = new SidebarBackground(this);
    m_sidebar->setFixedWidth(sidebarWidth);
    auto *layout = new QVBoxLayout(m_sidebar);
    layout->setContentsMargins(26, 26, 26, 26);
    layout->setSpacing(0);
    // The lockup is made (and made again) with its localised title in retranslate().
    layout->addSpacing(34);
    for (int index = 0; index < 3; ++index) {
        m_steps[index] = new SetupStepRow(index + 1, m_sidebar);
        layout->addWidget(m_steps[index]);
    }
    layout->addStretch(1);
    m_updateButton = new AvailableAppUpdateButton(m_sidebar);
    connect(m_updateButton, &QAbstractButton::clicked, this, [this] {
        if (m_appUpdateModel) {
            m_appUpdateModel->checkForUpdates();
        }
    });
    layout->addWidget(m_updateButton);
    return m_sidebar;
}

QWidget *GameSetupView::makeMainColumn()
{
    auto *column = new QWidget(this);
    column->setAutoFillBackground(true);
    QPalette canvas = column->palette();
    canvas.setColor(QPalette::Window, VeyraBrandPalette::canvas());
    column->setPalette(canvas);

    m_title = screenStyle::plainLabel(BrandTextStyle::title, Qt::white, column);
    m_title->setObjectName(QStringLiteral("window-picker-title"));
    m_title->setFont(screenStyle::scaledFont(font(), 25, QFont::DemiBold));
    m_title->setWordWrap(true);
    m_subtitle = screenStyle::plainLabel(BrandTextStyle::body, VeyraBrandPalette::secondaryText(), column);
    m_subtitle->setWordWrap(true);
    auto *header = new QVBoxLayout;
    header->setContentsMargins(28, 26, 28, 20);
    header->setSpacing(6);
    header->addWidget(m_title);
    header->addWidget(m_subtitle);

    m_content = new QStackedWidget(column);
    m_progressPane = new ProgressPane(QStringLiteral("screen-recording-permission-progress"), m_content);
    m_content->addWidget(m_progressPane);
    m_content->addWidget(makeDeniedPane());
    m_emptyPane = new QWidget(m_content);
    m_content->addWidget(m_emptyPane);

    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(header);
    layout->addWidget(screenStyle::divider(withOpacity(Qt::white, 0.08), column));
    layout->addWidget(m_content, 1);
    return column;
}

QWidget *GameSetupView::makeDeniedPane()
{
    m_deniedPane = new QWidget(m_content);
    m_deniedPane->setObjectName(QStringLiteral("screen-recording-permission-denied"));
    m_deniedMessage = screenStyle::plainLabel(BrandTextStyle::body, VeyraBrandPalette::secondaryText(), m_deniedPane);
    m_deniedMessage->setAlignment(Qt::AlignCenter);
    m_deniedMessage->setWordWrap(true);
    m_quitButton = screenStyle::button(m_deniedPane);
    connect(m_quitButton, &QPushButton::clicked, this, [this] {
        if (m_session) {
            m_session->terminate();
        }
    });

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addStretch(1);
    buttons->addWidget(m_quitButton);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(m_deniedPane);
    layout->setContentsMargins(32, 32, 32, 32);
    layout->setSpacing(18);
    layout->addStretch(1);
    layout->addWidget(m_deniedMessage);
    layout->addLayout(buttons);
    layout->addStretch(1);
    return m_deniedPane;
}

void GameSetupView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        retranslate();
    }
}

void GameSetupView::retranslate()
{
    auto *sidebarLayout = static_cast<QVBoxLayout *>(m_sidebar->layout());
    auto *lockup = new VeyraBrandLockup(
        localizedString(QT_TRANSLATE_NOOP("Veyra", "Bring Veyra in")), lockupIconSize, m_sidebar);
    lockup->setObjectName(QStringLiteral("game-setup-progress"));
    if (m_lockup) {
        delete sidebarLayout->replaceWidget(m_lockup, lockup);
        delete m_lockup;
    } else {
        sidebarLayout->insertWidget(0, lockup);
    }
    m_lockup = lockup;

    m_quitButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Quit")));
    m_updateButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Update")));
    // Capture is refused here only when the X server lacks Composite; no setting of the
    // desktop changes that, so there is nothing to open, only what to do.
    m_deniedMessage->setText(localizedFormat(QT_TRANSLATE_NOOP("Veyra",
                                                 "%@ can't capture game windows on this display: its X server runs "
                                                 "without the Composite extension. Turn Composite on in the X "
                                                 "server's configuration, then quit and reopen %@."),
        {appDisplayName(), appDisplayName()}));
    showPhase();
}

void GameSetupView::showPhase()
{
    using Kind = AppPhase::Kind;
    const Kind phase = m_session ? m_session->phase().kind() : Kind::restoringAuthentication;
    const bool choosing = phase == Kind::choosing;

    // A step's status says where the player stands with it: done, at it, or still ahead.
    const auto setStep = [](SetupStepRow &row, const char *title, bool isComplete, bool isCurrent) {
        const char *status = isComplete ? QT_TRANSLATE_NOOP("Veyra", "Ready")
            : isCurrent                 ? QT_TRANSLATE_NOOP("Veyra", "Current step")
                                        : QT_TRANSLATE_NOOP("Veyra", "Next step");
        row.setStep(localizedString(title), localizedString(status), isComplete, isCurrent);
    };
    setStep(*m_steps[0], QT_TRANSLATE_NOOP("Veyra", "Sign in"), true, false);
    setStep(*m_steps[1], QT_TRANSLATE_NOOP("Veyra", "Allow screen access"), choosing, !choosing);
    setStep(*m_steps[2], QT_TRANSLATE_NOOP("Veyra", "Choose your game"), false, choosing);

    if (phase == Kind::permissionDenied) {
        m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Allow Screen Access")));
        m_subtitle->setText(localizedFormat(
            QT_TRANSLATE_NOOP("Veyra", "%@ needs screen recording access to list and capture the window you select."),
            {appDisplayName()}));
    } else {
        m_title->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Which game are we playing?")));
        m_subtitle->setText(
            localizedString(QT_TRANSLATE_NOOP("Veyra", "Choose the window Veyra should watch and translate.")));
    }

    switch (phase) {
    case Kind::checkingPermission:
        m_progressPane->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Checking screen recording permission…")));
        m_content->setCurrentWidget(m_progressPane);
        break;
    case Kind::requestingPermission:
        m_progressPane->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Requesting screen recording permission…")));
        m_content->setCurrentWidget(m_progressPane);
        break;
    case Kind::permissionDenied:
        m_content->setCurrentWidget(m_deniedPane);
        break;
    case Kind::choosing:
        break;
    default:
        m_content->setCurrentWidget(m_emptyPane);
        break;
    }
    showPicker(choosing);
    showUpdateButton();
}

void GameSetupView::showPicker(bool choosing)
{
    if (!choosing) {
        if (m_picker) {
            // The picker, and its model with it, go when window choice ends.
            m_content->removeWidget(m_picker);
            m_picker->hide();
            m_picker->deleteLater();
            m_picker = nullptr;
        }
        return;
    }
    if (!m_picker) {
        m_picker = new WindowPickerView(m_catalog, m_content);
        m_picker->setSessionIsChoosing(true);
        connect(m_picker, &WindowPickerView::targetConfirmed, this, [this](const CaptureTarget &target) {
            if (m_session) {
                m_session->selectTarget(target);
            }
        });
        connect(m_picker, &WindowPickerView::quitRequested, this, [this] {
            if (m_session) {
                m_session->terminate();
            }
        });
        if (m_session) {
            connect(m_session, &AppSession::selectionRevisionChanged, m_picker,
                &WindowPickerView::sessionSelectionRevisionChanged);
        }
        m_content->addWidget(m_picker);
    }
    m_content->setCurrentWidget(m_picker);
}

void GameSetupView::showUpdateButton()
{
    const bool offered = isChoosing(m_session) && m_appUpdateModel && m_appUpdateModel->availableUpdate().has_value();
    m_updateButton->setVisible(offered);
    m_updateButton->setEnabled(m_appUpdateModel && m_appUpdateModel->canCheckForUpdates());
}

} // namespace veyra
