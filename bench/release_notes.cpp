// What showing release notes costs. Notes arrive from the network and are reduced to what
// release notes use before anything lays them out, so no notes, ordinary or hostile, may
// hold a thread for more than a few milliseconds: neither the GUI thread when they are
// shown and at each resize, nor the thread that reads them. Timed is each thread's own
// processor time. A process shows release notes about once, so the first show in a fresh
// process (fonts not loaded yet) is measured too, each in a process of its own, with the
// longest the GUI thread spent on one event meanwhile (the longest it did not answer).
#include "FreshProcessQuit.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"
#include "update/prompt/ReleaseNotesDocument.h"

#include "foundation/async/AsyncTask.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QScrollBar>
#include <QSemaphore>
#include <QTextDocument>
#include <QThread>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <pthread.h>
#include <utility>
#include <vector>

using namespace veyra;
using Format = ReleaseNotes::Format;

namespace {

double cpuSeconds(clockid_t clock)
{
    timespec now = {};
    ::clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double threadSeconds()
{
    return cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

// Times each event the GUI thread handles (an event handled inside another counts with it).
class TurnTimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth > 0) {
            return QApplication::notify(receiver, event);
        }
        ++m_depth;
        if (receiver != m_uncounted) {
            ++m_handled;
        }
        const double start = threadSeconds();
        const bool handled = QApplication::notify(receiver, event);
        m_longest = std::max(m_longest, threadSeconds() - start);
        --m_depth;
        return handled;
    }

    static TurnTimingApplication &instance()
    {
        return *static_cast<TurnTimingApplication *>(QCoreApplication::instance());
    }

    // The processor time of the longest event since the last call.
    static double takeLongestTurn() { return std::exchange(instance().m_longest, 0.0); }

    // How many events were handled so far, not counting those of `uncounted`.
    quint64 handledEvents() const { return m_handled; }
    void setUncounted(QObject *uncounted) { m_uncounted = uncounted; }

private:
    int m_depth = 0;
    double m_longest = 0;
    quint64 m_handled = 0;
    QObject *m_uncounted = nullptr;
};

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

// About 1000 characters: 50 of each of 20 scripts, in words of five.
QString manyScripts()
{
    const char32_t starts[] = {U'a', 0x03B1, 0x0430, 0x0561, 0x05D0, 0x0627, 0x0905, 0x0985, 0x0B85, 0x0E01, 0x10D0,
        0xAC00, 0x3042, 0x30A2, 0x4E00, 0x1200, 0x1780, 0x0F40, 0x0D85, 0x1000};
    QString text;
    for (const char32_t start : starts) {
        for (char32_t offset = 0; offset < 50; ++offset) {
            const char32_t character = start + offset % 20;
            text += QString::fromUcs4(&character, 1);
            if (offset % 5 == 4) {
                text += QLatin1Char(' ');
            }
        }
    }
    return text;
}

// Words of 13 scripts in turn, up to `length` characters: Latin, Greek, Cyrillic, Armenian,
// Hebrew, Arabic, Devanagari, Bengali, Thai, Georgian, Hangul, Hiragana and Han.
QString thirteenScripts(qsizetype length)
{
    const QStringList words{QStringLiteral("dialogue"), QStringLiteral("διάλογος"), QStringLiteral("диалог"),
        QStringLiteral("երկխոսություն"), QStringLiteral("דיאלוג"), QStringLiteral("حوار"), QStringLiteral("संवाद"),
        QStringLiteral("সংলাপ"), QStringLiteral("บทสนทนา"), QStringLiteral("დიალოგი"), QStringLiteral("대사"),
        QStringLiteral("せりふ"), QStringLiteral("台詞")};
    QString text;
    for (qsizetype word = 0; text.size() < length; ++word) {
        text += words[word % words.size()] + QLatin1Char(' ');
    }
    text.truncate(length);
    return text;
}

