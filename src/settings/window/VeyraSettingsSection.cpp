#include "settings/window/VeyraSettingsSection.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

QString rawValue(VeyraSettingsSection section)
{
    switch (section) {
    case VeyraSettingsSection::general:
        return QStringLiteral("general");
    case VeyraSettingsSection::account:
        return QStringLiteral("account");
    case VeyraSettingsSection::overlay:
        return QStringLiteral("overlay");
    }
    return {};
}

std::optional<VeyraSettingsSection> veyraSettingsSectionFromRawValue(const QString &value)
{
    for (const VeyraSettingsSection section : allVeyraSettingsSections) {
        if (rawValue(section) == value) {
            return section;
        }
    }
    return std::nullopt;
}

const char *sectionTitleKey(VeyraSettingsSection section)
{
    switch (section) {
    case VeyraSettingsSection::general:
        return QT_TRANSLATE_NOOP("Veyra", "General");
    case VeyraSettingsSection::account:
        return QT_TRANSLATE_NOOP("Veyra", "Account");
    case VeyraSettingsSection::overlay:
        return QT_TRANSLATE_NOOP("Veyra", "Overlay");
    }
    return "";
}

QString sectionTitle(VeyraSettingsSection section)
{
    return localizedString(sectionTitleKey(section));
}

QString sectionSymbolName(VeyraSettingsSection section)
{
    switch (section) {
    case VeyraSettingsSection::general:
        return QStringLiteral("gearshape");
    case VeyraSettingsSection::account:
        return QStringLiteral("person.crop.circle");
    case VeyraSettingsSection::overlay:
        return QStringLiteral("rectangle.on.rectangle");
    }
    return {};
}

} // namespace veyra
