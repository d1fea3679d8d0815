#include "overlay/layout/UserDefaultsOverlayLayoutStore.h"

#include "foundation/files/FileIO.h"
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

UserDefaultsOverlayLayoutStore::UserDefaultsOverlayLayoutStore(UserDefaults &defaults, Clock clock)
    : m_defaults(defaults)
    , m_clock(std::move(clock))
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
        keepUnreadableValueAside();
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

void UserDefaultsOverlayLayoutStore::keepUnreadableValueAside()
{
    const QString damaged = QStringLiteral("damaged");
    const QString aside = unusedNameAmong(m_defaults.keys(), key, damaged, m_clock(), false);
    m_defaults.setValue(aside, m_defaults.object(key));
    qCWarning(m_logger).noquote() << QStringLiteral("The unreadable overlay layouts were kept as %1.").arg(aside);
    const QStringList copies = copiesNewestFirst(m_defaults.keys(), key, damaged, false);
    for (qsizetype older = keptDamagedCopies; older < copies.size(); ++older) {
        m_defaults.remove(copies[older]);
    }
}

std::optional<QList<UserDefaultsOverlayLayoutStore::Record>> UserDefaultsOverlayLayoutStore::loadRecords() const
{
    if (!m_defaults.contains(key)) {
        return QList<Record>();
    }
    const std::optional<QByteArray> data = m_defaults.data(key);
    if (!data) {
        qCCritical(m_logger).noquote()
            << "The overlay layouts are not stored as bytes and are unreadable; the next save keeps them aside";
        return std::nullopt;
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
