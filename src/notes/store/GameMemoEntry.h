#pragma once

#include "capture/target/GameWindowProfileKey.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace veyra {

// One note: the free text a player keeps for one game window, with the names the window
// had when the note was last edited through the overlay.
struct GameMemoEntry
{
    // The most a note may hold, in UTF-16 code units: the editors take no more, and a file
    // with a longer note is refused as damaged. (Laying out a longer line without a break
    // would hold the GUI for a noticeable time at every key.)
    static constexpr qsizetype maximumTextLength = 20000;

    GameWindowProfileKey key;
    QString applicationName;
    QString windowTitle;
    std::optional<QString> representativeGameName;
    // As typed: not trimmed, may span lines.
    QString text;
    // When the text was last set (UTC).
    QDateTime updatedAt;

    // The trimmed game name when there is a non-blank one, else the window title.
    QString displayTitle() const;

    // True when the text holds nothing but whitespace and line breaks.
    bool hasBlankText() const;

    // The entry's object in the note file: "representativeGameName" is left out when
    // absent, "updatedAt" is written in whole seconds of UTC.
    QJsonObject toJson() const;
    // Throws DecodingError on a missing required key, a value of the wrong type, a date in
    // another form or a text longer than maximumTextLength. A missing or null
    // "representativeGameName" reads as absent.
    static GameMemoEntry fromJson(const QJsonObject &object);

    friend bool operator==(const GameMemoEntry &a, const GameMemoEntry &b);
};

} // namespace veyra
