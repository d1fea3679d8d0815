#include "update/prompt/ReleaseNotesBrowser.h"

#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesDocument.h"

#include <QPointer>
#include <QTextDocument>

#include <utility>

namespace veyra {

namespace {

// A document read on a worker for the GUI thread, deleted there unless it was taken, and
// the fonts it shows its text in.
class DocumentHandoff
{
public:
    explicit DocumentHandoff(std::unique_ptr<QTextDocument> document)
        : m_document(document.release())
        , m_faces(releaseNotesFaces(*m_document, facesLoadedApart))
    { }
    ~DocumentHandoff()
    {
        if (m_document) {
            m_document->deleteLater();
        }
    }
    DocumentHandoff(const DocumentHandoff &) = delete;
    DocumentHandoff &operator=(const DocumentHandoff &) = delete;

    QTextDocument *take() { return std::exchange(m_document, nullptr); }
    const QList<ReleaseNotesFace> &faces() const { return m_faces; }

    // How many of the notes' fonts are loaded each on a turn of its own before the layout:
    // enough for the text, its emphasis, headings and code in a script or two; the layout
    // loads any others.
    static constexpr qsizetype facesLoadedApart = 8;

private:
    QTextDocument *m_document;
    QList<ReleaseNotesFace> m_faces;
};

// The width notes are laid out at on the worker while the browser is not shown yet: about
// the width of the update window's notes.
constexpr int usualWidth = 600;

} // namespace

ReleaseNotesBrowser::ReleaseNotesBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Always there, so that no scroll bar coming or going lays the notes out again.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The document the text control made asks loadResource() below, then its provider;
    // both refuse (the documents read on a worker refuse resources themselves).
    document()->setResourceProvider(
        [](const QUrl &) { return refusedReleaseNotesResource(QTextDocument::ImageResource); });
}

QThreadPool &releaseNotesWorkPool()
{
    static QThreadPool &pool = newWorkerPool(QStringLiteral("VeyraReleaseNotes"), 1);
    return pool;
}

void ReleaseNotesBrowser::setReleaseNotes(const ReleaseNotes &notes)
{
    const quint64 request = ++m_notesRequest;
    clear();
    const double width = isVisible() ? viewport()->width() : usualWidth;
    auto read = [notes, request, width, font = document()->defaultFont(), margin = document()->documentMargin()](
                    QPointer<ReleaseNotesBrowser> self) -> QCoro::Task<void> {
        auto reading = [notes, font, margin, width, thread = self->thread()] {
            return std::make_shared<DocumentHandoff>(makeReleaseNotesDocument(notes, font, margin, width, thread));
        };
        const std::shared_ptr<DocumentHandoff> handoff
            = co_await runOnWorker(releaseNotesWorkPool(), std::move(reading));
        // Once the pools have ended, the notes thread has gone with the fonts the document
        // was laid out with: it is never shown.
        const auto wanted = [&] { return self && self->m_notesRequest == request && !workerPoolsHaveEnded(); };
        // The notes' fonts, each on a turn of the event loop of its own, so that no turn
        // takes the time of loading them all and laying the notes out.
        for (const ReleaseNotesFace &face : handoff->faces()) {
            if (!wanted()) {
                co_return;
            }
            loadReleaseNotesFace(face);
            co_await NextEventLoopTurn{};
        }
        if (!wanted()) {
            co_return;
        }
        self->showDocument(handoff->take());
    };
    startDetachedTask(this, std::move(read), Logger("app-update"));
}

void ReleaseNotesBrowser::showDocument(QTextDocument *document)
{
    // The document the text control made at the start is deleted by it; the ones shown
    // here belong to this browser.
    QTextDocument *previous = this->document();
    const bool ownsPrevious = previous->parent() == this;
    document->setParent(this);
    setDocument(document);
    if (ownsPrevious) {
        delete previous;
    }
    emit releaseNotesShown();
}

QVariant ReleaseNotesBrowser::loadResource(int type, const QUrl &)
{
    return refusedReleaseNotesResource(type);
}

} // namespace veyra
