#include "overlay/layout/UserDefaultsOverlayLayoutStore.h"

#include "foundation/json/JsonDecoding.h"
#include "foundation/settings/UserDefaults.h"

#include <QDateTime>
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
    for (const Record &record : loadRecords().value_or(QList<Record>())) {
        if (record.key == profileKey) {
            return record.layout;
        }
    }
    return std::nullopt;
}

void UserDefaultsOverlayLayoutStore::save(const OverlayLayout &layout, const GameWindowProfileKey &profileKey)
{
    std::optional<QList<Record>> loaded = loadRecords();
    if (!loaded) {
        // Kept before a new document takes the value's place.
        const QString name = key + QStringLiteral(".damaged-")
            + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        QString aside = name;
        for (int number = 2; m_defaults.contains(aside); ++number) {
            aside = name + QStringLiteral("-%1").arg(number);
        }
        m_defaults.setValue(aside, m_defaults.object(key));
        qCWarning(m_logger).noquote() << QStringLiteral("The unreadable overlay layouts were kept as %1.").arg(aside);
        loaded.emplace();
    }
    QList<Record> records = std::move(*loaded);
    const QJsonValue stored(QJsonObject{{recordKeyKey, profileKey.toJson()}, {recordLayoutKey, layout.toJson()}});
    const auto existing
        = std::find_if(records.begin(), records.end(), [&](const Record &record) { return record.key == profileKey; });
    if (existing != records.end()) {
        existing->stored = stored;
    } else {
        records.append({stored, profileKey, layout});
    }
    QJsonArray array;
    for (const Record &record : std::as_const(records)) {
        array.append(record.stored);
    }
    m_defaults.setValue(key, QJsonDocument(QJsonObject{{layoutsKey, array}}).toJson(QJsonDocument::Compact));
}

std::optional<QList<UserDefaultsOverlayLayoutStore::Record>> UserDefaultsOverlayLayoutStore::loadRecords() const
{
    const std::optional<QByteArray> data = m_defaults.data(key);
    if (!data) {
        return QList<Record>();
    }
    QJsonArray array;
    try {
        array = requireArray(decodeJsonObject(*data), layoutsKey);
    } catch (const DecodingError &error) {
        qCCritical(m_logger).noquote() << "The overlay layouts are unreadable; the next save keeps them aside:"
                                       << error.localizedDescription();
        return std::nullopt;
    }
    QList<Record> records;
    for (const QJsonValue &value : std::as_const(array)) {
        Record record{value, std::nullopt, std::nullopt};
        try {
            const QJsonObject object = requireObject(value, QStringLiteral("overlay layout record"));
            record.key = GameWindowProfileKey::fromJson(requireObject(object, recordKeyKey));
            record.layout = OverlayLayout::fromJson(requireObject(object, recordLayoutKey));
        } catch (const DecodingError &error) {
            qCCritical(m_logger).noquote()
                << "An overlay layout record is unreadable and kept as it is:" << error.localizedDescription();
        }
        records.append(std::move(record));
    }
    return records;
}

} // namespace veyra
