#pragma once

#include "foundation/logging/Logger.h"
#include "overlay/layout/OverlayLayoutStoring.h"

#include <QDateTime>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace veyra {

class UserDefaults;

// Keeps every window's layout in one user-defaults value, "overlay_layouts": the bytes of
// the compact JSON document {"layouts": [{"key": <profile key>, "layout": <layout>}, ...]},
// one record per window in the order of their first save. What cannot be read is logged
// and kept: a record that cannot be decoded (a key kind of a later version, a hand edit) is
// written back as it stands with every save (and replaced by a save for its key, when that
// can be read); a value that is no such document (bytes of something else, or no bytes at
// all: a string, an object or a "data" member of the wrong type, from a hand edit) reads as
// no layouts, and the first save keeps it under
// "overlay_layouts.damaged-<yyyyMMdd-HHmmss>[-n]" before it writes a new document, so that
// an unreadable value neither stops the overlay from remembering positions nor loses any.
// The newest of those copies are kept (keptDamagedCopies), older ones removed.
class UserDefaultsOverlayLayoutStore : public OverlayLayoutStoring
{
public:
    static inline const QString key = QStringLiteral("overlay_layouts");
    using Clock = std::function<QDateTime()>;

    explicit UserDefaultsOverlayLayoutStore(
        UserDefaults &defaults, Clock clock = [] { return QDateTime::currentDateTimeUtc(); });

    std::optional<OverlayLayout> layout(const GameWindowProfileKey &key) override;
    void save(const OverlayLayout &layout, const GameWindowProfileKey &key) override;

private:
    struct Record
    {
        // As stored; written back as it is unless its layout is replaced.
        QJsonValue stored;
        // Nothing where it cannot be read.
        std::optional<GameWindowProfileKey> key;
        std::optional<OverlayLayout> layout;
    };

    // The stored records; nothing when the value holds bytes that are no document of them.
    std::optional<QList<Record>> loadRecords() const;

    // Keeps the unreadable value aside, and only the newest such copies.
    void keepUnreadableValueAside();

    UserDefaults &m_defaults;
    const Clock m_clock;
    Logger m_logger{"OverlayLayout"};
};

} // namespace veyra