// A list of 200 items of release notes, in Japanese or in English.
QString twoHundredItems(bool japanese)
{
    QString list = QStringLiteral("## Veyra 1.3\n\n");
    for (int item = 1; item <= 200; ++item) {
        list += japanese
            ? QStringLiteral("- 修正 %1: 韓国語の台詞の読み取りが**速く**なり、翻訳の表示も安定しました\n").arg(item)
            : QStringLiteral("- Fix %1: Korean dialogue is read **faster**, and translations show more steadily\n")
                  .arg(item);
    }
    return list;
}

// A changelog as release authors write one: `items` items, each with a code span and a link to
// its pull request, in English or in Japanese.
QString changelog(int items, bool japanese)
{
    QString list = QStringLiteral("## Veyra 1.3\n\n");
    for (int item = 0; item < items; ++item) {
        list += japanese
            ? QStringLiteral("- `parser` で台詞を読み取るときに落ちる問題 %1 を修正し、翻訳の表示も安定しました "
                             "([#%1](https://example.org/veyra/pull/%1))\n")
                  .arg(item)
            : QStringLiteral("- Fixed `parser` crash %1 when reading ([#%1](https://example.org/veyra/pull/%1))\n")
                  .arg(item);
    }
    return list;
}

// `items` done task items with a code span each.
QString taskItems(int items)
{
    QString list;
    for (int item = 0; item < items; ++item) {
        list += QStringLiteral("- [x] Fixed `parser` case %1\n").arg(item);
    }
    return list;
}

// A list of `items` links without a blank line between them, as release authors paste the
// pull requests of a release.
QString linkList(int items)
{
    QString list;
    for (int item = 0; item < items; ++item) {
        list += QStringLiteral("- [Pull request %1](https://example.org/veyra/pull/%1)\n").arg(item);
    }
    return list;
}

// `count` link reference definitions, then a paragraph that uses some of them.
QString referenceDefinitions(int count)
{
    QString notes;
    for (int definition = 0; definition < count; ++definition) {
        notes += QStringLiteral("[pr%1]: https://example.org/%1\n").arg(definition);
    }
    notes += QStringLiteral("\nSee [pr1], [pr2] and [pr%1].\n").arg(count - 1);
    return notes;
}

// One Japanese paragraph of `length` characters, without a line end.
QString japaneseParagraph(qsizetype length)
{
    QString text
        = QStringLiteral("韓国語の台詞の読み取りが速くなり、翻訳の表示も安定しました。").repeated(length / 29 + 1);
    text.truncate(length);
    return text;
}

// A word in each of 20 scripts that no installed font writes here, each as a heading and in
// bold, italic and code.
QString unwrittenScripts()
{
    const QStringList words{QStringLiteral("संवाद"), QStringLiteral("সংলাপ"), QStringLiteral("ਗੱਲਬਾਤ"),
        QStringLiteral("સંવાદ"), QStringLiteral("ସଂଳାପ"), QStringLiteral("உரையாடல்"), QStringLiteral("సంభాషణ"),
        QStringLiteral("ಸಂಭಾಷಣೆ"), QStringLiteral("സംഭാഷണം"), QStringLiteral("සංවාදය"), QStringLiteral("བོད་ཡིག"),
        QStringLiteral("စကားပြော"), QStringLiteral("ការសន្ទនា"), QStringLiteral("ውይይት"), QStringLiteral("ᏣᎳᎩ"),
        QStringLiteral("ᠮᠣᠩᠭᠣᠯ"), QStringLiteral("ܡܡܠܠܐ"), QStringLiteral("ވާހަކަ"), QStringLiteral("ꦥꦕꦼꦠꦤ꧀"),
        QStringLiteral("ᮞᮥᮔ᮪ᮓ")};
    QString notes;
    for (const QString &word : words) {
        notes += QStringLiteral("## %1\n\n**%1** *%1* `%1`\n\n").arg(word);
    }
    return notes;
}

// Japanese, Korean and Chinese with Greek and Russian headings, in bold, italic, code and bold
// code: more than a dozen faces.
QString manyFaces()
{
    return QStringLiteral("## 台詞 대사 对话 Διάλογος Диалог\n\n"
                          "**台詞 대사 对话 Διάλογος Диалог** *台詞 대사 对话 Διάλογος Диалог*\n\n"
                          "`台詞 대사 对话 Διάλογος Диалог` **`台詞 대사 对话 Διάλογος Диалог`**\n\n"
                          "### 翻訳 번역 翻译 Μετάφραση Перевод\n\n"
                          "- 読み取りが**速く**なりました\n- 대사를 *더 정확하게* 읽습니다\n- 显示 `更稳定`\n");
}

