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

constexpr int narrowestMeasuredWidth = 400;

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

void ReleaseNotesBrowser::setReleaseNotes(const ReleaseNotes &notes)
{
    const quint64 request = ++m_notesRequest;
    if (notes.format == ReleaseNotes::Format::plainText && notes.text.size() <= maximumImmediateReleaseNotesLength) {
        showPlainNotes(notes.text);
        return;
    }
    clear();
    // Measured at the narrowest the browser is usually shown at and at its width now.
    QList<double> widths{narrowestMeasuredWidth};
    if (isVisible() && viewport()->width() != narrowestMeasuredWidth) {
        widths.append(viewport()->width());
    }
    auto read = [notes, request, widths, font = document()->defaultFont(), margin = document()->documentMargin()](
                    QPointer<ReleaseNotesBrowser> self) -> QCoro::Task<void> {
        auto reading = [notes, font, margin, widths, thread = self->thread()] {
            try {
                return std::make_shared<DocumentHandoff>(makeReleaseNotesDocument(notes, font, margin, widths, thread));
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
            self->showPlainNotes(notes.text, maximumImmediateReleaseNotesLength);
        }
    };
    startDetachedTask(this, std::move(read), Logger("app-update"));
}

void ReleaseNotesBrowser::showPlainNotes(const QString &text, qsizetype maximumLength)
{
    setPlainText(shownReleaseNotesText(text, maximumLength));
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

QVariant ReleaseNotesBrowser::loadResource(int type, const QUrl &)
{
    return refusedReleaseNotesResource(type);
}

} // namespace veyra
