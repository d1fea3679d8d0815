#pragma once

#include "capture/areas/CaptureAreaStoreDocument.h"
#include "capture/areas/CaptureAreaStoring.h"

#include <QUrl>

namespace veyra {

// Capture-area profiles in one JSON file, "capture-areas.json". Nothing is cached: every
// operation reads the file again, and a save that changes nothing writes nothing. A file of
// an older format is replaced by an empty current one, after a copy of it is kept beside it
// as "capture-areas.json.bak" (or, when that is taken by an earlier copy, ".bak.2", ".bak.3"
// ...); a file of a newer format or another coordinate mode is refused and never written.
// Only a regular file (or a link to one) is read or replaced: a link to nothing, a folder, a
// named pipe, a device or a socket at the path fails every operation without being opened.
// A link is followed only to a capture-area file: a link to what is none of any version
// (another program's file) is itself moved to the next backup name, what it leads to
// untouched, and the areas start anew in a file of their own. Every failure to read or
// write the file is logged with the file and the reason.
class FileCaptureAreaStore : public CaptureAreaStoring
{
public:
    explicit FileCaptureAreaStore(QUrl fileURL);

    // "capture-areas.json" in the application folder.
    static QUrl defaultFileURL();

    const QUrl &fileURL() const { return m_fileURL; }

    std::optional<CaptureAreaProfile> profile(const GameWindowProfileKey &key) override;
    void save(const CaptureAreaProfile &profile) override;

private:
    // The document in the file (empty when there is none), the file's bytes in `bytes`
    // when asked; a failure is logged with the file and the reason, then thrown.
    CaptureAreaStoreDocument readDocument(QByteArray *bytes = nullptr) const;
    CaptureAreaStoreDocument readDocumentOrThrow(QByteArray *bytes) const;
    void writeDocument(const CaptureAreaStoreDocument &document) const;
    QString filePath() const;
    // The first backup name that nothing uses yet.
    QString backupFilePath() const;

    QUrl m_fileURL;
};

} // namespace veyra
