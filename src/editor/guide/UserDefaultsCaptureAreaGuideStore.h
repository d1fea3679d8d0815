#pragma once

#include "editor/guide/CaptureAreaGuideStoring.h"

#include <QString>

namespace veyra {

class UserDefaults;

// Keeps the version under the user-defaults key "capture_area_guide_version" as an
// integer. A stored value that is not a number reads as nothing; a fractional number
// reads as its integer part; writing nothing removes the key.
class UserDefaultsCaptureAreaGuideStore : public CaptureAreaGuideStoring
{
public:
    static inline const QString key = QStringLiteral("capture_area_guide_version");

    explicit UserDefaultsCaptureAreaGuideStore(UserDefaults &defaults);

    std::optional<qint64> lastSeenVersion() const override;
    void setLastSeenVersion(std::optional<qint64> version) override;

private:
    UserDefaults &m_defaults;
};

} // namespace veyra
