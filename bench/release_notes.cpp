// What showing release notes costs the GUI thread: notes arrive from the network, and the
// costliest ones (tables nested deep around a lot of text, grapheme clusters of thousands
// of combining marks, long text without a break) must neither freeze the window when
// they are shown nor at each resize. Timed is the GUI thread's own processor time: what
// the notes are read and measured with on a worker is not.
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"
#include "update/prompt/ReleaseNotesDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEventLoop>
#include <QTextDocument>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <ctime>

using namespace veyra;
using Format = ReleaseNotes::Format;

namespace {

double threadSeconds()
{
    timespec now = {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

QString words(qsizetype length)
{
    static const QString sentence = QStringLiteral("Veyra reads the dialogue of the game and translates it. ");
    QString text = sentence.repeated(length / sentence.size() + 1);
    text.truncate(length);
    return text;
}

QString combiningMarks(int count)
{
    QString marks;
    for (int index = 0; index < count; ++index) {
        marks += QChar(0x0300 + index % 0x70);
    }
    return marks;
}

ReleaseNotes nestedTables(int depth, QString html)
{
    for (int level = 0; level < depth; ++level) {
        html = QStringLiteral("<table border=\"1\"><tr><td>%1</td></tr></table>").arg(html);
    }
    return {Format::html, html};
}

ReleaseNotes notesFor(int input)
{
    switch (input) {
    case 0:
        return nestedTables(8, words(30 * 1024));
    case 1:
        return nestedTables(8, QStringLiteral("a") + combiningMarks(3000));
    case 2:
        return nestedTables(8, QStringLiteral("a") + combiningMarks(30000));
    case 3:
        return {Format::plainText, QStringLiteral("a") + combiningMarks(32 * 1024)};
    case 4: {
        // Marks written as character references: they exist only once the HTML is read.
        QString references;
        for (int index = 0; index < 3000; ++index) {
            references += QStringLiteral("&#x%1;").arg(0x0300 + index % 0x70, 0, 16);
        }
        return {Format::html, QStringLiteral("<p>a") + references + QStringLiteral("</p>")};
    }
    case 5:
        return {Format::plainText, QString(32 * 1024, QLatin1Char('w'))};
    case 6:
        return {Format::plainText, words(32 * 1024)};
    case 7:
        return {Format::markdown, QStringLiteral("# Veyra 1.3\n\n") + words(30 * 1024)};
    default:
        return {Format::html, QStringLiteral("<h2>Veyra 1.3</h2><ul><li>Reads <b>Korean</b> better</li></ul>")};
    }
}

const char *inputName(int input)
{
    static const char *const names[]
        = {"8 nested tables around 30 KiB of words", "8 nested tables around a + 3000 combining marks",
            "8 nested tables around a + 30000 combining marks", "a + 32Ki combining marks (plain text)",
            "a + 3000 marks as character references (HTML)", "32Ki letters without a break (plain text)",
            "32 KiB of words (plain text)", "30 KiB of words (Markdown)", "ordinary notes (HTML)"};
    return names[input];
}

constexpr int inputCount = 9;

class ShownNotes
{
public:
    ShownNotes()
    {
        m_browser.document()->setDocumentMargin(16);
        m_browser.resize(620, 330);
        m_browser.show();
        QCoreApplication::processEvents();
    }

    ReleaseNotesBrowser &browser() { return m_browser; }

    // Shows the notes and returns the GUI thread's processor time until they are shown and
    // drawn; waiting for the worker costs nothing.
    double show(const ReleaseNotes &notes)
    {
        bool shown = false;
        QEventLoop waiting;
        const QMetaObject::Connection counting
            = QObject::connect(&m_browser, &ReleaseNotesBrowser::releaseNotesShown, &waiting, [&] {
                  shown = true;
                  waiting.quit();
              });
        const double start = threadSeconds();
        m_browser.setReleaseNotes(notes);
        if (!shown) {
            waiting.exec();
        }
        QObject::disconnect(counting);
        settle();
        return threadSeconds() - start;
    }

    // Resizes the browser and returns the GUI thread's processor time until it is drawn.
    double resize(int width)
    {
        const double start = threadSeconds();
        m_browser.resize(width, m_browser.height());
        settle();
        return threadSeconds() - start;
    }

private:
    // Runs the posted work (the resize, the painting) and the layout Qt leaves for later.
    void settle()
    {
        for (int round = 0; round < 5; ++round) {
            QCoreApplication::processEvents();
        }
        m_browser.document()->documentLayout()->documentSize();
    }

    ReleaseNotesBrowser m_browser;
};

void BM_ShowReleaseNotes(benchmark::State &state)
{
    const ReleaseNotes notes = notesFor(static_cast<int>(state.range(0)));
    state.SetLabel(inputName(static_cast<int>(state.range(0))));
    qsizetype shownLength = 0;
    for (auto _ : state) {
        ShownNotes shown;
        state.SetIterationTime(shown.show(notes));
        shownLength = shown.browser().toPlainText().size();
    }
    // How much of the notes is shown: rendered, or plain text cut to what lays out in time.
    state.counters["shownChars"] = static_cast<double>(shownLength);
    state.counters["notesChars"] = static_cast<double>(notes.text.size());
}

void BM_ResizeReleaseNotes(benchmark::State &state)
{
    const ReleaseNotes notes = notesFor(static_cast<int>(state.range(0)));
    state.SetLabel(inputName(static_cast<int>(state.range(0))));
    ShownNotes shown;
    shown.show(notes);
    int step = 0;
    for (auto _ : state) {
        // Narrower and wider in turn, as a user drags the window's edge.
        state.SetIterationTime(shown.resize(step++ % 2 == 0 ? 520 : 700));
    }
}

// What reading and measuring the notes costs the worker (it shares its threads with the
// text recognition).
void BM_ReadReleaseNotesOnWorker(benchmark::State &state)
{
    const ReleaseNotes notes = notesFor(static_cast<int>(state.range(0)));
    state.SetLabel(inputName(static_cast<int>(state.range(0))));
    const QFont font = QApplication::font();
    for (auto _ : state) {
        const std::unique_ptr<QTextDocument> document
            = makeReleaseNotesDocument(notes, font, 16, {400, 600}, QThread::currentThread());
        benchmark::DoNotOptimize(document.get());
    }
}

} // namespace

BENCHMARK(BM_ReadReleaseNotesOnWorker)->DenseRange(0, inputCount - 1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowReleaseNotes)->DenseRange(0, inputCount - 1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeReleaseNotes)->DenseRange(0, inputCount - 1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