// An icon as pages inline it, about 450 characters of markup.
QString svgIcon()
{
    return QStringLiteral(
        "<svg class=\"octicon octicon-mark-github\" viewBox=\"0 0 16 16\" width=\"16\" height=\"16\" "
        "aria-hidden=\"true\"><path d=\"M8 0C3.58 0 0 3.58 0 8c0 3.54 2.29 6.53 5.47 7.59.4.07.55-.17.55-.38 "
        "0-.19-.01-.82-.01-1.49-2.01.37-2.53-.49-2.69-.94-.09-.23-.48-.94-.82-1.13-.28-.15-.68-.52-.01-.53.63-.01 "
        "1.08.58 1.23.82.72 1.21 1.87.87 2.33.66.07-.52.28-.87.51-1.07-1.78-.2-3.64-.89-3.64-3.95 0-.87.31-1.59.82-"
        "2.15-.08-.2-.36-1.02.08-2.12 0 0 .67-.21 2.2.82\"></path></svg>");
}

struct Input
{
    const char *name;
    ReleaseNotes notes;
};

QList<Input> inputs()
{
    QString tenItems = QStringLiteral("<h2>Veyra 1.3</h2><ul>");
    for (int item = 1; item <= 10; ++item) {
        tenItems += QStringLiteral("<li>Reads the dialogue of <b>game %1</b> faster</li>").arg(item);
    }
    QString japanese = QStringLiteral("## Veyra 1.3\n\n");
    for (int item = 1; item <= 20; ++item) {
        japanese += QStringLiteral("- 修正 %1: 韓国語の台詞の読み取りが**速く**なりました\n").arg(item);
    }
    QString table = QStringLiteral("<table>");
    for (int row = 0; row < 30; ++row) {
        table += QStringLiteral("<tr><td>Game %1</td><td>Reads faster</td></tr>").arg(row);
    }
    QString lines = QStringLiteral("<p style=\"line-height:100000px\">");
    for (int line = 0; line < 400; ++line) {
        lines += QStringLiteral("Line %1<br>").arg(line);
    }
    QString references = QStringLiteral("<p>a");
    for (int index = 0; index < 3000; ++index) {
        references += QStringLiteral("&#x%1;").arg(0x0300 + index % 0x70, 0, 16);
    }
    const QString bigFont
        = QStringLiteral("<span style=\"font-size:2000px\">") + words(20000) + QStringLiteral("</span>");
    return {
        {"ordinary notes (HTML)",
            {Format::html, QStringLiteral("<h2>Veyra 1.3</h2><ul><li>Reads <b>Korean</b> better</li></ul>")}},
        {"ten list items (HTML)", {Format::html, tenItems + QStringLiteral("</ul>")}},
        {"a Markdown list",
            {Format::markdown,
                QStringLiteral("## Veyra 1.3\n\n- Reads **Korean** better\n- Faster `OCR`\n  1. in [titles](https://"
                               "veyra.example)\n")}},
        {"twenty Japanese list items (Markdown)", {Format::markdown, japanese}},
        {"Korean notes (plain text)",
            {Format::plainText, QStringLiteral("한국어 대사를 더 정확하게 읽습니다.\n번역이 빨라졌습니다.")}},
        {"a 30-row table (HTML)", {Format::html, table + QStringLiteral("</table>")}},
        {"1000 characters in 20 scripts (plain text)", {Format::plainText, manyScripts()}},
        {"img height 33000000 (HTML)", {Format::html, QStringLiteral("<img width=1 height=33000000><br>x")}},
        {"margin-bottom 33000000px (HTML)",
            {Format::html, QStringLiteral("<p style=\"margin-bottom:33000000px\">x</p><p>y</p>")}},
        {"line-height 100000px over 400 lines (HTML)", {Format::html, lines + QStringLiteral("</p>")}},
        {"40 images 1000000 px tall (HTML)",
            {Format::html,
                QStringLiteral("<p>Screens</p>")
                    + QStringLiteral("<img src=\"a.png\" height=\"1000000\">").repeated(40)}},
        {"font-size 2000px around 20000 characters (HTML)", {Format::html, bigFont}},
        {"font-size 2000px around 20000 characters (Markdown)", {Format::markdown, QStringLiteral("Notes ") + bigFont}},
        {"1000 nested blockquotes around 3000 words (HTML)",
            {Format::html,
                QStringLiteral("<blockquote>").repeated(1000) + words(18000)
                    + QStringLiteral("</blockquote>").repeated(1000)}},
        {"8 nested tables around 30 KiB of words (HTML)", nestedTables(8, words(30 * 1024))},
        {"8 nested tables around a + 3000 combining marks (HTML)",
            nestedTables(8, QStringLiteral("a") + combiningMarks(3000))},
        {"a + 32Ki combining marks (plain text)", {Format::plainText, QStringLiteral("a") + combiningMarks(32 * 1024)}},
        {"a + 3000 marks as character references (HTML)", {Format::html, references + QStringLiteral("</p>")}},
        {"32Ki letters without a break (plain text)", {Format::plainText, QString(32 * 1024, QLatin1Char('w'))}},
        {"32 KiB of words (plain text)", {Format::plainText, words(32 * 1024)}},
        {"30 KiB of words (Markdown)", {Format::markdown, QStringLiteral("# Veyra 1.3\n\n") + words(30 * 1024)}},
        {"16000 emphasised words (Markdown)", {Format::markdown, QStringLiteral("*a* ").repeated(16000)}},
        {"8000 nested list items then 16000 line ends (Markdown)",
            {Format::markdown, QStringLiteral("- ").repeated(8000) + QStringLiteral("x") + QString(16000, u'\n')}},
        {"'- ' 8000 times then 16000 line ends (Markdown)",
            {Format::markdown, QStringLiteral("- ").repeated(8000) + QString(16000, u'\n')}},
        {"8000 nested quotes and lists then 16000 line ends (Markdown)",
            {Format::markdown, QStringLiteral("> 1. ").repeated(3000) + QStringLiteral("x") + QString(16000, u'\n')}},
        {"a table and 20000 cells (HTML)",
            {Format::html, QStringLiteral("<table>") + QStringLiteral("<td>x").repeated(20000)}},
        {"a paragraph of 8000 line breaks (HTML)",
            {Format::html, QStringLiteral("<p>") + QStringLiteral("x<br>").repeated(8000)}},
        {"40 KB of style sheet before the notes (HTML)",
            {Format::html,
                QStringLiteral("<html><head><style>")
                    + QStringLiteral("p.note { color: #333; margin: 0 }\n").repeated(1200)
                    + QStringLiteral("</style></head><body><h2>Veyra 1.3</h2><p>") + words(4000)
                    + QStringLiteral("</p></body></html>")}},
        {"8000 paragraphs (HTML)", {Format::html, QStringLiteral("<p>x").repeated(8000)}},
        {"8000 list items (Markdown)", {Format::markdown, QStringLiteral("- x\n").repeated(8000)}},
        {"8000 numbered list items (Markdown)", {Format::markdown, QStringLiteral("1. x\n").repeated(6000)}},
        {"256 Ki of tags (HTML)", {Format::html, QStringLiteral("<i>").repeated(90000) + words(1000)}},
        {"16000 nested link brackets after a link reference (Markdown)",
            {Format::markdown, QStringLiteral("[x]: /foo\n\n") + QString(16000, u'[') + QString(16000, u']')}},
        {"16000 nested link brackets in a list item (Markdown)",
            {Format::markdown, QStringLiteral("[x]: /foo\n\n- ") + QString(16000, u'[') + QString(16000, u']')}},
        {"a 200-item Japanese list (Markdown)", {Format::markdown, twoHundredItems(true)}},
        {"a 200-item English list (Markdown)", {Format::markdown, twoHundredItems(false)}},
        {"CJK without spaces (plain text)",
            {Format::plainText,
                QStringLiteral("韓国語の台詞の読み取りが速くなり翻訳の表示も安定しました").repeated(600)}},
        {"13 scripts mixed (plain text)", {Format::plainText, thirteenScripts(32 * 1024)}},
        {"emoji families (plain text)",
            {Format::plainText,
                QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 ").repeated(3000)}},
        {"a 300 KB style sheet before the notes (HTML)",
            {Format::html,
                QStringLiteral("<html><head><style>")
                    + QStringLiteral("p.note { color: #333; margin: 0 }\n").repeated(9000)
                    + QStringLiteral("</style></head><body><h2>Veyra 1.3</h2><p>") + words(4000)
                    + QStringLiteral("</p></body></html>")}},
        {"a 2 MB script before the notes (HTML)",
            {Format::html,
                QStringLiteral("<script>") + QStringLiteral("if (a < b) { c = d; }\n").repeated(95000)
                    + QStringLiteral("</script><h2>Veyra 1.3</h2><p>") + words(4000)}},
        {"100 changelog items with code and links (Markdown)", {Format::markdown, changelog(100, false)}},
        {"100 task items with code (Markdown)", {Format::markdown, taskItems(100)}},
        {"a 500-item changelog with code and links (Markdown)", {Format::markdown, changelog(500, false)}},
        {"a 500-item Japanese changelog with code and links (Markdown)", {Format::markdown, changelog(500, true)}},
        {"an unwritten script with emphasis (Markdown)", {Format::markdown, QStringLiteral("संवाद **तेज़** पढ़ा जाता है")}},
        {"20 unwritten scripts as headings, bold, italic and code (Markdown)", {Format::markdown, unwrittenScripts()}},
        {"ja, ko and zh with Greek and Russian in many faces (Markdown)", {Format::markdown, manyFaces()}},
        {"20000 empty spans before the notes (HTML)",
            {Format::html,
                QStringLiteral("<span class=\"x\"></span>").repeated(20000) + QStringLiteral("<h2>Veyra 1.3</h2><p>")
                    + words(4000)}},
        {"4000 inline SVG icons before the notes (HTML)",
            {Format::html, svgIcon().repeated(4000) + QStringLiteral("<h2>Veyra 1.3</h2><p>") + words(4000)}},
        {"a 1600-item link list (Markdown)", {Format::markdown, linkList(1600)}},
        {"a 2500-item changelog with code and links (Markdown)", {Format::markdown, changelog(2500, false)}},
        {"a 1500-item task list (Markdown)", {Format::markdown, taskItems(1500)}},
        {"7000 link reference definitions (Markdown)", {Format::markdown, referenceDefinitions(7000)}},
        {"a 252K-character Japanese paragraph (Markdown)", {Format::markdown, japaneseParagraph(252 * 1024)}},
        {"2 MiB of <i> tags (HTML)",
            {Format::html, QStringLiteral("<p> x") + QStringLiteral("<i>").repeated(2 * 1024 * 1024 / 3)}},
        {"162 KB of unwritten scripts with emphasis (Markdown)",
            {Format::markdown, unwrittenScripts().repeated(162 * 1024 / unwrittenScripts().toUtf8().size() + 1)}},
        {"60000 emoji (plain text)", {Format::plainText, QStringLiteral("\U0001F600").repeated(60000)}},
        {"20000 lines of boxes in one paragraph (Markdown)",
            {Format::markdown, QStringLiteral("[x]: /foo\n\nx\n") + QStringLiteral("[x] \n").repeated(20000)}},
        {"20000 lines of unfinished definitions in one paragraph (Markdown)",
            {Format::markdown, QStringLiteral("x\n") + QStringLiteral("[x]: <\n").repeated(20000)}},
        {"20000 lines of links in one list item (Markdown)",
            {Format::markdown, QStringLiteral("[b]: /foo\n\n- x\n") + QStringLiteral("  [b]\n").repeated(20000)}},
        {"a 40 KB style sheet before the notes (Markdown)",
            {Format::markdown,
                QStringLiteral("<style>\n") + QStringLiteral("p.note { color: #333; margin: 0 }\n").repeated(1200)
                    + QStringLiteral("</style>\n\n## Veyra 1.3\n\n") + words(4000)}},
    };
}

const Input &inputAt(int index)
{
    static const QList<Input> all = inputs();
    return all[index];
}

int inputCount()
{
    return int(inputs().size());
}

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

    // Shows the notes and returns the GUI thread's processor time until they are shown,
    // laid out and drawn; waiting for the worker costs nothing.
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

    // Resizes the browser and returns the GUI thread's processor time until it is drawn and
    // all of the notes are laid out again.
    double resize(int width)
    {
        const double start = threadSeconds();
        m_browser.resize(width, m_browser.height());
        settle();
        return threadSeconds() - start;
    }

    // Shows the end of the notes.
    void scrollToEnd()
    {
        m_browser.verticalScrollBar()->setValue(m_browser.verticalScrollBar()->maximum());
        settle();
    }

private:
    // Runs the posted work (the resize, the painting) and all of the layout that is spread
    // over later turns: the event loop runs until it has handled nothing for 60 ms.
    void settle()
    {
        TurnTimingApplication &application = TurnTimingApplication::instance();
        QEventLoop loop;
        QTimer poll;
        application.setUncounted(&poll);
        quint64 seen = application.handledEvents();
        QElapsedTimer quiet;
        quiet.start();
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (application.handledEvents() != seen) {
                seen = application.handledEvents();
                quiet.restart();
            } else if (quiet.elapsed() >= 60) {
                loop.quit();
            }
        });
        poll.start(5);
        loop.exec();
        application.setUncounted(nullptr);
        m_browser.viewport()->repaint();
    }

    ReleaseNotesBrowser m_browser;
};

