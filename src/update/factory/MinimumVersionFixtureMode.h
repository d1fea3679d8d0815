#pragma once

namespace veyra {

// The minimum-version state the UI-testing fixture mode starts from.
enum class MinimumVersionFixtureMode {
    allowed,
    checking,
    checkFailed,
    required,
    installFailed,
};

} // namespace veyra
