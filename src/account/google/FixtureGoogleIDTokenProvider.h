#pragma once

#include "account/google/GoogleIDTokenProviding.h"

namespace veyra {

// The provider of UI-testing mode: returns "mock-identity-value-ccc" at once, showing
// nothing; signing out does nothing.
class FixtureGoogleIDTokenProvider : public GoogleIDTokenProviding
{
public:
    static QString fixtureIDToken() { return QStringLiteral("mock-identity-value-ccc"); }

    QCoro::Task<QString> idToken(QPointer<QWidget> presentingWindow, CancellationToken token) override;
    void signOut() override { }
};

} // namespace veyra
