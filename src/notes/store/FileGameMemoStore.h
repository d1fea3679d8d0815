#pragma once

#include "notes/store/GameMemoStoring.h"

#include <QStringList>
#include <QUrl>

#include <cstdint>

namespace veyra {

// The notes in one JSON file, "game-memos.json" in the application folder. Nothing is
// cached: every load reads the file and every save rewrites it whole, atomically, unless
// it holds those very bytes already; a save of notes merged with what a read found
// replaces the file only while it still holds those bytes. A file that cannot be read, is
// damaged (a file over maximumFileSize included) or is of another schema version fails
// both operations and is never overwritten. A missing file loads as no notes; anything else at the path that is
// not a regular file (a link to nothing, a folder, a named pipe) is refused without being
// opened. A link to a file is followed only to notes: a link to what is no notes file of
// any version (another program's file) is itself moved aside as
// "game-memos.json.damaged-<yyyyMMdd-HHmmss>", what it leads to untouched, and the
// notes start anew in a file of their own.
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

    // `fallbackFolders` take the copies kept aside, in this order, when the file's own
    // folder takes none (a full or read-only disk, a folder that may not be written).
    explicit FileGameMemoStore(QUrl fileURL, QStringList fallbackFolders = {});

    // "game-memos.json" in the application folder ("Obrisk", or "Obrisk Debug" for the
    // debug build). Nothing is created here; the first save creates the folder.
    static QUrl defaultFileURL();
    // The folder of that name in the user's state folder (XDG_STATE_HOME, else
    // ~/.local/state), then in the runtime folder (XDG_RUNTIME_DIR, when set: a file
    // system in memory on most systems, which takes a copy when every disk refuses and
    // keeps it until the user logs out).
    static QStringList defaultFallbackFolders();

    const QUrl &fileURL() const { return m_fileURL; }
    const QStringList &fallbackFolders() const { return m_fallbackFolders; }

    // Throws FileAccessError, or GameMemoStoreError (damaged: not JSON, a missing or
    // ill-typed member, two notes under one key, a note too long; unsupportedSchema).
    QVector<GameMemoEntry> load() override;
    // As load(); no notes when no file is at the path (nor a link moved aside as above).
    // The revision is the SHA-256 of the file's bytes (empty for no file).
    StoredGameMemos read() override;
    // Validates an existing file by loading it first; then writes the document atomically,
    // creating the folder, unless the file holds exactly its bytes already (nothing is
    // rewritten without a change, through a link neither). Throws what load() throws, or
    // FileAccessError (a document over maximumFileSize is not written).
    void save(const QVector<GameMemoEntry> &entries) override;
    // As save(), the file's bytes compared with the revision first and once more just
    // before the new file (written beside it, what a link leads to replaced) takes its
    // place; a file that appeared where there was none is never replaced. Throws
    // FileAccessError when the notes cannot be written.
    bool saveIfUnchanged(const QVector<GameMemoEntry> &entries, const QByteArray &revision) override;
    // Whether the document of these notes takes at most maximumFileSize.
    bool canHold(const QVector<GameMemoEntry> &entries) const override;
    // Writes the notes, in the file's own format, beside the file as
    // "game-memos.unsaved-<yyyyMMdd-HHmmss>.json": into the one file of `previous` when
    // they fit one file of at most maximumFileSize and it is in that folder, else into as
    // many new files of at most that size as they need (a note is never split, and goes
    // with what `lastRead` has of it), the copies of `previous` removed once all are
    // written. When the file's folder takes them not, the fallback folders are tried in
    // turn, under the same names (what one folder took of them before it failed is
    // removed). Throws the FileAccessError of the file's folder when no folder took them.
    QStringList keepAside(const QVector<GameMemoEntry> &entries, const std::optional<QVector<GameMemoEntry>> &lastRead,
        const QDateTime &at, const QStringList &previous) override;
    // The files "game-memos.unsaved-*.json" beside the file, then those of each fallback
    // folder, each folder's in the order of their names (their times), each read as the
    // notes file is (a missing folder: none). A fallback folder that cannot be looked at
    // is listed as a copy that cannot be read; the file's own folder throws.
    QVector<KeptGameMemoCopy> loadKeptAside() override;
    // Throws FileAccessError when a file at the path cannot be removed.
    void removeKeptAside(const QString &location) override;
    // The file's path.
    QString location() const override;

private:
    // The notes of the file, its bytes in `bytes` when asked; a link to what is no notes
    // file is moved aside first. `missing`, when given, is set when no file holds notes.
    QVector<GameMemoEntry> loadFile(QByteArray *bytes, bool *missing = nullptr);
    // The file's folder, then the fallback folders.
    QStringList keptAsideFolders() const;

    QUrl m_fileURL;
    QStringList m_fallbackFolders;
};

} // namespace veyra
