#include "account/web/WebPageOpenerFactory.h"

#include "account/web/DesktopServicesWebPageOpener.h"
#include "account/web/FixtureWebPageOpener.h"
#include "translation/http/ServerConfiguration.h"

namespace veyra {

std::shared_ptr<WebPageOpening> makeWebPageOpener(const InfoDictionary &info, bool isUITesting)
{
    if (isUITesting) {
        return std::make_shared<FixtureWebPageOpener>();
    }
    std::optional<WebAppConfiguration> configuration;
    try {
        configuration = WebAppConfiguration::fromInfoDictionary(info);
    } catch (const ServerConfigurationError &) { }
    return std::make_shared<DesktopServicesWebPageOpener>(std::move(configuration));
}

} // namespace veyra
