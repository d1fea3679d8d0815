#include "capture/target/GameWindowProfileKey.h"

#include "foundation/json/JsonDecoding.h"

namespace veyra {

namespace {
QString nfc(const QString &text)
{
    return text.normalized(QString::NormalizationForm_C);
}
} // namespace

bool canonicallyEqual(const QString &a, const QString &b)
{
    if (a == b) {
        return true;
    }
    return nfc(a) == nfc(b);
}

QString GameApplicationIdentity::rawValue(Kind kind)
{
    return kind == Kind::bundleIdentifier ? QStringLiteral("bundleIdentifier") : QStringLiteral("executablePath");
}

std::optional<GameApplicationIdentity::Kind> GameApplicationIdentity::kindFromRawValue(const QString &raw)
{
    if (raw == QLatin1String("bundleIdentifier")) {
        return Kind::bundleIdentifier;
    }
    if (raw == QLatin1String("executablePath")) {
        return Kind::executablePath;
    }
    return std::nullopt;
}

QJsonObject GameApplicationIdentity::toJson() const
{
    return {{QStringLiteral("kind"), rawValue(kind)}, {QStringLiteral("value"), value}};
}

GameApplicationIdentity GameApplicationIdentity::fromJson(const QJsonObject &object)
{
    const QString raw = requireString(object, QStringLiteral("kind"));
    const auto kind = kindFromRawValue(raw);
    if (!kind) {
        throw DecodingError(QStringLiteral("unknown application identity kind \"%1\"").arg(raw));
    }
    return {*kind, requireString(object, QStringLiteral("value"))};
}

bool operator==(const GameApplicationIdentity &a, const GameApplicationIdentity &b)
{
    return a.kind == b.kind && canonicallyEqual(a.value, b.value);
}

QJsonObject GameWindowProfileKey::toJson() const
{
    return {{QStringLiteral("applicationIdentity"), applicationIdentity.toJson()},
        {QStringLiteral("windowTitle"), windowTitle}};
}

GameWindowProfileKey GameWindowProfileKey::fromJson(const QJsonObject &object)
{
    return {GameApplicationIdentity::fromJson(requireObject(object, QStringLiteral("applicationIdentity"))),
        requireString(object, QStringLiteral("windowTitle"))};
}

bool operator==(const GameWindowProfileKey &a, const GameWindowProfileKey &b)
{
    return a.applicationIdentity == b.applicationIdentity && canonicallyEqual(a.windowTitle, b.windowTitle);
}

bool operator<(const GameWindowProfileKey &a, const GameWindowProfileKey &b)
{
    if (a.applicationIdentity.kind != b.applicationIdentity.kind) {
        return a.applicationIdentity.kind < b.applicationIdentity.kind;
    }
    const QString aValue = nfc(a.applicationIdentity.value);
    const QString bValue = nfc(b.applicationIdentity.value);
    if (aValue != bValue) {
        return aValue < bValue;
    }
    return nfc(a.windowTitle) < nfc(b.windowTitle);
}

size_t qHash(GameApplicationIdentity::Kind kind, size_t seed)
{
    return ::qHash(GameApplicationIdentity::rawValue(kind), seed);
}

size_t qHash(const GameApplicationIdentity &identity, size_t seed)
{
    return qHashMulti(seed, GameApplicationIdentity::rawValue(identity.kind), nfc(identity.value));
}

size_t qHash(const GameWindowProfileKey &key, size_t seed)
{
    return qHashMulti(seed, GameApplicationIdentity::rawValue(key.applicationIdentity.kind),
        nfc(key.applicationIdentity.value), nfc(key.windowTitle));
}

} // namespace veyra
