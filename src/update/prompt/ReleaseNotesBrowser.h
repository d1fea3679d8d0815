#pragma once

#include "update/prompt/ReleaseNotesDocument.h"

#include <QTextBrowser>

namespace veyra {

struct ReleaseNotes;

// Shows release notes as selectable text. Notes come from the network, so nothing they
// refer to is ever loaded (no image, style sheet or other resource, remote or local) and
// no link is followed, and they never hold the GUI thread: all but short plain notes are
// read and laid out on a worker and shown once read (the browser is empty meanwhile),
// as plain text, cut if need be, when they take too long to lay out
// (makeReleaseNotesDocument()).
class ReleaseNotesBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ReleaseNotesBrowser(QWidget *parent = nullptr);

    // Shows the notes; notes given earlier and still being read are dropped.
    void setReleaseNotes(const ReleaseNotes &notes);

    // Refuses every resource (with a placeholder of its type: a missing value, or bytes
    // where an image is asked for, would let Qt read the name as a local file itself).
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // The notes given last are shown, rendered or as plain text.
    void releaseNotesShown();

private:
    void showPlainNotes(const QString &text, qsizetype maximumLength = maximumShownReleaseNotesLength);
    void showDocument(QTextDocument *document);

    // Counts setReleaseNotes() calls, so that notes read too late are dropped.
    quint64 m_notesRequest = 0;
};

} // namespace veyra
