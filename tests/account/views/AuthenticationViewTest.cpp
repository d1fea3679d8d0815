// Test label: ui
#include "account/views/AuthenticationView.h"
#include "account/authentication/AuthenticationClientError.h"
#include "account/views/GoogleSignInButton.h"
#include "brand/BrandIcons.h"
#include "brand/VeyraAppIcon.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "support/RunTask.h"
#include "support/TestScreenshots.h"

#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

using Phase = AuthenticationScreenPhase;
using Actions = AuthenticationScreenActions;

// An error whose description is the text as given (as from outside Veyra).
ErrorMessage outsideError(const QString &text)
{
    return ErrorMessage::describing(std::make_exception_ptr(Error(text)));
}

const QString standardBody = QStringLiteral("Translate dialogue and understand your game without leaving the moment.");

const QStringList identifiers{QStringLiteral("authentication-progress"), QStringLiteral("cancel-google-sign-in"),
    QStringLiteral("google-sign-in"), QStringLiteral("open-web-signup"), QStringLiteral("retry-google-sign-in"),
    QStringLiteral("web-registration-notice"), QStringLiteral("web-registration-login-note"),
    QStringLiteral("retry-authentication"), QStringLiteral("authentication-error")};

class AuthenticationViewTest : public ::testing::Test
{
protected:
    AuthenticationViewTest()
    {
        m_view.resize(720, 520);
        m_view.show();
    }

    // The identifiers on screen, in the order of `identifiers`.
    QStringList shownIdentifiers() const
    {
        QStringList shown;
        for (const QString &name : identifiers) {
            const auto *widget = m_view.findChild<QWidget *>(name);
            if (widget && widget->isVisibleTo(&m_view)) {
                shown.append(name);
            }
        }
        return shown;
    }

    QList<QPushButton *> shownButtons(const QString &text) const
    {
        QList<QPushButton *> buttons;
        for (QPushButton *button : m_view.findChildren<QPushButton *>()) {
            if (button->text() == text && button->isVisibleTo(&m_view)) {
                buttons.append(button);
            }
        }
        return buttons;
    }

    template <typename T = QWidget>
    T *find(const char *name) const
    {
        return m_view.findChild<T *>(QLatin1String(name));
    }

    AuthenticationViewModel m_model;
    AuthenticationView m_view{&m_model};
};

} // namespace

TEST(AuthenticationViewContentTest, EachPhase)
{
    const auto signedOut = authenticationViewContent(Phase::signedOut, std::nullopt);
    EXPECT_EQ(signedOut.eyebrow, QStringLiteral("YOUR AI GAMING COMPANION"));
    EXPECT_EQ(signedOut.title, QStringLiteral("Just play. Veyra\u2019s got you."));
    EXPECT_EQ(signedOut.body, standardBody);
    EXPECT_EQ(signedOut.actions, Actions::googleSignIn);
    EXPECT_TRUE(signedOut.showsSignedOutNote);
    EXPECT_FALSE(signedOut.showsNotice);
    EXPECT_EQ(signedOut.iconSize, 116);
    EXPECT_EQ(signedOut.contentPadding, 40);
    EXPECT_EQ(signedOut.titleSize, 30);

    const auto registration = authenticationViewContent(Phase::webRegistrationRequired, std::nullopt);
    EXPECT_EQ(registration.eyebrow, QStringLiteral("WEB REGISTRATION REQUIRED"));
    EXPECT_EQ(registration.title, QStringLiteral("Sign up on the web first"));
    EXPECT_TRUE(registration.body.startsWith(QStringLiteral("Veyra is available to users aged 14 and older.")));
    EXPECT_EQ(registration.actions, Actions::webRegistration);
    EXPECT_TRUE(registration.showsNotice);
    EXPECT_TRUE(registration.showsWebRegistrationNote);
    EXPECT_FALSE(registration.showsSignedOutNote);
    EXPECT_EQ(std::tuple(registration.contentPadding, registration.iconSize, registration.spaceUnderIcon,
                  registration.spaceUnderEyebrow, registration.titleSize, registration.spaceAboveBody,
                  registration.spaceUnderBody),
        std::tuple(28, 80, 14, 7, 28, 10, 18));

    const std::vector<std::tuple<Phase, QString, Actions>> others{
        {Phase::restoringAuthentication, QStringLiteral("Restoring your session\u2026"), Actions::progress},
        {Phase::authenticating, QStringLiteral("Signing in\u2026"), Actions::progressAndCancel},
        {Phase::authenticationUnavailable,
            QStringLiteral("The authentication server is temporarily unavailable. Your saved session is still on this "
                           "computer."),
            Actions::retryAndQuit},
        {Phase::keyringUnavailable,
            QStringLiteral("The keyring that keeps your sign-in isn't answering or is locked. Your saved session is "
                           "still on this computer."),
            Actions::retryAndQuit},
        {Phase::authenticationConfigurationUnavailable,
            QStringLiteral("Google authentication isn't configured for this build."), Actions::quit},
        {Phase::other, standardBody, Actions::none},
    };
    for (const auto &[phase, body, actions] : others) {
        const auto content = authenticationViewContent(phase, outsideError(QStringLiteral("Oops.")));
        EXPECT_EQ(content.body, body);
        EXPECT_EQ(content.actions, actions);
        EXPECT_EQ(content.eyebrow, signedOut.eyebrow);
        EXPECT_FALSE(content.showsSignedOutNote);
        EXPECT_FALSE(content.showsNotice);
        EXPECT_EQ(content.error, QStringLiteral("Oops."));
    }
}

