#include "notes/store/GameMemoEntry.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/language/LocalizedString.h"
#include "notes/store/GameMemoStoreError.h"
#include "notes/store/InternetDateTime.h"

namespace veyra {

namespace {
const QString applicationNameKey = QStringLiteral("applicationName");
const QString keyKey = QStringLiteral("key");
const QString representativeGameNameKey = QStringLiteral("representativeGameName");
const QString textKey = QStringLiteral("text");
const QString updatedAtKey = QStringLiteral("updatedAt");
const QString windowTitleKey = QStringLiteral("windowTitle");
} // namespace

QString GameMemoEntry::displayTitle() const
{
    if (representativeGameName) {
        const QString name = representativeGameName->trimmed();
        if (!name.isEmpty()) {
            return name;
        }
    }
    return windowTitle;
}

bool GameMemoEntry::hasBlankText() const
{
    return text.trimmed().isEmpty();
}

QJsonObject GameMemoEntry::toJson() const
{
    QJsonObject object{{applicationNameKey, applicationName}, {keyKey, key.toJson()}, {textKey, text},
        {updatedAtKey, internetDateTimeString(updatedAt)}, {windowTitleKey, windowTitle}};
    if (representativeGameName) {
        object.insert(representativeGameNameKey, *representativeGameName);
    }
    return object;
}

GameMemoEntry GameMemoEntry::fromJson(const QJsonObject &object)
{
    GameMemoEntry entry;
    entry.applicationName = requireString(object, applicationNameKey);
    entry.key = GameWindowProfileKey::fromJson(requireObject(object, keyKey));
    const QJsonValue name = object.value(representativeGameNameKey);
    if (name.isString()) {
        entry.representativeGameName = name.toString();
    } else if (!name.isNull() && !name.isUndefined()) {
        throw DecodingError(QStringLiteral("\"%1\" is not a string").arg(representativeGameNameKey));
    }
    entry.text = requireString(object, textKey);
    if (entry.text.size() > maximumTextLength) {
        throw GameMemoRuleError(
            QT_TRANSLATE_NOOP("Veyra", "A note holds %@ characters, more than the %@ a note may hold."),
            {QString::number(entry.text.size()), QString::number(maximumTextLength)});
    }
    const QString updatedAt = requireString(object, updatedAtKey);
    const std::optional<QDateTime> date = internetDateTimeFromString(updatedAt);
    if (!date) {
        throw GameMemoRuleError(
            QT_TRANSLATE_NOOP("Veyra", "A note's date “%@” is not of the form YYYY-MM-DDTHH:MM:SSZ."), {updatedAt});
    }
    entry.updatedAt = *date;
    entry.windowTitle = requireString(object, windowTitleKey);
    return entry;
}

bool operator==(const GameMemoEntry &a, const GameMemoEntry &b)
{
    return a.key == b.key && a.applicationName == b.applicationName && a.windowTitle == b.windowTitle
        && a.representativeGameName == b.representativeGameName && a.text == b.text && a.updatedAt == b.updatedAt;
}

} // namespace veyra
