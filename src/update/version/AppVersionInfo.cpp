#include "update/version/AppVersionInfo.h"

#include "update/configuration/InfoDictionaryText.h"

namespace veyra {

std::optional<AppVersionInfo> AppVersionInfo::fromInfoDictionary(const InfoDictionary &info)
{
    AppVersionInfo result{
        trimmedInfoDictionaryText(info, QStringLiteral("CFBundleShortVersionString")),
        trimmedInfoDictionaryText(info, QStringLiteral("CFBundleVersion")),
    };
    if (result.version.isEmpty() || result.build.isEmpty()) {
        return std::nullopt;
    }
    return result;
}

} // namespace veyra
