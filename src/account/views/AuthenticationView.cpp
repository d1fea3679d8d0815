#include "account/views/AuthenticationView.h"

#include "account/views/GoogleSignInButton.h"
#include "brand/BrandTextStyles.h"
#include "brand/ProgressSpinner.h"
#include "brand/VeyraAppIcon.h"
#include "brand/VeyraBrandBackground.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/language/LocalizedString.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace veyra {

namespace {

const QColor errorRed = QColor::fromRgbF(1.0f, 0.47f, 0.43f);
const QColor noteGrey = QColor::fromRgbF(1.0f, 1.0f, 1.0f, 0.42f);

constexpr int largeControlHeight = 36;
constexpr int webRegistrationButtonWidth = 280;
constexpr int googleButtonWidth = 220;
constexpr int cancelButtonWidth = 120;
constexpr int spinnerDiameter = 32;

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    widget->setPalette(palette);
}

// A label for text that may wrap; the text is never read as markup.
QLabel *makeLabel(QWidget *parent, const QFont &font, const QColor &colour, int maximumWidth = 0)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setFont(font);
    setTextColour(label, colour);
    if (maximumWidth > 0) {
        label->setMaximumWidth(maximumWidth);
    }
    return label;
}

QGraphicsDropShadowEffect *iconShadow(QObject *parent)
{
    auto *shadow = new QGraphicsDropShadowEffect(parent);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.36f));
    shadow->setBlurRadius(40);
    shadow->setOffset(0, 12);
    return shadow;
}

// The web-registration notice: a rounded panel in the brand's surface colour with a faint
// white outline.
class NoticePanel : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(VeyraBrandPalette::surface());
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.1f), 1));
        painter.drawRoundedRect(panel, 13, 13);
    }
};

QString buttonStyle(bool prominent)
{
    if (prominent) {
        const QColor orange = VeyraBrandPalette::orange();
        return QStringLiteral("QPushButton { background: %1; color: %2; border: none; border-radius: 7px;"
                              " padding: 0 16px; font-weight: 600; }"
                              "QPushButton:hover { background: %3; }"
                              "QPushButton:pressed { background: %4; }"
                              "QPushButton:focus { border: 1px solid white; }")
            .arg(orange.name(), VeyraBrandPalette::orangeInk().name(), orange.lighter(112).name(),
                orange.darker(115).name());
    }
    return QStringLiteral("QPushButton { background: rgba(255, 255, 255, 26); color: white;"
                          " border: 1px solid rgba(255, 255, 255, 56); border-radius: 7px; padding: 0 14px; }"
                          "QPushButton:hover { background: rgba(255, 255, 255, 40); }"
                          "QPushButton:pressed { background: rgba(255, 255, 255, 16); }"
                          "QPushButton:focus { border: 1px solid %1; }"
                          "QPushButton:disabled { color: rgba(255, 255, 255, 90); }")
        .arg(VeyraBrandPalette::orange().name());
}

} // namespace

AuthenticationView::AuthenticationView(AuthenticationViewModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QLatin1String(viewIdentifier));
    // The brand's orange tints everything on the screen.
    QPalette tinted = palette();
    tinted.setColor(QPalette::Highlight, VeyraBrandPalette::orange());
    tinted.setColor(QPalette::WindowText, Qt::white);
    setPalette(tinted);

    auto *background = new VeyraBrandBackground(this);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto *centring = new QVBoxLayout(background);
    centring->setContentsMargins(0, 0, 0, 0);
    centring->addStretch(1);
    centring->addWidget(makeContentColumn());
    centring->addStretch(1);

    if (m_model) {
        connect(m_model, &AuthenticationViewModel::changed, this, &AuthenticationView::refresh);
    }
    refresh();
}

AuthenticationView::~AuthenticationView() = default;

