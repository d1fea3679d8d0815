#pragma once

#include "foundation/logging/Logger.h"
#include "translation/titles/GameTitleStoreDocument.h"
#include "translation/titles/GameTitleStoring.h"

#include <QUrl>

#include <optional>

namespace veyra {

// Game titles in one JSON file, "game-titles.json". Nothing is held in memory: every
// operation reads the file again. A file that is not a valid document of the current
// schema, or a link to nothing, is logged and treated as empty, and the next save replaces
// it (when it is a link, the link is moved aside as
// "game-titles.json.damaged-<yyyyMMdd-HHmmss>" and what it leads to is left alone, nothing
// made where it leads to nothing); a file that cannot be read is an error of the operation
// and is never overwritten. Entries never expire.
class FileGameTitleStore : public GameTitleStoring
{
public:
    explicit FileGameTitleStore(QUrl fileURL, Logger logger = Logger("GameTitleStore"));

    // "game-titles.json" in the application folder.
    static QUrl defaultFileURL();

    const QUrl &fileURL() const { return m_fileURL; }

    // The first entry of the key in file order, its names normalised again.
    std::optional<GameTitleResolution> resolution(const GameWindowProfileKey &key) override;
    // Replaces the first entry of the key in place or appends one, sorts, and writes
    // the file atomically (creating its folder), unless another program changed the file
    // since it was read: it is then read again and the entry put into what it holds.
    void save(const GameTitleResolution &resolution, const GameWindowProfileKey &key) override;

private:
    // The document, or nothing when the file is not a valid one (logged); `bytes`, when
    // given, gets what the file held (nothing when there is no file).
    std::optional<GameTitleStoreDocument> loadDocument(std::optional<QByteArray> *bytes = nullptr) const;

    QUrl m_fileURL;
    Logger m_logger;
};

} // namespace veyra
