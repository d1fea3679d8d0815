#pragma once

#include "account/web/WebPageOpening.h"

namespace veyra {

// The opener of UI-testing mode: opens nothing.
class FixtureWebPageOpener : public WebPageOpening
{
public:
    void openHomePage() override { }
    void openSignUpPage() override { }
    void openAccountPage() override { }
    void openSupportInquiriesPage() override { }
};

} // namespace veyra
