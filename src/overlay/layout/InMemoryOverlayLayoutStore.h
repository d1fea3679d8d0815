#pragma once

#include "overlay/layout/OverlayLayoutStoring.h"

#include <QHash>

namespace veyra {

// The store of fixture mode. A window without a layout of its own gets the default
// layout, when there is one. Never fails.
class InMemoryOverlayLayoutStore : public OverlayLayoutStoring
{
public:
    explicit InMemoryOverlayLayoutStore(std::optional<OverlayLayout> defaultLayout = std::nullopt)
        : m_defaultLayout(defaultLayout)
    { }

    std::optional<OverlayLayout> layout(const GameWindowProfileKey &key) override
    {
        if (const auto found = m_layouts.constFind(key); found != m_layouts.cend()) {
            return *found;
        }
        return m_defaultLayout;
    }
    void save(const OverlayLayout &layout, const GameWindowProfileKey &key) override { m_layouts.insert(key, layout); }

    const QHash<GameWindowProfileKey, OverlayLayout> &layouts() const { return m_layouts; }
    const std::optional<OverlayLayout> &defaultLayout() const { return m_defaultLayout; }

private:
    QHash<GameWindowProfileKey, OverlayLayout> m_layouts;
    std::optional<OverlayLayout> m_defaultLayout;
};

} // namespace veyra
