#pragma once

#include "notes/store/GameMemoStoring.h"

#include <QUrl>

#include <cstdint>

namespace veyra {

// The notes in one JSON file, "game-memos.json" in the application folder. Nothing is
// cached: every load reads the file and every save rewrites it whole, atomically. A file
// that cannot be read, is damaged (a file over maximumFileSize included) or is of another
// schema version fails both operations and is never overwritten. A missing file loads as
// no notes; anything else at the path that is not a regular file (a link to nothing, a
// folder, a named pipe) is refused without being opened.
class FileGameMemoStore : public GameMemoStoring
{
public:
    // The largest note file read or written: far more than the notes of every game a
    // player has, and little enough to decode on the GUI thread at once.
    static constexpr qint64 maximumFileSize = 4 * 1024 * 1024;

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

    // Throws FileAccessError, or GameMemoStoreError (damaged: not JSON, a missing or
    // ill-typed member, two notes under one key, a note too long; unsupportedSchema).
    QVector<GameMemoEntry> load() override;
    // Validates an existing file by loading it first; then writes the document atomically,
    // creating the folder. Throws what load() throws, or FileAccessError (a document over
    // maximumFileSize is not written).
    void save(const QVector<GameMemoEntry> &entries) override;
    // Writes the notes, in the file's own format, beside the file as
    // "game-memos.unsaved-<yyyyMMdd-HHmmss>.json": into the one file of `previous` when
    // they fit one file of at most maximumFileSize, else into as many new files of at most
    // that size as they need (a note is never split), the copies of `previous` removed
    // once all are written. Throws FileAccessError.
    QStringList keepAside(
        const QVector<GameMemoEntry> &entries, const QDateTime &at, const QStringList &previous) override;
    // The files "game-memos.unsaved-*.json" beside the file, in the order of their names
    // (their times), each read as the notes file is (a missing folder: none).
    QVector<KeptGameMemoCopy> loadKeptAside() override;
    // Throws FileAccessError when a file at the path cannot be removed.
    void removeKeptAside(const QString &location) override;
    // The file's path.
    QString location() const override;

private:
    QUrl m_fileURL;
};

} // namespace veyra
