// Test label: ui
// The Account section of the settings window over a stand-in session: the profile row
// and its initials, the refresh (only once signed in) with its progress and error lines,
// and the two web pages.
#include "settings/account/AccountSettingsSection.h"

#include "foundation/language/ClientLanguage.h"
#include "settings/account/AccountAvatar.h"
#include "settings/account/AccountInitials.h"
#include "support/FakeSettingsAccount.h"
#include "support/TestScreenshots.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::FakeSettingsAccount;
using veyra::test::saveScreenshot;

namespace {

CurrentUser user(const QString &email, std::optional<QString> displayName)
{
    return {QUuid::createUuid(), email, std::move(displayName), std::nullopt};
}

class AccountSettingsSectionTest : public ::testing::Test
{
protected:
    AccountSettingsSectionTest()
    {
        section.resize(500, 260);
        section.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&section));
    }
    ~AccountSettingsSectionTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    template <typename Widget = QWidget>
    Widget *find(const char *name)
    {
        auto *widget = section.findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QPushButton *button(const QString &text)
    {
        for (QPushButton *candidate : section.findChildren<QPushButton *>()) {
            if (candidate->text() == text) {
                return candidate;
            }
        }
        ADD_FAILURE() << "no button " << text.toStdString();
        return nullptr;
    }
    QStringList visibleLabels()
    {
        QStringList texts;
        for (const QLabel *label : section.findChildren<QLabel *>()) {
            if (label->isVisible() && !label->text().isEmpty()) {
                texts.append(label->text());
            }
        }
        return texts;
    }
    AccountAvatar *avatar() { return section.findChild<AccountAvatar *>(); }

    FakeSettingsAccount session;
    AccountSettingsSection section{&session};
};

} // namespace

TEST(AccountInitials, FirstLettersOfTheFirstTwoWords)
{
    EXPECT_EQ(
        accountInitials(user(QStringLiteral("jd@example.com"), QStringLiteral("jane doe"))), QStringLiteral("JD"));
    EXPECT_EQ(
        accountInitials(user(QStringLiteral("x@example.com"), QStringLiteral("Mary Ann Smith"))), QStringLiteral("MA"));
    EXPECT_EQ(accountInitials(user(QStringLiteral("x@example.com"), QStringLiteral("  Ada   Lovelace "))),
        QStringLiteral("AL"));
    // Without a name the e-mail address, which has no blank, gives one letter.
    EXPECT_EQ(accountInitials(user(QStringLiteral("mia@example.com"), std::nullopt)), QStringLiteral("M"));
    // A name that is there but empty gives none.
    EXPECT_EQ(accountInitials(user(QStringLiteral("mia@example.com"), QString())), QString());
    // Only the blank splits; a letter is a whole character, accents and all.
    EXPECT_EQ(accountInitials(user(QStringLiteral("x@example.com"), QStringLiteral("e\u0301mile\tzola"))),
        QStringLiteral("E\u0301"));
    EXPECT_EQ(
        accountInitials(user(QStringLiteral("x@example.com"), QStringLiteral("김 민수"))), QStringLiteral("김민"));
}

TEST_F(AccountSettingsSectionTest, ShowsTheSignedInAccount)
{
    // Nothing stands in for a missing account.
    EXPECT_EQ(avatar()->isVisible(), false);
    EXPECT_TRUE(find(AccountSettingsSection::refreshButtonName)->isVisible());

    session.setCurrentUser(user(QStringLiteral("ada@example.com"), QStringLiteral("Ada King Lovelace")));
    EXPECT_TRUE(avatar()->isVisible());
    EXPECT_EQ(avatar()->initials(), QStringLiteral("AK"));
    EXPECT_TRUE(visibleLabels().contains(QStringLiteral("Ada King Lovelace")));
    EXPECT_TRUE(visibleLabels().contains(QStringLiteral("ada@example.com")));
    saveScreenshot(section, QStringLiteral("settings-account-section-en.png"));

    // Without a display name only the e-mail line, and its first letter on the avatar.
    session.setCurrentUser(user(QStringLiteral("<b>mia</b>@example.com"), std::nullopt));
    EXPECT_EQ(avatar()->initials(), QStringLiteral("<"));
    EXPECT_TRUE(visibleLabels().contains(QStringLiteral("<b>mia</b>@example.com")));
    EXPECT_FALSE(visibleLabels().contains(QStringLiteral("Ada King Lovelace")));

    session.setCurrentUser(std::nullopt);
    EXPECT_FALSE(avatar()->isVisible());
}

