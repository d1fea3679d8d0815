#include "update/views/MinimumVersionUpdateView.h"

#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/ProgressSpinner.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/LocalizedString.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace veyra {

namespace {

constexpr int symbolSize = 46;
constexpr int cardMaximumWidth = 520;
// The least width of the buttons.
constexpr int buttonWidth = 240;

QColor white(qreal alpha)
{
    return QColor::fromRgbF(1, 1, 1, static_cast<float>(alpha));
}

// The dark colour scheme the screen is drawn in, whatever the desktop's.
QPalette darkPalette(QPalette palette)
{
    const QColor canvas = QColor::fromRgbF(0.08f, 0.11f, 0.16f);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, canvas);
        palette.setColor(group, QPalette::WindowText, Qt::white);
        palette.setColor(group, QPalette::Base, canvas.darker(120));
        palette.setColor(group, QPalette::Text, Qt::white);
        palette.setColor(group, QPalette::Button, canvas.lighter(140));
        palette.setColor(group, QPalette::ButtonText, Qt::white);
        palette.setColor(group, QPalette::Highlight, VeyraBrandPalette::orange());
        palette.setColor(group, QPalette::HighlightedText, VeyraBrandPalette::orangeInk());
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, white(0.4));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, white(0.4));
    return palette;
}

QLabel *centredLabel(QWidget *parent, const QFont &font, const QColor &color)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

// The callout font with digits of one width, so that version numbers line up: the
// desktop font when its digits already are, else the fixed-pitch system font.
QFont monospacedDigitFont(const QFont &base)
{
    const QFont callout = brandTextFont(BrandTextStyle::callout, base);
    const QFontMetricsF metrics(callout);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero)) {
            QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
            fixed.setPointSizeF(callout.pointSizeF());
            return fixed;
        }
    }
    return callout;
}

QPushButton *prominentButton(QWidget *parent, const char *objectName)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    const QColor orange = VeyraBrandPalette::orange();
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: %2; border: none; border-radius: 8px;"
                       " padding: 9px 22px; font-weight: 600; }"
                       "QPushButton:hover { background-color: %3; }"
                       "QPushButton:pressed { background-color: %4; }"
                       "QPushButton:disabled { background-color: %5; color: %6; }")
            .arg(orange.name(), VeyraBrandPalette::orangeInk().name(), orange.lighter(110).name(),
                orange.darker(115).name(), QColor::fromRgbF(0.95f, 0.47f, 0.0f, 0.35f).name(QColor::HexArgb),
                white(0.45).name(QColor::HexArgb)));
    // At least this wide; wider where its text needs more in a longer language.
    button->setMinimumWidth(buttonWidth);
    button->setMinimumHeight(38);
    return button;
}

QPushButton *borderedButton(QWidget *parent, const char *objectName)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white; border: 1px solid %2; border-radius: 8px;"
                       " padding: 6px 18px; }"
                       "QPushButton:hover { background-color: %3; }"
                       "QPushButton:pressed { background-color: %4; }")
            .arg(white(0.1).name(QColor::HexArgb), white(0.14).name(QColor::HexArgb), white(0.16).name(QColor::HexArgb),
                white(0.06).name(QColor::HexArgb)));
    // At least this wide; wider where its text needs more in a longer language.
    button->setMinimumWidth(buttonWidth);
    button->setMinimumHeight(32);
    return button;
}

// The translucent rounded card the state is shown on.
class StateCard : public QWidget
{
public:
    explicit StateCard(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath card;
        card.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 16, 16);
        painter.fillPath(card, white(0.055));
        painter.setPen(QPen(white(0.1), 1));
        painter.drawPath(card);
    }
};

} // namespace

