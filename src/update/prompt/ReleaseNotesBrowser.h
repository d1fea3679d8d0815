#pragma once

#include <QTextBrowser>

class QThreadPool;

namespace veyra {

struct ReleaseNotes;

// The one thread on which release notes are read and laid out: of their own, so that notes
// never wait for text recognition, an installation or the policy check on cpuWorkPool(),
// nor hold them up.
QThreadPool &releaseNotesWorkPool();

// Shows release notes as selectable text. Notes come from the network, so nothing they
// refer to is ever loaded (no image, style sheet or other resource, remote or local) and
// no link is followed, and they never hold the GUI thread: every notes are reduced to
// what release notes use (ReleaseNotesContent), made into a document and laid out on
// releaseNotesWorkPool(), and shown once read (the browser is empty meanwhile), after the
// GUI thread has loaded the fonts of their text, one turn of its event loop each.
class ReleaseNotesBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ReleaseNotesBrowser(QWidget *parent = nullptr);

    // Shows the notes; notes given earlier and still being read are dropped. Once the worker
    // pools have ended (workerPoolsHaveEnded()), no notes are shown any more: a document is
    // laid out with the fonts of the notes thread, which end with it.
    void setReleaseNotes(const ReleaseNotes &notes);

    // Refuses every resource (with a placeholder of its type: a missing value, or bytes
    // where an image is asked for, would let Qt read the name as a local file itself).
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // The notes given last are shown.
    void releaseNotesShown();

private:
    void showDocument(QTextDocument *document);

    // Counts setReleaseNotes() calls, so that notes read too late are dropped.
    quint64 m_notesRequest = 0;
};

} // namespace veyra
