#pragma once

#include <QString>

#include <array>
#include <optional>

namespace veyra {

// The sections of the settings window, in the order of its sidebar.
enum class VeyraSettingsSection { general, account, overlay };

inline constexpr std::array<VeyraSettingsSection, 3> allVeyraSettingsSections{
    VeyraSettingsSection::general, VeyraSettingsSection::account, VeyraSettingsSection::overlay};

// "general", "account" or "overlay".
QString rawValue(VeyraSettingsSection section);
// The section whose raw value equals `value` exactly, if any.
std::optional<VeyraSettingsSection> veyraSettingsSectionFromRawValue(const QString &value);

// The English title, the key of its lookup ("General", "Account", "Overlay").
const char *sectionTitleKey(VeyraSettingsSection section);
// The title in the current interface language.
QString sectionTitle(VeyraSettingsSection section);
// The name of the bundled symbol of the sidebar row.
QString sectionSymbolName(VeyraSettingsSection section);

} // namespace veyra