QWidget *AuthenticationView::makeContentColumn()
{
    auto *column = new QWidget(this);
    m_column = new QVBoxLayout(column);
    m_column->setSpacing(0);
    // Text takes its full measure (the window is wider), so its height does not depend on
    // how narrow the window may get. It sits centred between two stretches rather than by
    // alignment, because an aligned widget's height is reckoned for the column's width
    // instead of its own and wrapped text would be cut.
    const auto add = [this](QWidget *widget) {
        if (widget->maximumWidth() == QWIDGETSIZE_MAX) {
            m_column->addWidget(widget, 0, Qt::AlignHCenter);
            return;
        }
        widget->setMinimumWidth(widget->maximumWidth());
        auto *row = new QHBoxLayout;
        row->setContentsMargins(0, 0, 0, 0);
        row->addStretch(1);
        row->addWidget(widget);
        row->addStretch(1);
        m_column->addLayout(row);
    };
    const auto addSpace = [this] {
        auto *space = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
        m_column->addSpacerItem(space);
        return space;
    };
    const QFont base = font();

    m_largeIcon = new VeyraAppIcon(116, column);
    m_largeIcon->setGraphicsEffect(iconShadow(m_largeIcon));
    m_smallIcon = new VeyraAppIcon(80, column);
    m_smallIcon->setGraphicsEffect(iconShadow(m_smallIcon));
    add(m_largeIcon);
    add(m_smallIcon);
    m_spaceUnderIcon = addSpace();

    QFont eyebrowFont = brandTextFont(BrandTextStyle::caption, base);
    eyebrowFont.setPointSizeF(eyebrowFont.pointSizeF() * 0.92);
    eyebrowFont.setWeight(QFont::DemiBold);
    eyebrowFont.setLetterSpacing(QFont::AbsoluteSpacing, 1.6);
    m_eyebrow = makeLabel(column, eyebrowFont, VeyraBrandPalette::brightOrange());
    m_eyebrow->setWordWrap(false);
    add(m_eyebrow);
    m_spaceUnderEyebrow = addSpace();

    QFont titleFont = base;
    titleFont.setWeight(QFont::DemiBold);
    m_title = makeLabel(column, titleFont, Qt::white, 390);
    add(m_title);
    m_spaceAboveBody = addSpace();
    m_body = makeLabel(column, brandTextFont(BrandTextStyle::body, base), VeyraBrandPalette::secondaryText(), 380);
    add(m_body);
    m_spaceUnderBody = addSpace();

    m_notice = makeNotice();
    add(m_notice);
    m_spaceUnderNotice = addSpace();

    m_progress = new ProgressSpinner(spinnerDiameter, column);
    m_progress->setObjectName(QLatin1String(progressIdentifier));
    add(m_progress);
    m_spaceAboveCancel = addSpace();
    m_cancelSignInButton = makeButton(QLatin1String(cancelSignInIdentifier), false);
    m_cancelSignInButton->setMinimumWidth(cancelButtonWidth);
    connect(m_cancelSignInButton, &QPushButton::clicked, this, &AuthenticationView::signInCancelRequested);
    add(m_cancelSignInButton);

    m_googleButton = new GoogleSignInButton(column);
    m_googleButton->setObjectName(QLatin1String(googleSignInIdentifier));
    m_googleButton->setFixedWidth(googleButtonWidth);
    connect(m_googleButton, &QAbstractButton::clicked, this, &AuthenticationView::requestSignIn);
    add(m_googleButton);

    m_webRegistrationButtons = makeWebRegistrationButtons();
    add(m_webRegistrationButtons);
    m_retryRow = makeRetryRow();
    add(m_retryRow);
    m_quitButton = makeButton(QString(), false);
    connect(m_quitButton, &QPushButton::clicked, this, &AuthenticationView::terminateRequested);
    add(m_quitButton);

    const QFont caption = brandTextFont(BrandTextStyle::caption, base);
    m_spaceAboveSignedOutNote = addSpace();
    m_signedOutNote = makeLabel(column, caption, noteGrey, 420);
    add(m_signedOutNote);
    m_spaceAboveWebRegistrationNote = addSpace();
    m_webRegistrationNote = makeLabel(column, caption, noteGrey, 420);
    m_webRegistrationNote->setObjectName(QLatin1String(loginNoteIdentifier));
    add(m_webRegistrationNote);

    m_spaceAboveError = addSpace();
    m_error = makeLabel(column, brandTextFont(BrandTextStyle::callout, base), errorRed, 420);
    m_error->setObjectName(QLatin1String(errorIdentifier));
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    add(m_error);
    return column;
}

