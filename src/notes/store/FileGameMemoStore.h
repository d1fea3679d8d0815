#pragma once

#include "notes/store/GameMemoStoring.h"

#include <QUrl>

#include <cstdint>

namespace veyra {

// The notes in one JSON file, "game-memos.json" in the application folder. Nothing is
// cached: every load reads the file and every save rewrites it whole, atomically. A file
// that cannot be read, is damaged or is of another schema version fails both operations
// and is never overwritten. A missing file loads as no notes.
class FileGameMemoStore : public GameMemoStoring
{
public:
    // The part of the file read first, on its own: only version 1 is read further.
    struct Header
    {
        std::int64_t schemaVersion = 0;

        // Throws DecodingError when "schemaVersion" is missing or not an integer.
        static Header fromJson(const QJsonObject &object);
    };

    explicit FileGameMemoStore(QUrl fileURL);

    // "game-memos.json" in the application folder ("Obrisk", or "Obrisk Debug" for the
    // debug build). Nothing is created here; the first save creates the folder.
    static QUrl defaultFileURL();

    const QUrl &fileURL() const { return m_fileURL; }

    // Throws FileAccessError, DecodingError or GameMemoStoreError.
    QVector<GameMemoEntry> load() override;
    // Validates an existing file by loading it first; then writes the document atomically,
    // creating the folder. Throws what load() throws, or FileAccessError.
    void save(const QVector<GameMemoEntry> &entries) override;

private:
    QUrl m_fileURL;
};

} // namespace veyra