TEST_F(AuthenticationViewTest, IdentifiersOfEachPhase)
{
    EXPECT_EQ(m_view.objectName(), QStringLiteral("authentication-view"));
    const std::vector<std::pair<Phase, QStringList>> expected{
        {Phase::restoringAuthentication, {QStringLiteral("authentication-progress")}},
        {Phase::signedOut, {QStringLiteral("google-sign-in")}},
        {Phase::authenticating, {QStringLiteral("authentication-progress"), QStringLiteral("cancel-google-sign-in")}},
        {Phase::webRegistrationRequired,
            {QStringLiteral("open-web-signup"), QStringLiteral("retry-google-sign-in"),
                QStringLiteral("web-registration-notice"), QStringLiteral("web-registration-login-note")}},
        {Phase::authenticationUnavailable, {QStringLiteral("retry-authentication")}},
        {Phase::authenticationConfigurationUnavailable, {}},
        {Phase::other, {}},
    };
    const QString note = QStringLiteral("Sign in once. Come back automatically.");
    for (const auto &[phase, shown] : expected) {
        m_model.setPhase(phase);
        EXPECT_EQ(shownIdentifiers(), shown) << static_cast<int>(phase);
        bool noteShown = false;
        for (const QLabel *label : m_view.findChildren<QLabel *>()) {
            noteShown = noteShown || (label->text() == note && label->isVisibleTo(&m_view));
        }
        EXPECT_EQ(noteShown, phase == Phase::signedOut);
        const int quits = static_cast<int>(shownButtons(QStringLiteral("Quit")).size());
        EXPECT_EQ(quits,
            phase == Phase::authenticationUnavailable || phase == Phase::authenticationConfigurationUnavailable ? 1
                                                                                                                : 0);
    }

    // An error shows in any phase, beside the spinner too, exactly as given.
    m_model.setPhase(Phase::authenticating);
    m_model.setAuthenticationError(outsideError(QStringLiteral("<b>Authentication is temporarily unavailable.</b>")));
    EXPECT_EQ(shownIdentifiers(),
        (QStringList{QStringLiteral("authentication-progress"), QStringLiteral("cancel-google-sign-in"),
            QStringLiteral("authentication-error")}));
    const auto *error = find<QLabel>("authentication-error");
    EXPECT_EQ(error->text(), QStringLiteral("<b>Authentication is temporarily unavailable.</b>"));
    EXPECT_EQ(error->textFormat(), Qt::PlainText);
    m_model.setAuthenticationError(std::nullopt);
    EXPECT_FALSE(error->isVisibleTo(&m_view));
}

TEST_F(AuthenticationViewTest, AnErrorOnScreenFollowsTheInterfaceLanguage)
{
    const QString english = QStringLiteral("Authentication is temporarily unavailable. Try again.");
    m_model.setPhase(Phase::signedOut);
    m_model.setAuthenticationError(ErrorMessage::describing(
        std::make_exception_ptr(AuthenticationClientError(AuthenticationClientError::Kind::network))));
    const auto *error = find<QLabel>("authentication-error");
    ASSERT_EQ(error->text(), english);

    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    const QString japanese = error->text();
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_NE(japanese, english);
    EXPECT_EQ(japanese, QStringLiteral("認証は一時的に利用できません。もう一度お試しください。"));
    EXPECT_EQ(error->text(), english);
}

TEST_F(AuthenticationViewTest, TheTwoLayouts)
{
    m_model.setPhase(Phase::webRegistrationRequired);
    const auto shownIcon = [this] {
        for (const VeyraAppIcon *icon : m_view.findChildren<VeyraAppIcon *>()) {
            if (icon->isVisibleTo(&m_view)) {
                return icon->iconSize();
            }
        }
        return 0.0;
    };
    EXPECT_EQ(shownIcon(), 80);
    const QLayout *column = find("google-sign-in")->parentWidget()->layout();
    EXPECT_EQ(column->contentsMargins(), QMargins(28, 28, 28, 28));
    m_model.setPhase(Phase::signedOut);
    EXPECT_EQ(shownIcon(), 116);
    EXPECT_EQ(column->contentsMargins(), QMargins(40, 40, 40, 40));
    EXPECT_EQ(find("google-sign-in")->width(), 220);
}

