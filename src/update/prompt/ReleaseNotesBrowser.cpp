#include "update/prompt/ReleaseNotesBrowser.h"

#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesDocument.h"
#include "update/prompt/ReleaseNotesLayout.h"

#include <QPointer>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include <cmath>
#include <memory>
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
        , m_faces(releaseNotesFaces(*m_document))
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

private:
    QTextDocument *m_document;
    QList<ReleaseNotesFace> m_faces;
};

} // namespace

ReleaseNotesBrowser::ReleaseNotesBrowser(QWidget *parent, FaceLoader loadFace)
    : QTextBrowser(parent)
    , m_loadFace(std::move(loadFace))
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // A scroll bar only when the notes are longer than the view; they are laid out at the
    // width beside one whether it shows or not, so that no scroll bar coming or going lays
    // them out again.
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::FixedPixelWidth);
    updateWrapWidth();
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
    auto read = [notes, request, font = document()->defaultFont(), margin = document()->documentMargin()](
                    QPointer<ReleaseNotesBrowser> self) -> QCoro::Task<void> {
        auto reading = [notes, font, margin, thread = self->thread()] {
            return std::make_shared<DocumentHandoff>(makeReleaseNotesDocument(notes, font, margin, thread));
        };
        const std::shared_ptr<DocumentHandoff> handoff
            = co_await runOnWorker(releaseNotesWorkPool(), std::move(reading));
        // Once the pools have ended, the notes thread has gone with the fonts it made the
        // document with: it is never shown.
        const auto wanted = [&] { return self && self->m_notesRequest == request && !workerPoolsHaveEnded(); };
        // The notes' fonts, each on a turn of the event loop of its own, so that no turn
        // takes the time of loading two of them, or one and laying the notes out.
        for (const ReleaseNotesFace &face : handoff->faces()) {
            if (!wanted()) {
                co_return;
            }
            self->m_loadFace(face);
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
    auto *layout = new ReleaseNotesLayout(document);
    document->setDocumentLayout(layout);
    // What the view shows at its top stays there while what lies above it is laid out: the
    // layout knows where that is to a fraction of a pixel, the scroll bar to a pixel.
    layout->setViewTop(verticalScrollBar()->value());
    auto following = std::make_shared<bool>(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, layout, [layout, following](int value) {
        if (!*following) {
            layout->setViewTop(value);
        }
    });
    connect(layout, &ReleaseNotesLayout::viewMoved, this, [this, layout, following] {
        QScrollBar *bar = verticalScrollBar();
        *following = true;
        bar->setValue(int(std::lround(layout->viewTop())));
        *following = false;
        // Where the scroll bar cannot go, the view stays where it can.
        if (std::abs(bar->value() - layout->viewTop()) >= 1) {
            layout->setViewTop(bar->value());
        }
    });
    const quint64 request = m_notesRequest;
    connect(
        layout, &ReleaseNotesLayout::completed, this,
        [this, request] {
            if (request == m_notesRequest) {
                emit releaseNotesShown();
            }
        },
        Qt::SingleShotConnection);
    updateWrapWidth();
    setDocument(document);
    if (ownsPrevious) {
        delete previous;
    }
}

void ReleaseNotesBrowser::resizeEvent(QResizeEvent *event)
{
    // The text at the top of the view stays there: what lies above it is laid out again later.
    const int scrolled = verticalScrollBar()->value();
    const QTextCursor top = cursorForPosition(QPoint(0, 0));
    const int offset = cursorRect(top).top();
    updateWrapWidth();
    QTextBrowser::resizeEvent(event);
    if (scrolled > 0) {
        QScrollBar *bar = verticalScrollBar();
        bar->setValue(bar->value() + cursorRect(top).top() - offset);
    }
}

void ReleaseNotesBrowser::updateWrapWidth()
{
    // The viewport's width while the scroll bar shows.
    const QMargins margins = viewportMargins();
    const int width = std::max(
        1, contentsRect().width() - margins.left() - margins.right() - verticalScrollBar()->sizeHint().width());
    if (width != lineWrapColumnOrWidth()) {
        setLineWrapColumnOrWidth(width);
    }
}

QVariant ReleaseNotesBrowser::loadResource(int type, const QUrl &)
{
    return refusedReleaseNotesResource(type);
}

} // namespace veyra
