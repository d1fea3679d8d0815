#include "update/prompt/ReleaseNotesDocument.h"

#include "update/prompt/ReleaseNotes.h"

#include <QFont>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QThread>

#include <cmath>
#include <initializer_list>

namespace veyra {

namespace {

// Loads nothing that a document refers to. QTextDocument reads local files itself (a style
// sheet while it reads the notes, images while it lays them out) before it asks a resource
// provider, so only this override refuses them.
class ResourceRefusingDocument : public QTextDocument
{
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl &) override { return QVariant(QByteArray()); }
};

constexpr qsizetype maximumTags = 2000;
// Cells laid out, a cell nested in n tables counting 2^(n-1): Qt lays out a nested table
// again for every pass over the cell around it.
constexpr qint64 maximumCellLayouts = 256;
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

// Whether the frames inside `frame`, `depth` tables deep, fit into what is left of the
// budget of cell layouts (which they use up).
bool fitsLayoutBudget(const QTextFrame &frame, int depth, qint64 &budget)
{
    for (const QTextFrame *child : frame.childFrames()) {
        const auto *table = qobject_cast<const QTextTable *>(child);
        const qint64 cells = table ? qint64(table->rows()) * table->columns() : 1;
        // Past this depth a single cell exceeds the budget.
        if (depth > 16) {
            return false;
        }
        budget -= cells << depth;
        if (budget < 0 || !hasModestLengths(*child) || !fitsLayoutBudget(*child, depth + 1, budget)) {
            return false;
        }
    }
    return true;
}

} // namespace

QString shownReleaseNotesText(const QString &text)
{
    if (text.size() <= maximumShownReleaseNotesLength) {
        return text;
    }
    // Only the characters around the cut are examined: the text may be megabytes long.
    constexpr qsizetype context = 32;
    const qsizetype windowStart = maximumShownReleaseNotesLength - context;
    const QString window = text.mid(windowStart, 2 * context);
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, window);
    graphemes.setPosition(context);
    if (!graphemes.isAtBoundary()) {
        graphemes.toPreviousBoundary();
    }
    return text.left(windowStart + graphemes.position()) + QStringLiteral("\u2026");
}

std::unique_ptr<QTextDocument> makeReleaseNotesDocument(
    const ReleaseNotes &notes, const QFont &font, double margin, QThread *thread)
{
    if (notes.format == ReleaseNotes::Format::plainText || notes.text.size() > maximumShownReleaseNotesLength
        || notes.text.count(QLatin1Char('<')) > maximumTags) {
        return nullptr;
    }
    std::unique_ptr<QTextDocument> document = std::make_unique<ResourceRefusingDocument>();
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(font);
    document->setDocumentMargin(margin);
    if (notes.format == ReleaseNotes::Format::html) {
        document->setHtml(notes.text);
    } else {
        document->setMarkdown(notes.text);
    }
    qint64 budget = maximumCellLayouts;
    if (!hasModestLengths(*document->rootFrame()) || !fitsLayoutBudget(*document->rootFrame(), 0, budget)) {
        return nullptr;
    }
    document->moveToThread(thread);
    return document;
}

} // namespace veyra