MinimumVersionUpdateView::MinimumVersionUpdateView(
    AppUpdateModel *model, HomePageOpener webPageOpener, std::function<void()> onVersionAllowed, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_webPageOpener(std::move(webPageOpener))
    , m_onVersionAllowed(std::move(onVersionAllowed))
{
    setObjectName(QStringLiteral("minimum-version-screen"));
    setPalette(darkPalette(palette()));
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);

    auto *lockup = new VeyraBrandLockup(appDisplayName(), 64, this);
    lockup->setObjectName(QStringLiteral("minimum-version-lockup"));
    m_card = makeCard();

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(44, 44, 44, 44);
    column->setSpacing(26);
    column->addStretch(1);
    column->addWidget(lockup, 0, Qt::AlignHCenter);
    // Not an aligned item: an aligned item gets its size hint and not the height its
    // wrapped texts need at the card's width.
    auto *cardRow = new QHBoxLayout;
    cardRow->addStretch(0);
    cardRow->addWidget(m_card, 1);
    cardRow->addStretch(0);
    column->addLayout(cardRow);
    column->addStretch(1);

    if (m_model) {
        connect(m_model, &AppUpdateModel::minimumVersionStateChanged, this, &MinimumVersionUpdateView::refresh);
        connect(m_model, &AppUpdateModel::isUpdateSessionActiveChanged, this, &MinimumVersionUpdateView::refresh);
    }
    refresh();
}

QWidget *MinimumVersionUpdateView::makeCard()
{
    auto *card = new StateCard(this);
    card->setObjectName(QStringLiteral("minimum-version-card"));
    card->setMaximumWidth(cardMaximumWidth);
    card->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);

    m_symbol = new QLabel(card);
    m_symbol->setObjectName(QStringLiteral("minimum-version-symbol"));
    m_symbol->setFixedSize(symbolSize, symbolSize);
    m_title = centredLabel(card, brandTextFont(BrandTextStyle::title, font()), Qt::white);
    m_title->setObjectName(QStringLiteral("minimum-version-title"));
    m_message = centredLabel(card, brandTextFont(BrandTextStyle::body, font()), VeyraBrandPalette::secondaryText());
    m_message->setObjectName(QStringLiteral("minimum-version-message"));

    m_checking = new ProgressSpinner(18, card);
    m_checking->setObjectName(QStringLiteral("minimum-version-checking"));
    m_checking->setColor(white(0.8));

    m_versionLines = new QWidget(card);
    auto *versions = new QHBoxLayout(m_versionLines);
    versions->setContentsMargins(0, 0, 0, 0);
    versions->setSpacing(24);
    const QFont digits = monospacedDigitFont(font());
    m_currentVersion = centredLabel(m_versionLines, digits, VeyraBrandPalette::secondaryText());
    m_currentVersion->setObjectName(QStringLiteral("minimum-version-current-version"));
    m_currentVersion->setWordWrap(false);
    m_requiredVersion = centredLabel(m_versionLines, digits, VeyraBrandPalette::secondaryText());
    m_requiredVersion->setObjectName(QStringLiteral("minimum-version-required-version"));
    m_requiredVersion->setWordWrap(false);
    versions->addStretch(1);
    versions->addWidget(m_currentVersion);
    versions->addWidget(m_requiredVersion);
    versions->addStretch(1);

    m_checkRetry = prominentButton(card, "minimum-version-retry");
    m_install = prominentButton(card, "required-update-install");
    m_installRetry = prominentButton(card, "required-update-retry");
    m_download = borderedButton(card, "required-update-download");
    m_quitButton = borderedButton(card, "minimum-version-quit");

    connect(m_checkRetry, &QPushButton::clicked, this, &MinimumVersionUpdateView::retryCheck);
    for (QPushButton *button : {m_install, m_installRetry}) {
        connect(button, &QPushButton::clicked, this, [this] {
            if (m_model) {
                m_model->installRequiredUpdate();
            }
        });
    }
    connect(m_download, &QPushButton::clicked, this, [this] {
        if (m_webPageOpener) {
            m_webPageOpener();
        }
    });
    connect(m_quitButton, &QPushButton::clicked, this, [this] {
        if (m_quit) {
            m_quit();
        } else {
            QCoreApplication::quit();
        }
    });

    auto *texts = new QVBoxLayout;
    texts->setSpacing(8);
    texts->addWidget(m_title);
    texts->addWidget(m_message);

    auto *buttons = new QVBoxLayout;
    buttons->setSpacing(10);
    for (QPushButton *button : {m_checkRetry, m_install, m_installRetry, m_download, m_quitButton}) {
        buttons->addWidget(button, 0, Qt::AlignHCenter);
    }

    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(30, 30, 30, 30);
    layout->setSpacing(18);
    layout->addWidget(m_symbol, 0, Qt::AlignHCenter);
    layout->addLayout(texts);
    layout->addWidget(m_checking, 0, Qt::AlignHCenter);
    layout->addWidget(m_versionLines);
    layout->addLayout(buttons);
    return card;
}