TEST_F(AccountSettingsSectionTest, RefreshRunsOnlyWhenSignedInAndShowsItsProgressAndFailure)
{
    auto *refresh = find<QPushButton>(AccountSettingsSection::refreshButtonName);
    auto *refreshing = find(AccountSettingsSection::refreshingLineName);
    auto *error = find<QLabel>(AccountSettingsSection::refreshErrorLineName);
    ASSERT_TRUE(refresh && refreshing && error);
    EXPECT_EQ(refresh->text(), QStringLiteral("Refresh"));
    EXPECT_FALSE(refreshing->isVisible());
    EXPECT_FALSE(error->isVisible());

    // Signed out, "Refresh" asks for nothing.
    session.signedIn = false;
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(session.refreshRequests, 0);
    session.signedIn = true;
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(session.refreshRequests, 1);

    // While the session refreshes: the button is disabled and the progress line shows.
    session.setRefreshing(true);
    EXPECT_FALSE(refresh->isEnabled());
    EXPECT_TRUE(refreshing->isVisible());
    EXPECT_TRUE(visibleLabels().contains(QStringLiteral("Refreshing account…")));
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(session.refreshRequests, 1);
    saveScreenshot(section, QStringLiteral("settings-account-refreshing-en.png"));

    // A failure ends the progress and shows the session's message as it stands.
    const QString message = QStringLiteral("Veyra couldn't refresh your account. Try again.");
    session.setRefreshing(false);
    session.setRefreshError(ErrorMessage::text("Veyra couldn't refresh your account. Try again."));
    EXPECT_TRUE(refresh->isEnabled());
    EXPECT_FALSE(refreshing->isVisible());
    EXPECT_TRUE(error->isVisible());
    EXPECT_EQ(error->text(), message);
    EXPECT_EQ(error->textFormat(), Qt::PlainText);
    saveScreenshot(section, QStringLiteral("settings-account-error-en.png"));
    // The message on screen follows a change of the interface language.
    setCurrentClientLanguage(ClientLanguage::japanese);
    section.retranslate();
    EXPECT_EQ(error->text(), QStringLiteral("Veyraはアカウントを更新できませんでした。もう一度お試しください。"));
    setCurrentClientLanguage(ClientLanguage::english);
    section.retranslate();
    EXPECT_EQ(error->text(), message);

    // The next refresh clears it while it runs.
    QTest::mouseClick(refresh, Qt::LeftButton);
    EXPECT_EQ(session.refreshRequests, 2);
    session.setRefreshError(std::nullopt);
    session.setRefreshing(true);
    EXPECT_FALSE(error->isVisible());
    EXPECT_TRUE(refreshing->isVisible());
}

TEST_F(AccountSettingsSectionTest, OpensTheWebAccountAndCustomerSupport)
{
    QTest::mouseClick(button(QStringLiteral("Open Web Account")), Qt::LeftButton);
    auto *support = find<QPushButton>(AccountSettingsSection::customerSupportButtonName);
    ASSERT_NE(support, nullptr);
    EXPECT_EQ(support->text(), QStringLiteral("Customer Support"));
    EXPECT_FALSE(support->icon().isNull());
    // One icon of the symbol for every section and language: Qt keeps the pictures it draws
    // of an icon in its pixmap cache under that icon's own key.
    const qint64 supportIcon = support->icon().cacheKey();
    QTest::mouseClick(support, Qt::LeftButton);
    EXPECT_EQ(session.recorder->opened, (QStringList{QStringLiteral("account"), QStringLiteral("account/inquiries")}));

    // Both stay usable while a refresh runs; without an opener they do nothing.
    session.setRefreshing(true);
    EXPECT_TRUE(support->isEnabled());
    session.opener.reset();
    QTest::mouseClick(support, Qt::LeftButton);
    EXPECT_EQ(session.recorder->opened.size(), 2);

    // The texts follow the interface language.
    setCurrentClientLanguage(ClientLanguage::japanese);
    section.retranslate();
    EXPECT_EQ(support->text(), QStringLiteral("カスタマーサポート"));
    EXPECT_EQ(find<QPushButton>(AccountSettingsSection::refreshButtonName)->text(), QStringLiteral("更新"));
    EXPECT_TRUE(visibleLabels().contains(QStringLiteral("アカウントを更新中…")));
    EXPECT_EQ(support->icon().cacheKey(), supportIcon);
    const AccountSettingsSection another(&session);
    EXPECT_EQ(another.findChild<QPushButton *>(QString::fromLatin1(AccountSettingsSection::customerSupportButtonName))
                  ->icon()
                  .cacheKey(),
        supportIcon);
}
