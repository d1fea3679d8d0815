#include "settings/account/AccountSettingsSection.h"

#include "brand/BrandIcons.h"
#include "brand/BrandTextStyles.h"
#include "brand/ProgressSpinner.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/language/LocalizedString.h"
#include "settings/account/AccountAvatar.h"
#include "settings/account/AccountInitials.h"
#include "settings/account/SettingsAccountProviding.h"
#include "settings/style/SettingsFormSection.h"
#include "settings/style/SettingsStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace veyra {

namespace {

constexpr int supportSymbolSize = 16;
constexpr int progressSpinnerSize = 14;
constexpr int buttonExtraWidth = 16;
constexpr int buttonHeight = 28;

QLabel *plainLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// Opens a page through the session's opener, when there is one.
template <typename Open>
void withOpener(const SettingsAccountProviding *session, Open open)
{
    if (session && session->webPageOpener()) {
        open(*session->webPageOpener());
    }
}

} // namespace

AccountSettingsSection::AccountSettingsSection(SettingsAccountProviding *session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_refreshButton(new QPushButton(this))
    , m_webAccountButton(new QPushButton(this))
    , m_supportButton(new QPushButton(this))
    , m_refreshingLine(new QWidget(this))
    , m_refreshingText(plainLabel(m_refreshingLine))
    , m_errorLine(plainLabel(this))
{
    m_refreshButton->setObjectName(QString::fromLatin1(refreshButtonName));
    m_supportButton->setObjectName(QString::fromLatin1(customerSupportButtonName));
    m_supportButton->setIcon(tintedSymbolIcon(QStringLiteral("questionmark.bubble"),
        QSize(supportSymbolSize, supportSymbolSize), {VeyraBrandPalette::orange(), QColor(), QColor()}));
    m_supportButton->setIconSize(QSize(supportSymbolSize, supportSymbolSize));
    for (QPushButton *button : {m_refreshButton, m_webAccountButton, m_supportButton}) {
        button->setAutoDefault(false);
    }

    auto *actions = new QHBoxLayout;
    actions->setContentsMargins(0, 0, 0, 0);
    actions->setSpacing(8);
    actions->addWidget(m_refreshButton);
    actions->addWidget(m_webAccountButton);
    actions->addWidget(m_supportButton);
    actions->addStretch(1);

    m_refreshingLine->setObjectName(QString::fromLatin1(refreshingLineName));
    m_refreshingText->setFont(brandTextFont(BrandTextStyle::caption, font()));
    auto *progress = new QHBoxLayout(m_refreshingLine);
    progress->setContentsMargins(0, 0, 0, 0);
    progress->setSpacing(8);
    progress->addWidget(new ProgressSpinner(progressSpinnerSize, m_refreshingLine));
    progress->addWidget(m_refreshingText, 1);

    m_errorLine->setObjectName(QString::fromLatin1(refreshErrorLineName));
    m_errorLine->setFont(brandTextFont(BrandTextStyle::caption, font()));
    m_errorLine->setWordWrap(true);
    settingsStyle::setTextColor(m_errorLine, settingsStyle::errorText());

    auto *section = new SettingsFormSection(this);
    QVBoxLayout *content = section->contentLayout();
    content->setSpacing(14);
    content->addWidget(makeProfileRow());
    content->addLayout(actions);
    content->addWidget(m_refreshingLine);
    content->addWidget(m_errorLine);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(section);
    layout->addStretch(1);

    connect(m_refreshButton, &QPushButton::clicked, this, &AccountSettingsSection::refreshAccount);
    connect(m_webAccountButton, &QPushButton::clicked, this,
        [this] { withOpener(m_session, [](WebPageOpening &opener) { opener.openAccountPage(); }); });
    connect(m_supportButton, &QPushButton::clicked, this,
        [this] { withOpener(m_session, [](WebPageOpening &opener) { opener.openSupportInquiriesPage(); }); });
    if (m_session) {
        connect(m_session, &SettingsAccountProviding::currentUserChanged, this, &AccountSettingsSection::showUser);
        connect(m_session, &SettingsAccountProviding::isRefreshingAccountChanged, this,
            &AccountSettingsSection::showRefreshState);
        connect(m_session, &SettingsAccountProviding::accountRefreshErrorChanged, this,
            &AccountSettingsSection::showRefreshState);
    }

    retranslate();
    showUser();
    showRefreshState();
}

QWidget *AccountSettingsSection::makeProfileRow()
{
    m_profileRow = new QWidget(this);
    m_avatar = new AccountAvatar(m_profileRow);
    m_displayName = plainLabel(m_profileRow);
    m_displayName->setFont(brandTextFont(BrandTextStyle::headline, font()));
    m_email = plainLabel(m_profileRow);
    m_email->setFont(brandTextFont(BrandTextStyle::callout, font()));
    settingsStyle::setTextColor(m_email, settingsStyle::secondaryText(palette()));
    for (QLabel *label : {m_displayName, m_email}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }

    auto *names = new QVBoxLayout;
    names->setContentsMargins(0, 0, 0, 0);
    names->setSpacing(2);
    names->addWidget(m_displayName);
    names->addWidget(m_email);

    auto *layout = new QHBoxLayout(m_profileRow);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addWidget(m_avatar, 0, Qt::AlignVCenter);
    layout->addLayout(names, 1);
    return m_profileRow;
}

void AccountSettingsSection::refreshAccount()
{
    if (m_session && m_session->isSignedIn()) {
        m_session->refreshAccountProfile();
    }
}

void AccountSettingsSection::retranslate()
{
    m_refreshButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Refresh")));
    m_webAccountButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Open Web Account")));
    m_supportButton->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Customer Support")));
    m_refreshingText->setText(localizedString(QT_TRANSLATE_NOOP("Veyra", "Refreshing account…")));
    m_refreshingLine->setAccessibleName(m_refreshingText->text());
    showRefreshState();
    // Room around each title, whatever the language and the desktop's button style.
    for (QPushButton *button : {m_refreshButton, m_webAccountButton, m_supportButton}) {
        button->setMinimumSize(0, 0);
        const QSize natural = button->sizeHint();
        button->setMinimumSize(natural.width() + buttonExtraWidth, std::max(natural.height(), buttonHeight));
    }
}

void AccountSettingsSection::showUser()
{
    const std::optional<CurrentUser> user = m_session ? m_session->currentUser() : std::nullopt;
    m_profileRow->setVisible(user.has_value());
    if (!user) {
        return;
    }
    m_avatar->setInitials(accountInitials(*user));
    // An empty name takes no line, as nothing is drawn for it.
    m_displayName->setText(user->displayName.value_or(QString()));
    m_displayName->setVisible(user->displayName.has_value() && !user->displayName->isEmpty());
    m_email->setText(user->email);
}

void AccountSettingsSection::showRefreshState()
{
    const bool refreshing = m_session && m_session->isRefreshingAccount();
    m_refreshButton->setEnabled(!refreshing);
    m_refreshingLine->setVisible(refreshing);
    const std::optional<ErrorMessage> error = m_session ? m_session->accountRefreshError() : std::nullopt;
    m_errorLine->setText(error ? error->localized() : QString());
    m_errorLine->setAccessibleName(m_errorLine->text());
    m_errorLine->setVisible(error.has_value());
}

} // namespace veyra
