#include "account/web/DesktopServicesWebPageOpener.h"

#include <QDesktopServices>

namespace veyra {

DesktopServicesWebPageOpener::DesktopServicesWebPageOpener(
    std::optional<WebAppConfiguration> configuration, URLOpening openURL)
    : m_configuration(std::move(configuration))
    , m_openURL(openURL ? std::move(openURL) : URLOpening([](const QUrl &url) { QDesktopServices::openUrl(url); }))
{ }

void DesktopServicesWebPageOpener::openHomePage()
{
    if (m_configuration) {
        m_openURL(m_configuration->baseURL);
    }
}

void DesktopServicesWebPageOpener::openSignUpPage()
{
    openPath({QStringLiteral("signup")});
}

void DesktopServicesWebPageOpener::openAccountPage()
{
    openPath({QStringLiteral("account")});
}

void DesktopServicesWebPageOpener::openSupportInquiriesPage()
{
    openPath({QStringLiteral("account"), QStringLiteral("inquiries")});
}

void DesktopServicesWebPageOpener::openPath(const QStringList &pathComponents)
{
    if (m_configuration) {
        m_openURL(m_configuration->pageURL(pathComponents));
    }
}

} // namespace veyra
