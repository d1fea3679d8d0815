// Reading the update feed. The feed arrives from the network at every start and every day,
// up to the transport's 4 MiB; whatever it holds, reading it must take time in proportion
// to its length: any 4 MiB feed within a second of processor time on the worker that reads
// it. Timed is the reading thread's own processor time for an ordinary feed and for the
// shapes that took Qt's XML reader time growing with their square (each refused or read
// in one pass now), and how long a quit waits while a feed is being read.
#include "FreshProcessQuit.h"
#include "update/updater/AppUpdaterError.h"
#include "update/updater/Appcast.h"
#include "update/updater/FeedMarkupBounds.h"

#include "foundation/async/AsyncTask.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringEncoder>
#include <QThread>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace veyra;

namespace {

constexpr qsizetype feedBytes = 4 * 1024 * 1024;

const QString signature = QString::fromLatin1(QByteArray(64, '\x11').toBase64());

const QString feedStart
    = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                     "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\">"
                     "<channel><title>Veyra</title>\n");
const QString feedEnd = QStringLiteral("</channel></rss>\n");

QString ordinaryItem(int build)
{
    return QStringLiteral("<item><title>Veyra 1.%1</title><sparkle:version>%1</sparkle:version>"
                          "<enclosure url=\"https://veyra.example/Veyra-%1.AppImage\" length=\"123456\" "
                          "sparkle:edSignature=\"%2\"/></item>\n")
        .arg(build)
        .arg(signature);
}

// The feed with `unit(i)` repeated inside its channel until it holds about `size` bytes.
QByteArray filledFeed(const std::function<QString(int)> &unit, const QString &before = {}, const QString &after = {},
    qsizetype size = feedBytes)
{
    QString text = feedStart + before;
    for (int index = 0; text.size() < size - after.size() - feedEnd.size(); ++index) {
        text += unit(index);
    }
    return (text + after + feedEnd).toUtf8();
}

// One element with as many attributes as 4 MiB hold.
QByteArray manyAttributes(const QString &name)
{
    return filledFeed([&name](int index) { return QStringLiteral(" %1%2=\"v\"").arg(name).arg(index); },
        QStringLiteral("<item"), QStringLiteral("/>"));
}

struct Feed
{
    const char *name;
    QByteArray document;
};

