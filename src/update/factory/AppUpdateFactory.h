#pragma once

#include "foundation/identity/AppIdentity.h"
#include "update/drivers/FeedAppUpdateController.h"
#include "update/factory/MinimumVersionFixtureMode.h"
#include "update/model/AppUpdateModel.h"

#include <memory>

namespace veyra {

class HTTPTransport;
class UserDefaults;

// What the live update model reaches outside the process; tests replace parts of it.
struct AppUpdateModelEnvironment
{
    // The user defaults of the two stores; the standard ones when not given.
    UserDefaults *defaults = nullptr;
    // Downloads the minimum-version policy; a transport of its own when not given.
    std::shared_ptr<HTTPTransport> policyTransport;
    FeedAppUpdateEnvironment updater = FeedAppUpdateEnvironment::live();
};

// Builds the one update model of the process, live or for the fixture mode, restores the
// available update stored by an earlier launch (forgotten unless its build is newer than
// the running one), and attaches the update driver:
// - live: the feed driver when the bundle's update configuration is valid, else the
//   disabled driver and one log line; the policy client of the bundle's minimum-version
//   configuration, else the failing client;
// - fixture mode: in-memory stores, the fixture policy client answering as `mode` asks,
//   the running version "0.1.0" (build "1") when the bundle has none, the fixture update
//   "99.0.0" (build "9999") when `updateAvailable`, and the fixture driver.
// It starts nothing: no check and no driver start.
std::unique_ptr<AppUpdateModel> makeAppUpdateModel(const InfoDictionary &info, bool fixtureMode, bool updateAvailable,
    MinimumVersionFixtureMode mode, HomePageOpener webPageOpener, AppUpdateModelEnvironment environment = {});

} // namespace veyra
