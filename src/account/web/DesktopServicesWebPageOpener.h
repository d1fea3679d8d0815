#pragma once

#include "account/web/WebAppConfiguration.h"
#include "account/web/WebPageOpening.h"

#include <functional>
#include <optional>

namespace veyra {

// Opens the pages through the desktop (QDesktopServices::openUrl, its answer ignored).
// Without a configuration every request is ignored.
class DesktopServicesWebPageOpener : public WebPageOpening
{
public:
    using URLOpening = std::function<void(const QUrl &)>;

    explicit DesktopServicesWebPageOpener(std::optional<WebAppConfiguration> configuration, URLOpening openURL = {});

    void openHomePage() override;
    void openSignUpPage() override;
    void openAccountPage() override;
    void openSupportInquiriesPage() override;

    const std::optional<WebAppConfiguration> &configuration() const { return m_configuration; }

private:
    void openPath(const QStringList &pathComponents);

    const std::optional<WebAppConfiguration> m_configuration;
    const URLOpening m_openURL;
};

} // namespace veyra
