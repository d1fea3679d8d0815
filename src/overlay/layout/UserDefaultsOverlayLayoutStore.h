#pragma once

#include "foundation/logging/Logger.h"
#include "overlay/layout/OverlayLayoutStoring.h"

#include <QString>

namespace veyra {

class UserDefaults;

// Keeps every window's layout in one user-defaults value, "overlay_layouts": the bytes of
// the compact JSON document {"layouts": [{"key": <profile key>, "layout": <layout>}, ...]},
// one record per window in the order of their first save. A value that is not bytes counts
// as none. Bytes that are not such a document are logged and read as no layouts, and the
// next save replaces them: an unreadable value must not stop the overlay from ever
// remembering a position again.
class UserDefaultsOverlayLayoutStore : public OverlayLayoutStoring
{
public:
    static inline const QString key = QStringLiteral("overlay_layouts");

    explicit UserDefaultsOverlayLayoutStore(UserDefaults &defaults);

    std::optional<OverlayLayout> layout(const GameWindowProfileKey &key) override;
    void save(const OverlayLayout &layout, const GameWindowProfileKey &key) override;

private:
    struct Record
    {
        GameWindowProfileKey key;
        OverlayLayout layout;
    };

    QList<Record> loadRecords() const;

    UserDefaults &m_defaults;
    Logger m_logger{"OverlayLayout"};
};

} // namespace veyra
