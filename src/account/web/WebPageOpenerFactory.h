#pragma once

#include "account/web/WebPageOpening.h"
#include "foundation/identity/AppIdentity.h"

#include <memory>

namespace veyra {

// The one opener of the process: the fixture in UI-testing mode; otherwise the desktop
// opener with the "WebAppBaseURL" configuration, or without one when it is missing or
// invalid (the error is dropped).
std::shared_ptr<WebPageOpening> makeWebPageOpener(const InfoDictionary &info, bool isUITesting);

} // namespace veyra