std::vector<Feed> makeFeeds()
{
    std::vector<Feed> feeds;
    feeds.push_back({"ordinary items", filledFeed(ordinaryItem)});
    QStringEncoder toUtf16(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    feeds.push_back({"ordinary items, UTF-16",
        toUtf16(QString::fromUtf8(filledFeed(ordinaryItem, {}, {}, feedBytes / 2))
                    .replace(QStringLiteral("encoding=\"utf-8\""), QStringLiteral("encoding=\"UTF-16\"")))});
    feeds.push_back({"one element, attributes", manyAttributes(QStringLiteral("a"))});
    feeds.push_back({"one element, namespace declarations", manyAttributes(QStringLiteral("xmlns:p"))});
    feeds.push_back({"nested elements, each declaring a namespace",
        filledFeed([](int index) { return QStringLiteral("<p%1:e xmlns:p%1=\"urn:%1\">").arg(index); })});
    // Half of it attribute defaults, the other half elements that Qt's reader would look up
    // among all of them.
    QString defaults = QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE rss [");
    for (int index = 0; defaults.size() < feedBytes / 2; ++index) {
        defaults += QStringLiteral("<!ATTLIST item a%1 CDATA \"v\">").arg(index);
    }
    const QByteArray elements = filledFeed([](int) { return QStringLiteral("<item/>"); }, {}, {}, feedBytes / 2);
    feeds.push_back({"attribute defaults of a document type",
        (defaults + QStringLiteral("]>\n")).toUtf8() + elements.sliced(elements.indexOf("?>") + 2)});
    // The most Qt's reader may meet now: 64 namespaces in scope, and elements with 64
    // attributes each whose prefixes it finds last.
    QString declarations;
    QString attributes;
    for (int index = 0; index < maximumFeedNamespaceDeclarationsInScope - 1; ++index) {
        declarations += QStringLiteral(" xmlns:n%1=\"urn:n%1\"").arg(index);
        attributes += QStringLiteral(" n%1:a=\"\"").arg(index);
    }
    attributes += QStringLiteral(" n0:b=\"\"");
    feeds.push_back({"64 namespaces in scope, 64 prefixed attributes on each element",
        filledFeed([&attributes](int) { return QStringLiteral("<n0:e%1/>").arg(attributes); },
            QStringLiteral("<x%1>").arg(declarations), QStringLiteral("</x>"))});
    // Names as long as Qt's reader takes them, alike but for their last characters: each
    // comparison of names or prefixes reads them whole.
    const QString longName = QString(1000, u'n');
    QString longDeclarations;
    QString longAttributes;
    for (int index = 0; index < maximumFeedNamespaceDeclarationsInScope - 1; ++index) {
        longDeclarations += QStringLiteral(" xmlns:%1%2=\"urn:%2\"").arg(longName).arg(index);
        longAttributes += QStringLiteral(" %1%2:%1=\"\"").arg(longName).arg(index);
    }
    feeds.push_back({"64 long prefixes in scope, 63 attributes of one long name on each element",
        filledFeed([&longAttributes](int) { return QStringLiteral("<e%1/>").arg(longAttributes); },
            QStringLiteral("<x%1>").arg(longDeclarations), QStringLiteral("</x>"))});
    feeds.push_back({"64 namespaces in scope, prefixed elements",
        filledFeed([](int) { return QStringLiteral("<n0:e/>"); }, QStringLiteral("<x%1>").arg(declarations),
            QStringLiteral("</x>"))});
    const int depth = feedBytes / 7;
    feeds.push_back({"a description nested 600 000 deep",
        (feedStart + QStringLiteral("<item><sparkle:version>2</sparkle:version><description>")
            + QStringLiteral("<p>").repeated(depth) + QStringLiteral("</p>").repeated(depth)
            + QStringLiteral("</description></item>") + feedEnd)
            .toUtf8()});
    feeds.push_back({"empty elements", filledFeed([](int) { return QStringLiteral("<x/>"); })});
    feeds.push_back({"character references in a description",
        filledFeed([](int) { return QStringLiteral("&amp;&#x41;"); }, QStringLiteral("<item><description>"),
            QStringLiteral("</description></item>"))});
    feeds.push_back(
        {"comments and processing instructions", filledFeed([](int) { return QStringLiteral("<!-- c --><?p d?>"); })});
    return feeds;
}

const std::vector<Feed> &feeds()
{
    static const std::vector<Feed> all = makeFeeds();
    return all;
}

// What the worker does with a feed: read it, or refuse it.
void BM_ReadFeedOnWorker(benchmark::State &state)
{
    const Feed &feed = feeds().at(static_cast<std::size_t>(state.range(0)));
    QString outcome;
    for (auto _ : state) {
        try {
            const Appcast appcast = Appcast::parse(feed.document);
            outcome = QStringLiteral("%1 items").arg(appcast.items.size() + appcast.skippedItemCount);
        } catch (const AppUpdaterError &) {
            outcome = QStringLiteral("refused");
        }
    }
    state.SetLabel(QStringLiteral("%1 (%2 KiB): %3")
                       .arg(QLatin1String(feed.name))
                       .arg(feed.document.size() / 1024)
                       .arg(outcome)
                       .toStdString());
}

// How long a quit waits while a feed is read on the worker: each iteration starts this
// program again, which starts reading the feed, ends the application as main() does 20 ms
// later, and reports how long the end took (wall time).
void BM_QuitWhileReadingFeed(benchmark::State &state)
{
    const int index = static_cast<int>(state.range(0));
    state.SetLabel(feeds().at(static_cast<std::size_t>(index)).name);
    timeQuitInFreshProcesses(state, index);
}

void quitWhileReadingInThisProcess(int index)
{
    auto reading = [](QByteArray document) -> QCoro::Task<void> {
        try {
            co_await Appcast::read(std::move(document), CancellationToken());
        } catch (const std::exception &) { }
    };
    QCoro::Task<void> task = reading(feeds().at(static_cast<std::size_t>(index)).document);
    QThread::msleep(20);
    QElapsedTimer quitting;
    quitting.start();
    finishApplicationWork(0);
    std::printf("%.6f", static_cast<double>(quitting.nsecsElapsed()) / 1e9);
}

} // namespace

BENCHMARK(BM_ReadFeedOnWorker)->DenseRange(0, 12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuitWhileReadingFeed)->Arg(0)->Arg(6)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QString quitWhileReading = QStringLiteral("--quit-while-reading=");
    const QString argument = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (argument.startsWith(quitWhileReading)) {
        // Ends the application itself.
        quitWhileReadingInThisProcess(argument.mid(quitWhileReading.size()).toInt());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    finishApplicationWork(0);
    return 0;
}
