#include "update/prompt/ReleaseNotesBrowser.h"

#include "update/prompt/ReleaseNotes.h"

namespace veyra {

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
    switch (notes.format) {
    case ReleaseNotes::Format::html:
        setHtml(notes.text);
        break;
    case ReleaseNotes::Format::markdown:
        setMarkdown(notes.text);
        break;
    case ReleaseNotes::Format::plainText:
        setPlainText(notes.text);
        break;
    }
}

QVariant ReleaseNotesBrowser::loadResource(int, const QUrl &)
{
    return QVariant(QByteArray());
}

} // namespace veyra
