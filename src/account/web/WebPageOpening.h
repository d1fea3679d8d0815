#pragma once

namespace veyra {

// Opens the service's web pages in the user's browser. GUI thread; nothing is awaited or
// reported back.
class WebPageOpening
{
public:
    virtual ~WebPageOpening() = default;

    // The web app's home page (its base URL).
    virtual void openHomePage() = 0;
    // "signup".
    virtual void openSignUpPage() = 0;
    // "account".
    virtual void openAccountPage() = 0;
    // "account/inquiries", customer support.
    virtual void openSupportInquiriesPage() = 0;
};

} // namespace veyra