// The processor clock of the thread of releaseNotesWorkPool().
clockid_t notesThreadClock()
{
    clockid_t clock = 0;
    QSemaphore known;
    startOnWorker(releaseNotesWorkPool(), [&clock, &known] {
        ::pthread_getcpuclockid(::pthread_self(), &clock);
        known.release();
    });
    known.acquire();
    return clock;
}

void BM_ShowReleaseNotes(benchmark::State &state)
{
    const Input &input = inputAt(static_cast<int>(state.range(0)));
    state.SetLabel(input.name);
    qsizetype shownLength = 0;
    double longestTurn = 0;
    for (auto _ : state) {
        ShownNotes shown;
        TurnTimingApplication::takeLongestTurn();
        state.SetIterationTime(shown.show(input.notes));
        longestTurn = std::max(longestTurn, TurnTimingApplication::takeLongestTurn());
        shownLength = shown.browser().toPlainText().size();
    }
    state.counters["shownChars"] = static_cast<double>(shownLength);
    state.counters["notesChars"] = static_cast<double>(input.notes.text.size());
    state.counters["longestTurnMs"] = longestTurn * 1000;
}

// A resize of the browser, with the start of the notes shown or, when `atEnd`, their end.
void resizeReleaseNotes(benchmark::State &state, bool atEnd)
{
    const Input &input = inputAt(static_cast<int>(state.range(0)));
    state.SetLabel(input.name);
    ShownNotes shown;
    shown.show(input.notes);
    int step = 0;
    double longestTurn = 0;
    for (auto _ : state) {
        if (atEnd) {
            state.PauseTiming();
            shown.scrollToEnd();
            state.ResumeTiming();
        }
        TurnTimingApplication::takeLongestTurn();
        // Narrower and wider in turn, as a user drags the window's edge.
        state.SetIterationTime(shown.resize(step++ % 2 == 0 ? 520 : 700));
        longestTurn = std::max(longestTurn, TurnTimingApplication::takeLongestTurn());
    }
    state.counters["longestTurnMs"] = longestTurn * 1000;
}

