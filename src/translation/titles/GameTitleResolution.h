#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace veyra {

// The server's answer about a game window: the game name it read out of the window's
// metadata and the game's representative (canonical) name. A present name is never
// empty and never has leading, trailing or repeated whitespace.
class GameTitleResolution
{
public:
    GameTitleResolution() = default;
    // Collapses the whitespace of each name; a name that is then empty is absent.
    GameTitleResolution(
        const std::optional<QString> &extractedGameName, const std::optional<QString> &representativeGameName);

    const std::optional<QString> &extractedGameName() const { return m_extractedGameName; }
    const std::optional<QString> &representativeGameName() const { return m_representativeGameName; }

    // {"extracted_game_name": ..., "representative_game_name": ...}, present names only.
    QJsonObject toJson() const;
    // Both keys optional (missing or null: absent). Throws DecodingError when the bytes
    // are not a JSON object or a name is not a string.
    static GameTitleResolution fromJson(const QByteArray &json);
    static GameTitleResolution fromJson(const QJsonObject &object);

    bool operator==(const GameTitleResolution &) const = default;

private:
    std::optional<QString> m_extractedGameName;
    std::optional<QString> m_representativeGameName;
};

// A text member that may be missing or null; throws DecodingError for another type.
std::optional<QString> optionalString(const QJsonObject &object, const QString &key);

} // namespace veyra
