#include "update/prompt/ReleaseNotesBrowser.h"

#include "foundation/async/AsyncTask.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesDocument.h"

#include <QPointer>
#include <QTextDocument>

#include <utility>

namespace veyra {

namespace {

// A document read on a worker for the GUI thread, deleted there unless it was taken.
class DocumentHandoff
{
public:
    explicit DocumentHandoff(std::unique_ptr<QTextDocument> document)
        : m_document(document.release())
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

private:
    QTextDocument *m_document;
};

} // namespace

ReleaseNotesBrowser::ReleaseNotesBrowser(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    document()->setResourceProvider([](const QUrl &) { return QVariant(QByteArray()); });
}

void ReleaseNotesBrowser::setReleaseNotes(const ReleaseNotes &notes)
{
    const quint64 request = ++m_notesRequest;
    if (notes.format == ReleaseNotes::Format::plainText) {
        showPlainNotes(notes.text);
        return;
    }
    clear();
    auto read = [notes, request, font = document()->defaultFont(), margin = document()->documentMargin()](
                    QPointer<ReleaseNotesBrowser> self) -> QCoro::Task<void> {
        auto reading = [notes, font, margin, thread = self->thread()] {
            try {
                return std::make_shared<DocumentHandoff>(makeReleaseNotesDocument(notes, font, margin, thread));
            } catch (const std::exception &) {
                return std::make_shared<DocumentHandoff>(nullptr);
            }
        };
        const std::shared_ptr<DocumentHandoff> handoff = co_await runOnWorker(cpuWorkPool(), std::move(reading));
        if (!self || self->m_notesRequest != request) {
            co_return;
        }
        if (QTextDocument *document = handoff->take()) {
            self->showDocument(document);
        } else {
            self->showPlainNotes(notes.text);
        }
    };
    startDetachedTask(this, std::move(read), Logger("app-update"));
}

void ReleaseNotesBrowser::showPlainNotes(const QString &text)
{
    setPlainText(shownReleaseNotesText(text));
    emit releaseNotesShown();
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

QVariant ReleaseNotesBrowser::loadResource(int, const QUrl &)
{
    return QVariant(QByteArray());
}

} // namespace veyra
