#include "update/prompt/ReleaseNotesDocument.h"

#include "update/prompt/ReleaseNotes.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QThread>

#include <cmath>
#include <ctime>
#include <initializer_list>

namespace veyra {

namespace {

// Loads nothing that a document refers to. QTextDocument reads local files itself (a style
// sheet while it reads the notes) unless loadResource() answers, and the image handler
// reads an image's name as a local file when the resource it gets is no image; so this
// override and the provider answer every request, with refusedReleaseNotesResource().
class ResourceRefusingDocument : public QTextDocument
{
public:
    ResourceRefusingDocument()
    {
        setResourceProvider([](const QUrl &) { return refusedReleaseNotesResource(ImageResource); });
    }

protected:
    QVariant loadResource(int type, const QUrl &) override { return refusedReleaseNotesResource(type); }
};

constexpr qsizetype maximumTags = 2000;
// Characters (a block's end and a cell count as one each) laid out, those nested in n
// tables counting 2^n times: Qt lays out a table's contents once to measure them and once
// to place them, so a table nested in another is laid out again at every pass over the
// cell around it.
constexpr qint64 maximumCharacterLayouts = 2 * maximumShownReleaseNotesLength;
constexpr int maximumTableDepth = 16;
constexpr double maximumLength = 1000;

bool isModest(std::initializer_list<double> lengths)
{
    for (const double length : lengths) {
        if (!(std::abs(length) <= maximumLength)) {
            return false;
        }
    }
    return true;
}

bool hasModestLengths(const QTextFrame &frame)
{
    const QTextFrameFormat format = frame.frameFormat();
    if (!isModest({format.border(), format.padding(), format.topMargin(), format.bottomMargin(), format.leftMargin(),
            format.rightMargin()})) {
        return false;
    }
    const auto *table = qobject_cast<const QTextTable *>(&frame);
    if (!table) {
        return true;
    }
    const QTextTableFormat tableFormat = table->format();
    if (!isModest({tableFormat.cellPadding(), tableFormat.cellSpacing()})) {
        return false;
    }
    for (int row = 0; row < table->rows(); ++row) {
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCellFormat cell = table->cellAt(row, column).format().toTableCellFormat();
            if (!isModest({cell.topPadding(), cell.bottomPadding(), cell.leftPadding(), cell.rightPadding(),
                    cell.topBorder(), cell.bottomBorder(), cell.leftBorder(), cell.rightBorder()})) {
                return false;
            }
        }
    }
    return true;
}

bool fitsLayoutBudget(const QTextFrame &frame, int depth, qint64 &budget);

// Whether the blocks and frames from `it` on, `depth` tables deep, fit into what is left
// of the budget of character layouts (which they use up).
bool fitsLayoutBudget(QTextFrame::iterator it, int depth, qint64 &budget)
{
    for (; !it.atEnd(); ++it) {
        if (const QTextFrame *child = it.currentFrame()) {
            if (!fitsLayoutBudget(*child, depth, budget)) {
                return false;
            }
        } else {
            budget -= qint64(it.currentBlock().length()) << depth;
            if (budget < 0) {
                return false;
            }
        }
    }
    return true;
}

bool fitsLayoutBudget(const QTextFrame &frame, int depth, qint64 &budget)
{
    if (!hasModestLengths(frame)) {
        return false;
    }
    const auto *table = qobject_cast<const QTextTable *>(&frame);
    if (!table) {
        return fitsLayoutBudget(frame.begin(), depth, budget);
    }
    if (depth >= maximumTableDepth) {
        return false;
    }
    for (int row = 0; row < table->rows(); ++row) {
        for (int column = 0; column < table->columns(); ++column) {
            const QTextTableCell cell = table->cellAt(row, column);
            // A cell spanning several is met at each of them and counted once.
            if (cell.row() != row || cell.column() != column) {
                continue;
            }
            budget -= qint64(1) << (depth + 1);
            if (budget < 0 || !fitsLayoutBudget(cell.begin(), depth + 1, budget)) {
                return false;
            }
        }
    }
    return true;
}

// Cuts the clusters longer than maximumShownClusterLength in the document's text (written
// there as character references, say), and forgets the names of its images.
void shortenClustersAndForgetImages(QTextDocument &document)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.firstBlock(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (text.size() > maximumShownClusterLength && withShortClusters(text).size() != text.size()) {
            // Removed from the back, so that the positions before stay valid.
            QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
            QList<std::pair<qsizetype, qsizetype>> excess;
            qsizetype start = 0;
            for (qsizetype end = clusters.toNextBoundary(); end != -1; end = clusters.toNextBoundary()) {
                qsizetype kept = maximumShownClusterLength;
                if (end - start > kept) {
                    if (text[start + kept].isLowSurrogate()) {
                        --kept;
                    }
                    excess.append({start + kept, end});
                }
                start = end;
            }
            for (auto range = excess.crbegin(); range != excess.crend(); ++range) {
                cursor.setPosition(block.position() + int(range->first));
                cursor.setPosition(block.position() + int(range->second), QTextCursor::KeepAnchor);
                cursor.removeSelectedText();
            }
        }
        // Collected first: changing a fragment's format may merge it with its neighbours.
        QList<QTextFragment> images;
        for (auto fragmentIt = block.begin(); !fragmentIt.atEnd(); ++fragmentIt) {
            const QTextFragment fragment = fragmentIt.fragment();
            if (fragment.charFormat().isImageFormat() && !fragment.charFormat().toImageFormat().name().isEmpty()) {
                images.append(fragment);
            }
        }
        for (const QTextFragment &fragment : images) {
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            image.setName(QString());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

std::chrono::nanoseconds threadTime()
{
    timespec now = {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Whether laying the document out took at most maximumReleaseNotesLayoutTime at each of
// the widths (the first that took longer ends the measuring).
bool laysOutInTime(QTextDocument &document, const QList<double> &widths)
{
    for (const double width : widths) {
        const std::chrono::nanoseconds start = threadTime();
        document.setTextWidth(width);
        // Asking for the size lays out all of it.
        document.documentLayout()->documentSize();
        if (threadTime() - start > maximumReleaseNotesLayoutTime) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<QTextDocument> newDocument(const QFont &font, double margin)
{
    std::unique_ptr<QTextDocument> document = std::make_unique<ResourceRefusingDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setDocumentMargin(margin);
    return document;
}

// The rendered document, or nothing when it is too much to lay out.
std::unique_ptr<QTextDocument> richDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, const QList<double> &widths)
{
    if (notes.text.size() > maximumShownReleaseNotesLength || notes.text.count(QLatin1Char('<')) > maximumTags) {
        return nullptr;
    }
    std::unique_ptr<QTextDocument> document = newDocument(font, margin);
    if (notes.format == ReleaseNotes::Format::html) {
        document->setHtml(notes.text);
    } else {
        document->setMarkdown(notes.text);
    }
    qint64 budget = maximumCharacterLayouts;
    if (!fitsLayoutBudget(*document->rootFrame(), 0, budget)) {
        return nullptr;
    }
    shortenClustersAndForgetImages(*document);
    if (!laysOutInTime(*document, widths)) {
        return nullptr;
    }
    return document;
}

// The text cut at a character boundary after at most `length` code units, with an
// ellipsis when anything was cut.
QString cutText(const QString &text, qsizetype length)
{
    if (text.size() <= length) {
        return text;
    }
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(length);
    if (!graphemes.isAtBoundary()) {
        graphemes.toPreviousBoundary();
    }
    return text.left(graphemes.position()) + QStringLiteral("\u2026");
}

// The notes as plain text, as much of them as is laid out within the time: lengths from
// a short start on are tried, each twice as long as the one before, so that the time
// spent here stays near the time allowed however costly each character is.
std::unique_ptr<QTextDocument> plainDocument(
    const QString &text, const QFont &font, double margin, const QList<double> &widths)
{
    constexpr qsizetype shortest = 256;
    const QString shown = shownReleaseNotesText(text);
    std::unique_ptr<QTextDocument> fitting;
    for (qsizetype length = std::min<qsizetype>(shown.size(), 4096);; length = std::min(shown.size(), 2 * length)) {
        std::unique_ptr<QTextDocument> document = newDocument(font, margin);
        document->setPlainText(cutText(shown, length));
        if (!laysOutInTime(*document, widths)) {
            if (fitting) {
                break;
            }
            // Costly from the start: shorter, down to a few lines.
            if (length > shortest) {
                length = std::max(shortest, length / 4) / 2;
                continue;
            }
        }
        fitting = std::move(document);
        if (length >= shown.size()) {
            break;
        }
    }
    return fitting;
}

} // namespace

QString withShortClusters(const QString &text)
{
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, text);
    QString shortened;
    qsizetype start = 0;
    qsizetype copiedUpTo = 0;
    for (qsizetype end = clusters.toNextBoundary(); end != -1; end = clusters.toNextBoundary()) {
        if (end - start > maximumShownClusterLength) {
            qsizetype kept = maximumShownClusterLength;
            if (text[start + kept].isLowSurrogate()) {
                --kept;
            }
            shortened += QStringView(text).mid(copiedUpTo, start + kept - copiedUpTo);
            copiedUpTo = end;
        }
        start = end;
    }
    if (copiedUpTo == 0) {
        return text;
    }
    shortened += QStringView(text).mid(copiedUpTo);
    return shortened;
}

QString shownReleaseNotesText(const QString &text, qsizetype maximumLength)
{
    if (text.size() <= maximumLength) {
        return withShortClusters(text);
    }
    // Only the characters around the cut are examined: the text may be megabytes long.
    constexpr qsizetype context = 32;
    const qsizetype windowStart = std::max<qsizetype>(0, maximumLength - context);
    const QString window = text.mid(windowStart, 2 * context);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, window);
    graphemes.setPosition(maximumLength - windowStart);
    if (!graphemes.isAtBoundary()) {
        graphemes.toPreviousBoundary();
    }
    return withShortClusters(text.left(windowStart + graphemes.position())) + QStringLiteral("\u2026");
}

QVariant refusedReleaseNotesResource(int type)
{
    if (type == QTextDocument::ImageResource) {
        QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
        pixel.fill(Qt::transparent);
        return pixel;
    }
    return QString();
}

std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, const QList<double> &widths, QThread *thread)
{
    std::unique_ptr<QTextDocument> document;
    if (notes.format != ReleaseNotes::Format::plainText) {
        document = richDocument(notes, font, margin, widths);
    }
    if (!document) {
        document = plainDocument(notes.text, font, margin, widths);
    }
    document->moveToThread(thread);
    return document;
}

} // namespace veyra
