#pragma once

#include "account/profile/CurrentUser.h"

#include <QString>

namespace veyra {

// The letters of the account's avatar: the display name when there is one, else the
// e-mail address, split at blanks (U+0020) with empty pieces dropped; the first character
// (grapheme) of each of the first two pieces, joined and upper-cased. A display name that
// is present but empty gives no letters.
QString accountInitials(const CurrentUser &user);

} // namespace veyra
