#include "overlay/layout/UserDefaultsOverlayLayoutStore.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/settings/UserDefaults.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace veyra {

namespace {

const QString layoutsKey = QStringLiteral("layouts");
const QString recordKeyKey = QStringLiteral("key");
const QString recordLayoutKey = QStringLiteral("layout");

} // namespace

UserDefaultsOverlayLayoutStore::UserDefaultsOverlayLayoutStore(UserDefaults &defaults)
    : m_defaults(defaults)
{ }

std::optional<OverlayLayout> UserDefaultsOverlayLayoutStore::layout(const GameWindowProfileKey &profileKey)
{
    for (const Record &record : loadRecords()) {
        if (record.key == profileKey) {
            return record.layout;
        }
    }
    return std::nullopt;
}

void UserDefaultsOverlayLayoutStore::save(const OverlayLayout &layout, const GameWindowProfileKey &profileKey)
{
    QList<Record> records = loadRecords();
    const auto existing
        = std::find_if(records.begin(), records.end(), [&](const Record &record) { return record.key == profileKey; });
    if (existing != records.end()) {
        existing->layout = layout;
    } else {
        records.append({profileKey, layout});
    }
    QJsonArray array;
    for (const Record &record : std::as_const(records)) {
        array.append(QJsonObject{{recordKeyKey, record.key.toJson()}, {recordLayoutKey, record.layout.toJson()}});
    }
    m_defaults.setValue(key, QJsonDocument(QJsonObject{{layoutsKey, array}}).toJson(QJsonDocument::Compact));
}

QList<UserDefaultsOverlayLayoutStore::Record> UserDefaultsOverlayLayoutStore::loadRecords() const
{
    const std::optional<QByteArray> data = m_defaults.data(key);
    if (!data) {
        return {};
    }
    try {
        QList<Record> records;
        const QJsonArray array = requireArray(decodeJsonObject(*data), layoutsKey);
        for (const QJsonValue &value : array) {
            const QJsonObject record = requireObject(value, QStringLiteral("overlay layout record"));
            records.append({GameWindowProfileKey::fromJson(requireObject(record, recordKeyKey)),
                OverlayLayout::fromJson(requireObject(record, recordLayoutKey))});
        }
        return records;
    } catch (const DecodingError &error) {
        qCCritical(m_logger).noquote() << "Ignoring the unreadable overlay layouts; the next save replaces them:"
                                       << error.localizedDescription();
        return {};
    }
}

} // namespace veyra
