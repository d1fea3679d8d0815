#pragma once

#include "update/prompt/ReleaseNotesDocument.h"

#include <QTextBrowser>

#include <functional>

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
// what release notes use (ReleaseNotesContent) and made into a document on
// releaseNotesWorkPool(), and shown once read (the browser is empty meanwhile), after the
// GUI thread has loaded the fonts of their text, one turn of its event loop each, however
// many; the GUI thread lays them out a piece at a time (ReleaseNotesLayout), what the view
// shows first, and keeps what the view shows at its top there while the rest is laid out
// and when the browser is resized.
class ReleaseNotesBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    // Loads a font of notes on the GUI thread (loadReleaseNotesFace()).
    using FaceLoader = std::function<void(const ReleaseNotesFace &)>;

    explicit ReleaseNotesBrowser(QWidget *parent = nullptr, FaceLoader loadFace = loadReleaseNotesFace);

    // Shows the notes; notes given earlier and still being read are dropped. Once the worker
    // pools have ended (workerPoolsHaveEnded()), no notes are shown any more: a document is
    // laid out with the fonts of the notes thread, which end with it.
    void setReleaseNotes(const ReleaseNotes &notes);

    // Refuses every resource (with a placeholder of its type: a missing value, or bytes
    // where an image is asked for, would let Qt read the name as a local file itself).
    QVariant loadResource(int type, const QUrl &name) override;

signals:
    // The notes given last are shown, all of them laid out.
    void releaseNotesShown();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void showDocument(QTextDocument *document);
    // Wraps the notes at the width of the view beside its scroll bar.
    void updateWrapWidth();

    FaceLoader m_loadFace;
    // Counts setReleaseNotes() calls, so that notes read too late are dropped.
    quint64 m_notesRequest = 0;
};

} // namespace veyra