QWidget *AuthenticationView::makeNotice()
{
    auto *panel = new NoticePanel(this);
    panel->setObjectName(QLatin1String(noticeIdentifier));
    panel->setMaximumWidth(480);
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(6);
    QFont headline = brandTextFont(BrandTextStyle::callout, font());
    headline.setWeight(QFont::DemiBold);
    m_noticeTitle = makeLabel(panel, headline, Qt::white);
    m_noticeTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_noticeDetail
        = makeLabel(panel, brandTextFont(BrandTextStyle::caption, font()), VeyraBrandPalette::secondaryText());
    m_noticeDetail->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_noticeTitle);
    layout->addWidget(m_noticeDetail);
    return panel;
}

QWidget *AuthenticationView::makeWebRegistrationButtons()
{
    auto *buttons = new QWidget(this);
    auto *layout = new QVBoxLayout(buttons);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_signUpButton = makeButton(QLatin1String(webSignUpIdentifier), true);
    m_retryGoogleButton = makeButton(QLatin1String(retryGoogleSignInIdentifier), false);
    for (QPushButton *button : {m_signUpButton, m_retryGoogleButton}) {
        button->setFixedSize(webRegistrationButtonWidth, largeControlHeight);
        layout->addWidget(button, 0, Qt::AlignHCenter);
    }
    connect(m_signUpButton, &QPushButton::clicked, this, &AuthenticationView::webSignUpRequested);
    connect(m_retryGoogleButton, &QPushButton::clicked, this, &AuthenticationView::requestSignIn);
    return buttons;
}

QWidget *AuthenticationView::makeRetryRow()
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    m_retryButton = makeButton(QLatin1String(retryAuthenticationIdentifier), false);
    m_retryRowQuitButton = makeButton(QString(), false);
    layout->addWidget(m_retryButton, 0, Qt::AlignVCenter);
    layout->addWidget(m_retryRowQuitButton, 0, Qt::AlignVCenter);
    connect(m_retryButton, &QPushButton::clicked, this, &AuthenticationView::retryAuthenticationRequested);
    connect(m_retryRowQuitButton, &QPushButton::clicked, this, &AuthenticationView::terminateRequested);
    return row;
}