void BM_ResizeReleaseNotes(benchmark::State &state)
{
    resizeReleaseNotes(state, false);
}

void BM_ResizeReleaseNotesAtTheirEnd(benchmark::State &state)
{
    resizeReleaseNotes(state, true);
}

// What reducing the notes, making their document and laying it out costs the worker.
void BM_ReadReleaseNotesOnWorker(benchmark::State &state)
{
    const Input &input = inputAt(static_cast<int>(state.range(0)));
    state.SetLabel(input.name);
    const QFont font = QApplication::font();
    for (auto _ : state) {
        const std::unique_ptr<QTextDocument> document
            = makeReleaseNotesDocument(input.notes, font, 16, QThread::currentThread());
        benchmark::DoNotOptimize(document.get());
    }
}

// The first show in a fresh process: each iteration starts this program again, which shows
// the notes once and reports its GUI thread's and its notes thread's processor time.
void BM_FirstShowReleaseNotes(benchmark::State &state)
{
    const int index = static_cast<int>(state.range(0));
    state.SetLabel(inputAt(index).name);
    double workerSeconds = 0;
    double longestTurn = 0;
    for (auto _ : state) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--first-show=%1").arg(index)});
        if (!child.waitForFinished(120000) || child.exitCode() != 0) {
            state.SkipWithError("the fresh process failed");
            break;
        }
        const QStringList times = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        state.SetIterationTime(times.value(0).toDouble());
        workerSeconds = std::max(workerSeconds, times.value(1).toDouble());
        longestTurn = std::max(longestTurn, times.value(2).toDouble());
    }
    state.counters["workerMs"] = workerSeconds * 1000;
    state.counters["longestTurnMs"] = longestTurn * 1000;
}

