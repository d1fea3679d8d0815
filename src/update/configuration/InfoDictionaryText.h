#pragma once

#include "foundation/identity/AppIdentity.h"

#include <QString>

namespace veyra {

// The value under `key` when it is text, without leading and trailing whitespace and line
// ends; the empty text when the key is missing or holds anything but text.
QString trimmedInfoDictionaryText(const InfoDictionary &info, const QString &key);

} // namespace veyra
