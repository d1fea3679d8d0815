#pragma once

#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace veyra {

// A file or folder of Veyra's own data could not be read or written.
class FileAccessError : public Error
{
public:
    enum class Kind { readFailed, folderCreationFailed, writeFailed };

    // `detail` is the reason (the system's, or one of Veyra's own worded in the interface
    // language each time the error is described), shown after the sentence when it is not
    // empty.
    FileAccessError(Kind kind, QString path, LocalizableText detail = {});

    // A reason of Veyra's own: an English text marked with QT_TRANSLATE_NOOP("Veyra", ...)
    // whose "%@" are filled with `detailArguments`.
    static FileAccessError withOwnReason(
        Kind kind, QString path, const char *detailKey, QStringList detailArguments = {});

    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }
    // The reason after the sentence; empty when there is none.
    const LocalizableText &detail() const { return m_detail; }

    QString localizedDescription() const override;

private:
    Kind m_kind;
    QString m_path;
    LocalizableText m_detail;
};

// The system's reason for a failed file operation (as strerror(), qt_error_string() or a
// file's errorString() word it), in the interface language when it is one of the common
// ones: no space left on the device, a read-only file system, permission denied, an
// operation not permitted, the disk quota exceeded, an input/output error. Any other
// reason stays as the system words it. Every FileAccessError words its reason so.
LocalizableText systemReason(int errorNumber);
LocalizableText systemReason(LocalizableText reason);

// What stands at a path, links followed (a link whose target is missing is told apart).
// `other` is a named pipe, a device or a socket; `inaccessible` what cannot be looked at
// (a folder on the way that may not be searched), left to opening to say why.
enum class FileNodeKind { missing, regularFile, folder, danglingLink, other, inaccessible };
FileNodeKind fileNodeKind(const QString &path);

// Why what stands at `path`, of kind `node`, is neither a regular file, a link to one nor
// nothing (a folder, a named pipe, a device, a socket, a link to nothing), as Veyra words
// it; empty for those and for what cannot be looked at.
LocalizableText whyNotARegularFile(const QString &path, FileNodeKind node);

// The whole content of a regular file (or of a link to one); throws
// FileAccessError(readFailed). Anything else at the path (a folder, a named pipe, a
// device, a socket, a link to nothing) is refused before it is opened, so a pipe never
// blocks the caller. With `maximumSize` set, a longer file is refused without being read
// whole.
QByteArray readWholeFile(const QString &path, qint64 maximumSize = -1);

// Replaces the file at `path` with `data` atomically: the data goes to a temporary file
// in the same folder that then takes the file's place, so a reader (or a crash) sees the
// old file or the new one, never a part. Creates the folder with its missing parents
// first. Only a regular file, a link to one or nothing may stand at the path: anything
// else (a link to nothing included, whose target would be created) is refused. Throws
// FileAccessError; on failure the old file is left as it was.
void writeFileAtomically(const QString &path, const QByteArray &data);

// What tells the bytes of a file from any other: their SHA-256 (never empty). A read that
// found no file has the empty revision.
QByteArray fileRevisionOf(const QByteArray &bytes);

// Puts `data` in the place of the file at `path` (of what a link there leads to) through a
// new file beside it, as writeFileAtomically() does, unless the file no longer holds what a
// read found as `revision` just before: false then, with nothing changed, so that what
// another program (a sync tool) wrote since the read is never replaced unseen. A file that
// appears where there was none is not replaced even in the last instant, where the file
// system can tell. A file that holds `data` already is left as it is. The new file keeps
// the permissions of the old one. A file larger than `maximumSize` (when set) counts as
// changed. Throws FileAccessError for `path`.
bool replaceFileIfStill(
    const QString &path, const QByteArray &data, const QByteArray &revision, qint64 maximumSize = -1);

// How often a store reads, merges and writes its file again when another program changed
// it between the read and the write, before it gives up.
inline constexpr int maximumMergeRounds = 4;

// Saves through `attempt`, which reads the file at `path`, puts its change into what it
// read and writes that with replaceFileIfStill() (or finds nothing to write), and returns
// false when the file changed since it read it; after maximumMergeRounds such rounds,
// throws FileAccessError(writeFailed) saying that another program kept changing the file.
void saveMergedWithFileOnDisk(const QString &path, const std::function<bool()> &attempt);

// Moves what stands at `path` to `aside`, a link itself rather than what it leads to.
// Throws FileAccessError (`path` couldn't be saved, as nothing may be written there while
// it stands).
void moveAside(const QString &path, const QString &aside);

// Writes all of `data` to `device`, and flushes what a buffered file holds of it, until it
// all reached the device or a write takes nothing more (the device then says why, or has
// no reason to give): a write may take part of the data without an error, and writing the
// rest then goes on or fails with the system's reason (no space left, a quota). How many
// bytes reached the device.
qint64 writeFully(QIODevice &device, const QByteArray &data);

// A name beside `path` that nothing uses yet, for a copy kept aside: the file's base name
// (up to its last suffix), then `.<label>-<yyyyMMdd-HHmmss>` of `at` in UTC, then the
// suffix, e.g. "game-memos.unsaved-20240301-120000.json"; when copies of that second are
// there already, "-2", "-3" ... above the highest of them are added to the time, so the
// later copy always sorts as the newer one. Without `keepSuffix` the label and time go at
// the end: "settings.json.damaged-20240301-120000".
QString unusedNameBeside(const QString &path, const QString &label, const QDateTime &at, bool keepSuffix);

// The same naming among the names of `names` (keys of one database, say) for copies of
// `name`.
QString unusedNameAmong(
    const QStringList &names, const QString &name, const QString &label, const QDateTime &at, bool keepSuffix);

// The names of `names` that are copies of `name` under `label` as the two functions above
// name them, newest first: by their time, then by their number within one second.
QStringList copiesNewestFirst(const QStringList &names, const QString &name, const QString &label, bool keepSuffix);

// How many copies of a damaged file (or value) are kept: the newest. Each holds the whole
// of what was damaged, and a file damaged at every start must not fill the disk.
inline constexpr int keptDamagedCopies = 5;

// Removes the copies of `path` kept aside under `label` beside it but the `keep` newest
// (files and links; a link goes, not what it leads to). A copy that cannot be removed is
// logged and left.
void removeOlderCopiesBeside(const QString &path, const QString &label, bool keepSuffix, int keep);

} // namespace veyra