int showOnceInThisProcess(int index)
{
    const clockid_t worker = notesThreadClock();
    ShownNotes shown;
    const double workerStart = cpuSeconds(worker);
    TurnTimingApplication::takeLongestTurn();
    const double gui = shown.show(inputAt(index).notes);
    std::printf("%.6f %.6f %.6f", gui, cpuSeconds(worker) - workerStart, TurnTimingApplication::takeLongestTurn());
    return 0;
}

// How long a quit waits for the notes thread: each iteration starts this program again,
// which gives four browsers the notes, quits a few milliseconds later while the notes are
// being read, and reports how long the end of the application took (wall time).
void BM_QuitWhileReadingReleaseNotes(benchmark::State &state)
{
    const int index = static_cast<int>(state.range(0));
    state.SetLabel(inputAt(index).name);
    timeQuitInFreshProcesses(state, index);
}

// Gives four browsers the notes, then ends the application as main() does a few
// milliseconds later, and prints the seconds that the end took.
void quitWhileReadingInThisProcess(int index)
{
    std::vector<std::unique_ptr<ReleaseNotesBrowser>> browsers;
    for (int browser = 0; browser < 4; ++browser) {
        browsers.push_back(std::make_unique<ReleaseNotesBrowser>());
        browsers.back()->setReleaseNotes(inputAt(index).notes);
    }
    QThread::msleep(5);
    QElapsedTimer quitting;
    quitting.start();
    browsers.clear();
    finishApplicationWork(0);
    std::printf("%.6f", static_cast<double>(quitting.nsecsElapsed()) / 1e9);
}

} // namespace