TEST_F(AuthenticationViewTest, GoogleButtonsWaitForTheWindowThenAsk)
{
    QSignalSpy signIn(&m_view, &AuthenticationView::signInRequested);
    m_model.setPhase(Phase::signedOut);
    auto *google = find<GoogleSignInButton>("google-sign-in");
    // The window is found one turn of the event loop after the screen is shown.
    EXPECT_FALSE(google->isEnabled());
    QTest::mouseClick(google, Qt::LeftButton);
    EXPECT_EQ(signIn.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return google->isEnabled(); }));
    EXPECT_EQ(m_view.presentingWindow(), &m_view);
    EXPECT_EQ(google->accessibleName(), QStringLiteral("Sign in with Google"));
    QTest::mouseClick(google, Qt::LeftButton);
    ASSERT_EQ(signIn.count(), 1);
    EXPECT_EQ(signIn[0][0].value<QWidget *>(), &m_view);

    m_model.setPhase(Phase::webRegistrationRequired);
    auto *retryGoogle = find<QPushButton>("retry-google-sign-in");
    ASSERT_TRUE(waitUntil([&] { return retryGoogle->isEnabled(); }));
    QTest::mouseClick(retryGoogle, Qt::LeftButton);
    EXPECT_EQ(signIn.count(), 2);
    QSignalSpy signUp(&m_view, &AuthenticationView::webSignUpRequested);
    QTest::mouseClick(find("open-web-signup"), Qt::LeftButton);
    EXPECT_EQ(signUp.count(), 1);

    // A hidden screen has no window to present in.
    AuthenticationViewModel model;
    model.setPhase(Phase::signedOut);
    AuthenticationView hidden(&model);
    QCoreApplication::processEvents();
    EXPECT_FALSE(hidden.presentingWindow());
    EXPECT_FALSE(hidden.findChild<QWidget *>(QStringLiteral("google-sign-in"))->isEnabled());
}

TEST_F(AuthenticationViewTest, CancelRetryAndQuit)
{
    QSignalSpy cancel(&m_view, &AuthenticationView::signInCancelRequested);
    QSignalSpy retry(&m_view, &AuthenticationView::retryAuthenticationRequested);
    QSignalSpy quit(&m_view, &AuthenticationView::terminateRequested);
    m_model.setPhase(Phase::authenticating);
    QTest::mouseClick(find("cancel-google-sign-in"), Qt::LeftButton);
    EXPECT_EQ(find<QPushButton>("cancel-google-sign-in")->text(), QStringLiteral("Cancel"));
    m_model.setPhase(Phase::authenticationUnavailable);
    QTest::mouseClick(find("retry-authentication"), Qt::LeftButton);
    QTest::mouseClick(shownButtons(QStringLiteral("Quit")).value(0), Qt::LeftButton);
    m_model.setPhase(Phase::authenticationConfigurationUnavailable);
    QTest::mouseClick(shownButtons(QStringLiteral("Quit")).value(0), Qt::LeftButton);
    EXPECT_EQ(cancel.count(), 1);
    EXPECT_EQ(retry.count(), 1);
    EXPECT_EQ(quit.count(), 2);
}

TEST_F(AuthenticationViewTest, Screenshots)
{
    QApplication::setWindowIcon(veyraApplicationIcon());
    const std::vector<std::tuple<Phase, std::optional<ErrorMessage>, const char *>> screens{
        {Phase::signedOut, std::nullopt, "signed-out"},
        {Phase::webRegistrationRequired, std::nullopt, "web-registration"},
        {Phase::authenticationUnavailable,
            ErrorMessage::describing(
                std::make_exception_ptr(AuthenticationClientError(AuthenticationClientError::Kind::unavailable))),
            "unavailable"},
        {Phase::authenticating, std::nullopt, "authenticating"},
    };
    for (const auto &[phase, error, name] : screens) {
        m_model.setPhase(phase);
        m_model.setAuthenticationError(error);
        ASSERT_TRUE(waitUntil([&] { return find("google-sign-in")->isEnabled(); }));
        // The layouts settle (grab() paints what is laid out now).
        for (int pass = 0; pass < 3; ++pass) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
        // Everything fits the main window, which never grows on a change of layout.
        EXPECT_LE(m_view.minimumSizeHint().height(), 520) << name;
        EXPECT_EQ(m_view.size(), QSize(720, 520)) << name;
        saveScreenshot(m_view, QStringLiteral("authentication-%1.png").arg(QLatin1String(name)));
    }
}
