#pragma once

#include "foundation/errors/Error.h"

#include <QByteArray>
#include <QString>

namespace veyra {

// A file or folder of Veyra's own data could not be read or written.
class FileAccessError : public Error
{
public:
    enum class Kind { readFailed, folderCreationFailed, writeFailed };

    // `detail` is the system's reason, shown after the sentence when it is not empty.
    FileAccessError(Kind kind, QString path, QString detail = {});

    Kind kind() const { return m_kind; }
    const QString &path() const { return m_path; }

    QString localizedDescription() const override;

private:
    Kind m_kind;
    QString m_path;
    QString m_detail;
};

// The whole content of a file; throws FileAccessError(readFailed).
QByteArray readWholeFile(const QString &path);

// Replaces the file at `path` with `data` atomically: the data goes to a temporary file
// in the same folder that then takes the file's place, so a reader (or a crash) sees the
// old file or the new one, never a part. Creates the folder with its missing parents
// first. Throws FileAccessError; on failure the old file is left as it was.
void writeFileAtomically(const QString &path, const QByteArray &data);

} // namespace veyra