BENCHMARK(BM_QuitWhileReadingReleaseNotes)
    ->DenseRange(0, inputCount() - 1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstShowReleaseNotes)
    ->DenseRange(0, inputCount() - 1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
// Each show and resize waits until the event loop has been idle for a while: a fixed number of
// them.
BENCHMARK(BM_ShowReleaseNotes)
    ->DenseRange(0, inputCount() - 1)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeReleaseNotes)
    ->DenseRange(0, inputCount() - 1)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResizeReleaseNotesAtTheirEnd)
    ->DenseRange(0, inputCount() - 1)
    ->Iterations(10)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadReleaseNotesOnWorker)->DenseRange(0, inputCount() - 1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    TurnTimingApplication application(argc, argv);
    int status = 0;
    const QString firstShow = QStringLiteral("--first-show=");
    const QString quitWhileReading = QStringLiteral("--quit-while-reading=");
    const QString argument = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argument.startsWith(quitWhileReading)) {
        // Ends the application itself.
        quitWhileReadingInThisProcess(argument.mid(quitWhileReading.size()).toInt());
        return 0;
    }
    if (argument.startsWith(firstShow)) {
        status = showOnceInThisProcess(argument.mid(firstShow.size()).toInt());
    } else {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    finishApplicationWork(status);
    return status;
}