QPushButton *AuthenticationView::makeButton(const QString &objectName, bool prominent)
{
    auto *button = new QPushButton(this);
    button->setObjectName(objectName);
    button->setStyleSheet(buttonStyle(prominent));
    button->setMinimumHeight(30);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

void AuthenticationView::refresh()
{
    const AuthenticationViewContent content
        = m_model ? m_model->content() : authenticationViewContent(AuthenticationScreenPhase::other, std::nullopt);
    const int padding = content.contentPadding;
    m_column->setContentsMargins(padding, padding, padding, padding);
    m_spaceUnderIcon->changeSize(0, content.spaceUnderIcon, QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_spaceUnderEyebrow->changeSize(0, content.spaceUnderEyebrow, QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_spaceAboveBody->changeSize(0, content.spaceAboveBody, QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_spaceUnderBody->changeSize(0, content.spaceUnderBody, QSizePolicy::Minimum, QSizePolicy::Fixed);

    m_eyebrow->setText(content.eyebrow);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(content.titleSize);
    m_title->setFont(titleFont);
    m_title->setText(content.title);
    m_body->setText(content.body);

    m_noticeTitle->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Accounts aren't created in the app")));
    m_noticeDetail->setText(localizedString(QT_TRANSLATE_NOOP(
        "Veyra", "Sign-up is completed on the web so required consent records can be managed in one place.")));
    m_notice->setAccessibleName(m_noticeTitle->text() + QLatin1Char('\n') + m_noticeDetail->text());
    m_spaceUnderNotice->changeSize(0, content.showsNotice ? 14 : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_spaceAboveCancel->changeSize(0, content.actions == AuthenticationScreenActions::progressAndCancel ? 18 : 0,
        QSizePolicy::Minimum, QSizePolicy::Fixed);

    m_googleButton->refreshText();
    m_signUpButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Sign Up on the Web")));
    m_retryGoogleButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Google Sign-In Again")));
    m_retryButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Try Again")));
    m_cancelSignInButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Cancel")));
    for (QPushButton *quit : {m_retryRowQuitButton, m_quitButton}) {
        quit->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Quit")));
    }

    m_signedOutNote->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Sign in once. Come back automatically.")));
    m_spaceAboveSignedOutNote->changeSize(
        0, content.showsSignedOutNote ? 13 : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_webRegistrationNote->setText(
        localizedString(QT_TRANSLATE_NOOP("Veyra", "Finishing sign-up won't automatically sign you in to the app.")));
    m_spaceAboveWebRegistrationNote->changeSize(
        0, content.showsWebRegistrationNote ? 10 : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);

    m_error->setText(content.error.value_or(QString()));
    m_spaceAboveError->changeSize(0, content.error ? 14 : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);

    // Hidden first, then shown: a moment with both layouts' parts on screen would make the
    // window grow.
    const std::pair<QWidget *, bool> visibility[] = {
        {m_largeIcon, !content.isWebRegistrationLayout},
        {m_smallIcon, content.isWebRegistrationLayout},
        {m_notice, content.showsNotice},
        {m_progress,
            content.actions == AuthenticationScreenActions::progress
                || content.actions == AuthenticationScreenActions::progressAndCancel},
        {m_cancelSignInButton, content.actions == AuthenticationScreenActions::progressAndCancel},
        {m_googleButton, content.actions == AuthenticationScreenActions::googleSignIn},
        {m_webRegistrationButtons, content.actions == AuthenticationScreenActions::webRegistration},
        {m_retryRow, content.actions == AuthenticationScreenActions::retryAndQuit},
        {m_quitButton, content.actions == AuthenticationScreenActions::quit},
        {m_signedOutNote, content.showsSignedOutNote},
        {m_webRegistrationNote, content.showsWebRegistrationNote},
        {m_error, content.error.has_value()},
    };
    for (const auto &[widget, visible] : visibility) {
        if (!visible) {
            widget->setVisible(false);
        }
    }
    for (const auto &[widget, visible] : visibility) {
        if (visible) {
            widget->setVisible(true);
        }
    }

    const bool hasWindow = !m_presentingWindow.isNull();
    m_googleButton->setEnabled(hasWindow);
    m_retryGoogleButton->setEnabled(hasWindow);
    m_column->invalidate();
    findPresentingWindowLater();
}

void AuthenticationView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    findPresentingWindowLater();
}

void AuthenticationView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        refresh();
    }
}

void AuthenticationView::findPresentingWindowLater()
{
    QTimer::singleShot(0, this, [this] {
        m_presentingWindow = isVisible() ? window() : nullptr;
        const bool hasWindow = !m_presentingWindow.isNull();
        m_googleButton->setEnabled(hasWindow);
        m_retryGoogleButton->setEnabled(hasWindow);
    });
}

void AuthenticationView::requestSignIn()
{
    if (m_presentingWindow) {
        Q_EMIT signInRequested(m_presentingWindow);
    }
}

} // namespace veyra