void MinimumVersionUpdateView::setQuitAction(std::function<void()> quit)
{
    m_quit = std::move(quit);
}

void MinimumVersionUpdateView::retryCheck()
{
    if (!m_model) {
        return;
    }
    m_model->setMinimumVersionState(MinimumVersionState::checking());
    const QPointer<AppUpdateModel> model = m_model;
    startDetachedTask(
        this,
        [model](QPointer<MinimumVersionUpdateView> self) -> QCoro::Task<void> {
            if (!model) {
                co_return;
            }
            const bool allowed = co_await model->runMinimumVersionCheck(true);
            if (allowed && self && self->m_onVersionAllowed) {
                self->m_onVersionAllowed();
            }
        },
        Logger("minimum-version"));
}

void MinimumVersionUpdateView::refresh()
{
    using Case = MinimumVersionState::Case;
    const MinimumVersionState state = m_model ? m_model->minimumVersionState() : MinimumVersionState::checking();
    const bool sessionActive = m_model && m_model->isUpdateSessionActive();
    const Case kind = state.kind();

    m_card->setVisible(kind != Case::allowed);
    m_checking->setVisible(kind == Case::checking);
    m_versionLines->setVisible(state.isUpdateRequired());
    m_checkRetry->setVisible(kind == Case::checkFailed);
    m_install->setVisible(kind == Case::required);
    m_installRetry->setVisible(kind == Case::installFailed);
    m_download->setVisible(kind == Case::installFailed);
    m_quitButton->setVisible(kind != Case::checking && kind != Case::allowed);
    for (QPushButton *button : {m_checkRetry, m_install, m_installRetry}) {
        button->setEnabled(!sessionActive);
    }

    QString symbol;
    const char *title = "";
    const char *message = "";
    switch (kind) {
    case Case::checking:
        symbol = QStringLiteral("ArrowTriangleCirclepath");
        title = QT_TRANSLATE_NOOP("Veyra", "Checking the app version…");
        message = QT_TRANSLATE_NOOP("Veyra", "Veyra will continue after confirming this version is supported.");
        break;
    case Case::checkFailed:
        symbol = QStringLiteral("WifiExclamationmark");
        title = QT_TRANSLATE_NOOP("Veyra", "The app version couldn't be verified.");
        message = QT_TRANSLATE_NOOP("Veyra", "Check your internet connection and try again.");
        break;
    case Case::required:
        symbol = QStringLiteral("ArrowDownCircleFill");
        title = QT_TRANSLATE_NOOP("Veyra", "Update Veyra to continue.");
        message = QT_TRANSLATE_NOOP("Veyra", "This version is no longer supported. Update and restart Veyra.");
        break;
    case Case::installFailed:
        symbol = QStringLiteral("ExclamationmarkArrowTriangleCirclepath");
        title = QT_TRANSLATE_NOOP("Veyra", "The update couldn't be installed.");
        message = QT_TRANSLATE_NOOP("Veyra", "Try again or download the latest Veyra from the website.");
        break;
    case Case::allowed:
        break;
    }
    if (!symbol.isEmpty()) {
        m_symbol->setPixmap(
            symbolPixmap(symbol, QSize(symbolSize, symbolSize), VeyraBrandPalette::orange(), devicePixelRatioF()));
    }
    m_title->setText(localizedString(title));
    m_message->setText(localizedString(message));
    if (const auto &requirement = state.requirement()) {
        m_currentVersion->setText(
            localizedFormat(QT_TRANSLATE_NOOP("Veyra", "Current version: %@"), {requirement->currentVersion.version}));
        m_requiredVersion->setText(localizedFormat(
            QT_TRANSLATE_NOOP("Veyra", "Requires Veyra %@ or later"), {requirement->minimumSupportedVersion}));
    }
    m_checkRetry->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
    m_install->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Update")));
    m_installRetry->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
    m_download->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Download from Website")));
    m_quitButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Quit Veyra")));
}

void MinimumVersionUpdateView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
    gradient.setColorAt(0, QColor::fromRgbF(0.08f, 0.11f, 0.16f));
    gradient.setColorAt(1, QColor::fromRgbF(0.04f, 0.06f, 0.09f));
    painter.fillRect(rect(), gradient);
}

void MinimumVersionUpdateView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
}

void MinimumVersionUpdateView::showEvent(QShowEvent *event)
{
    refresh();
    QWidget::showEvent(event);
}

} // namespace veyra
