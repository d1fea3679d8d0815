#pragma once

#include "foundation/identity/AppIdentity.h"
#include "translation/http/ServerConfiguration.h"

#include <QStringList>

namespace veyra {

// The Google sign-in settings of the build, read from its information dictionary. Only
// the result of isGoogleSignInUsable() is kept: whether this build can sign in at all.
struct AuthenticationConfiguration
{
    // "GoogleAuthenticationEnabled": a Boolean, or a text that reads yes, true or 1.
    bool isEnabled = false;
    // "TranslationServerBaseURL".
    ServerConfiguration serverConfiguration;
    // "GIDClientID", "GIDServerClientID", "GoogleReversedClientID": trimmed text, empty
    // when absent, not text, or an unexpanded build setting ("$(").
    QString googleClientID;
    QString googleServerClientID;
    QString reversedClientID;
    // Every "CFBundleURLSchemes" entry under "CFBundleURLTypes", in order, untrimmed.
    QStringList callbackSchemes;

    // Throws ServerConfigurationError when the server base URL is absent, blank, an
    // unexpanded build setting, not a URL, or against the URL rule; nothing else fails.
    static AuthenticationConfiguration fromInfoDictionary(const InfoDictionary &info);

    // True when sign-in is switched on, both client IDs have Google's form, the reversed
    // client ID is the one Google derives from the client ID, and it is one of the
    // callback schemes. All comparisons are exact.
    bool isGoogleSignInUsable() const;

    bool operator==(const AuthenticationConfiguration &) const = default;
};

// The domain every Google OAuth client ID ends with, and the reversed form that its
// reversed client ID starts with.
inline const QString googleClientIDSuffix = QStringLiteral(".apps.googleusercontent.com");
inline const QString googleReversedClientIDPrefix = QStringLiteral("com.googleusercontent.apps.");

} // namespace veyra
