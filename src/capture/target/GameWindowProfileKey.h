#pragma once

#include <QHashFunctions>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace veyra {

// How a game application is identified across launches.
struct GameApplicationIdentity
{
    enum class Kind { bundleIdentifier, executablePath };

    Kind kind = Kind::bundleIdentifier;
    // The trimmed bundle identifier, or the standardised path of the executable.
    QString value;

    static QString rawValue(Kind kind);
    static std::optional<Kind> kindFromRawValue(const QString &raw);

    // {"kind": ..., "value": ...}; fromJson throws DecodingError on a missing key, a
    // value of the wrong type or an unknown kind.
    QJsonObject toJson() const;
    static GameApplicationIdentity fromJson(const QJsonObject &object);

    // Text equality: canonically equivalent Unicode text is equal, case matters.
    friend bool operator==(const GameApplicationIdentity &a, const GameApplicationIdentity &b);
};

// The stable identity of a game window: every per-game record is stored under it.
struct GameWindowProfileKey
{
    GameApplicationIdentity applicationIdentity;
    QString windowTitle;

    // {"applicationIdentity": {...}, "windowTitle": ...}
    QJsonObject toJson() const;
    static GameWindowProfileKey fromJson(const QJsonObject &object);

    friend bool operator==(const GameWindowProfileKey &a, const GameWindowProfileKey &b);
    // An order that agrees with equality: by kind, application and title, each compared
    // in its canonical (NFC) form.
    friend bool operator<(const GameWindowProfileKey &a, const GameWindowProfileKey &b);
};

// Hashes agree with equality (computed on the NFC form of the texts).
size_t qHash(GameApplicationIdentity::Kind kind, size_t seed = 0);
size_t qHash(const GameApplicationIdentity &identity, size_t seed = 0);
size_t qHash(const GameWindowProfileKey &key, size_t seed = 0);

// True when the two texts are canonically equivalent.
bool canonicallyEqual(const QString &a, const QString &b);

} // namespace veyra

template <>
struct std::hash<veyra::GameWindowProfileKey>
{
    size_t operator()(const veyra::GameWindowProfileKey &key) const noexcept { return veyra::qHash(key); }
};
