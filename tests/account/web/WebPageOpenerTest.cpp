// Test label: unit
#include "account/web/DesktopServicesWebPageOpener.h"
#include "account/web/FixtureWebPageOpener.h"
#include "account/web/WebPageOpenerFactory.h"
#include "translation/http/ServerConfiguration.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {

QList<QUrl> pagesOpenedFor(const QString &baseURL)
{
    QList<QUrl> opened;
    DesktopServicesWebPageOpener opener(
        WebAppConfiguration::fromInfoDictionary({{QStringLiteral("WebAppBaseURL"), baseURL}}),
        [&opened](const QUrl &url) { opened.append(url); });
    opener.openHomePage();
    opener.openSignUpPage();
    opener.openAccountPage();
    opener.openSupportInquiriesPage();
    return opened;
}

bool accepted(const QVariant &value)
{
    try {
        WebAppConfiguration::fromInfoDictionary({{QStringLiteral("WebAppBaseURL"), value}});
        return true;
    } catch (const ServerConfigurationError &) {
        return false;
    }
}

} // namespace

TEST(WebPageOpenerTest, PageURLs)
{
    EXPECT_EQ(pagesOpenedFor(QStringLiteral(" \n https://veyra.app \t")),
        (QList<QUrl>{QUrl(QStringLiteral("https://veyra.app")), QUrl(QStringLiteral("https://veyra.app/signup")),
            QUrl(QStringLiteral("https://veyra.app/account")),
            QUrl(QStringLiteral("https://veyra.app/account/inquiries"))}));
    // With or without a final slash, the pages are the same; a path is kept.
    EXPECT_EQ(pagesOpenedFor(QStringLiteral("https://veyra.app/app/")).mid(1),
        pagesOpenedFor(QStringLiteral("https://veyra.app/app")).mid(1));
    EXPECT_EQ(pagesOpenedFor(QStringLiteral("https://veyra.app/app/"))[3],
        QUrl(QStringLiteral("https://veyra.app/app/account/inquiries")));
    EXPECT_EQ(pagesOpenedFor(QStringLiteral("http://localhost:3000"))[1],
        QUrl(QStringLiteral("http://localhost:3000/signup")));
}

TEST(WebPageOpenerTest, BaseURLRule)
{
    EXPECT_TRUE(accepted(QStringLiteral("http://127.0.0.1:8080/")));
    EXPECT_TRUE(accepted(QStringLiteral("HTTP://LOCALHOST")));
    EXPECT_FALSE(accepted(QStringLiteral("http://veyra.app/")));
    EXPECT_FALSE(accepted(QStringLiteral("https://user@veyra.app/")));
    EXPECT_FALSE(accepted(QStringLiteral("https://user:pw@veyra.app/")));
    EXPECT_FALSE(accepted(QStringLiteral("https://veyra.app/?a=1")));
    EXPECT_FALSE(accepted(QStringLiteral("https://veyra.app/#top")));
    EXPECT_FALSE(accepted(QStringLiteral("")));
    EXPECT_FALSE(accepted(QStringLiteral("veyra.app")));
    EXPECT_FALSE(accepted(QVariant()));
    EXPECT_FALSE(accepted(42));
    // The URL is kept as written.
    EXPECT_EQ(
        validateWebAppBaseURL(QUrl(QStringLiteral("https://Veyra.App/Path"))).baseURL.path(), QStringLiteral("/Path"));
}

TEST(WebPageOpenerTest, FixtureAndMissingConfigurationOpenNothing)
{
    QList<QUrl> opened;
    DesktopServicesWebPageOpener unconfigured(std::nullopt, [&opened](const QUrl &url) { opened.append(url); });
    unconfigured.openHomePage();
    unconfigured.openSignUpPage();
    unconfigured.openAccountPage();
    unconfigured.openSupportInquiriesPage();
    EXPECT_TRUE(opened.isEmpty());

    EXPECT_TRUE(std::dynamic_pointer_cast<FixtureWebPageOpener>(makeWebPageOpener({}, true)));
    const auto invalid = std::dynamic_pointer_cast<DesktopServicesWebPageOpener>(
        makeWebPageOpener({{QStringLiteral("WebAppBaseURL"), QStringLiteral("http://veyra.app")}}, false));
    ASSERT_TRUE(invalid);
    EXPECT_FALSE(invalid->configuration());
    const auto live = std::dynamic_pointer_cast<DesktopServicesWebPageOpener>(
        makeWebPageOpener({{QStringLiteral("WebAppBaseURL"), QStringLiteral("https://veyra.app/")}}, false));
    ASSERT_TRUE(live);
    EXPECT_EQ(live->configuration()->baseURL, QUrl(QStringLiteral("https://veyra.app/")));
}
