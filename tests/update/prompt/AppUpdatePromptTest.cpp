// Test label: ui
#include "brand/BrandIcons.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TestScreenshots.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"
#include "update/prompt/ReleaseNotesDocument.h"
#include "update/updater/AppUpdateUserDriving.h"

#include <QApplication>
#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace veyra;
using namespace veyra::test;
using Format = ReleaseNotes::Format;

namespace {

const AvailableAppUpdate offered{QStringLiteral("1.3.0"), QStringLiteral("130")};
const AppVersionInfo running{QStringLiteral("1.2.0"), QStringLiteral("120")};

// Counts the URLs Qt would hand to the desktop.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    UrlRecorder()
    {
        for (const char *scheme : {"http", "https", "file"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
        }
    }
    ~UrlRecorder() override
    {
        for (const char *scheme : {"http", "https", "file"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }

    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

template <typename T>
T *child(QWidget *root, const char *name)
{
    return root ? root->findChild<T *>(QString::fromLatin1(name)) : nullptr;
}

QString labelText(QWidget *root, const char *name)
{
    const QLabel *label = child<QLabel>(root, name);
    return label ? label->text() : QString();
}

// Which of the three release-notes panes is shown.
QString notesPane(QWidget *panel)
{
    auto *stack = child<QWidget>(panel, "app-update-release-notes")->findChild<QStackedWidget *>();
    const QWidget *current = stack->currentWidget();
    if (current->objectName() == QLatin1String("app-update-release-notes-text")) {
        return QStringLiteral("loaded");
    }
    if (current->objectName() == QLatin1String("app-update-release-notes-loading")) {
        return QStringLiteral("loading");
    }
    return current->findChild<QLabel *>(QStringLiteral("app-update-release-notes-unavailable"))
        ? QStringLiteral("unavailable")
        : QString();
}

class AppUpdatePromptTest : public ::testing::Test
{
protected:
    void SetUp() override { QApplication::setWindowIcon(veyraApplicationIcon()); }

    void show(std::optional<ReleaseNotes> notes, std::optional<AppVersionInfo> version = running)
    {
        controller.show(
            offered, version, std::move(notes), [this](AppUpdatePromptChoice choice) { answers << choice; });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel()));
    }

    AppUpdatePromptController controller;
    QList<AppUpdatePromptChoice> answers;
};

TEST_F(AppUpdatePromptTest, OffersTheUpdateWithTheRunningVersionAndAnswersOnce)
{
    show(ReleaseNotes{Format::markdown, QStringLiteral("## Faster\n- Reads Korean dialogue better")});
    QWidget *panel = controller.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->objectName(), QStringLiteral("app-update-prompt"));
    EXPECT_EQ(panel->windowTitle(), softwareUpdateWindowTitle());
    EXPECT_EQ(panel->size(), QSize(680, 520));
    EXPECT_EQ(panel->minimumSize(), QSize(520, 400));
    EXPECT_EQ(labelText(panel, "app-update-title"), QStringLiteral("A new version of Veyra is available."));
    EXPECT_EQ(labelText(panel, "app-update-versions"), QStringLiteral("Veyra 1.3.0 is available. You have 1.2.0."));
    EXPECT_EQ(notesPane(panel), QStringLiteral("loaded"));
    // Markdown is read on a worker and shows a little later.
    EXPECT_TRUE(waitUntil([&] {
        return child<ReleaseNotesBrowser>(panel, "app-update-release-notes-text")
            ->toPlainText()
            .contains(QStringLiteral("Reads Korean dialogue better"));
    }));
    saveScreenshot(*panel, QStringLiteral("app-update-prompt-notes.png"));

    // A second offer while the window is open only brings it forward; it is declined.
    QList<AppUpdatePromptChoice> second;
    controller.show(AvailableAppUpdate{QStringLiteral("9.0"), QStringLiteral("900")}, running, std::nullopt,
        [&](AppUpdatePromptChoice choice) { second << choice; });
    EXPECT_EQ(controller.panel(), panel);
    EXPECT_EQ(controller.model()->update(), offered);
    EXPECT_EQ(second, QList<AppUpdatePromptChoice>{AppUpdatePromptChoice::cancel});

    // Return installs; the window closes; a further click does nothing.
    const QPointer<QPushButton> install = child<QPushButton>(panel, "app-update-install");
    QTest::keyClick(child<ReleaseNotesBrowser>(panel, "app-update-release-notes-text"), Qt::Key_Return);
    EXPECT_EQ(answers, QList<AppUpdatePromptChoice>{AppUpdatePromptChoice::install});
    EXPECT_EQ(controller.panel(), nullptr);
    EXPECT_EQ(controller.model(), nullptr);
    controller.finish(AppUpdatePromptChoice::cancel);
    EXPECT_EQ(answers.size(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(install.isNull());
}

TEST_F(AppUpdatePromptTest, EscapeTheCancelButtonAndClosingTheWindowEachCancelOnce)
{
    show(std::nullopt);
    QTest::keyClick(child<QPushButton>(controller.panel(), "app-update-install"), Qt::Key_Escape);
    EXPECT_EQ(answers, QList<AppUpdatePromptChoice>(1, AppUpdatePromptChoice::cancel));
    EXPECT_EQ(controller.panel(), nullptr);
    show(std::nullopt);
    QTest::mouseClick(child<QPushButton>(controller.panel(), "app-update-cancel"), Qt::LeftButton);
    EXPECT_EQ(answers, QList<AppUpdatePromptChoice>(2, AppUpdatePromptChoice::cancel));
    EXPECT_EQ(controller.panel(), nullptr);
    show(std::nullopt);
    controller.panel()->close();
    EXPECT_EQ(answers, QList<AppUpdatePromptChoice>(3, AppUpdatePromptChoice::cancel));
    EXPECT_EQ(controller.panel(), nullptr);

    // The updater's end of the cycle closes the window without an answer.
    show(std::nullopt);
    const QPointer<QWidget> panel = controller.panel();
    controller.dismiss();
    EXPECT_FALSE(panel && panel->isVisible());
    EXPECT_EQ(answers.size(), 3);
    EXPECT_FALSE(controller.hasCompletion());
}

TEST_F(AppUpdatePromptTest, ReleaseNotesLoadThenShowOrAreUnavailable)
{
    show(std::nullopt, std::nullopt);
    QWidget *panel = controller.panel();
    // Without a running version the second placeholder is an en dash.
    EXPECT_EQ(labelText(panel, "app-update-versions"), QStringLiteral("Veyra 1.3.0 is available. You have \u2013."));
    EXPECT_EQ(notesPane(panel), QStringLiteral("loading"));
    saveScreenshot(*panel, QStringLiteral("app-update-prompt-loading.png"));
    controller.model()->setReleaseNotes(ReleaseNotes{Format::plainText, QStringLiteral("Fixes.")});
    EXPECT_EQ(notesPane(panel), QStringLiteral("loaded"));
    controller.model()->setReleaseNotes(std::nullopt);
    EXPECT_EQ(notesPane(panel), QStringLiteral("unavailable"));
    EXPECT_TRUE(controller.model()->releaseNotesFailed());
    EXPECT_EQ(
        labelText(panel, "app-update-release-notes-unavailable"), QStringLiteral("Release notes are unavailable."));
    saveScreenshot(*panel, QStringLiteral("app-update-prompt-unavailable.png"));

    // In Japanese every text of the window follows.
    controller.dismiss();
    setCurrentClientLanguage(ClientLanguage::japanese);
    show(ReleaseNotes{Format::plainText, QStringLiteral("読み取りの精度が上がりました。")});
    EXPECT_EQ(labelText(controller.panel(), "app-update-versions"),
        QStringLiteral("Veyra 1.3.0 が利用可能です。現在のバージョンは 1.2.0 です。"));
    saveScreenshot(*controller.panel(), QStringLiteral("app-update-prompt-ja.png"));
    setCurrentClientLanguage(ClientLanguage::english);
}

// A named pipe whose writer hands `contents` to whoever opens it for reading, and gives up
// when nobody has by the time it is destroyed. Reading it by its name blocks until then.
class NamedPipe
{
public:
    NamedPipe(const QString &path, QByteArray contents)
        : m_path(QFile::encodeName(path))
    {
        if (::mkfifo(m_path.constData(), 0600) != 0) {
            return;
        }
        m_writer = std::thread([this, contents = std::move(contents)] {
            const int descriptor = ::open(m_path.constData(), O_WRONLY | O_CLOEXEC);
            if (descriptor >= 0) {
                if (!m_released) {
                    m_read = true;
                    [[maybe_unused]] const auto written = ::write(descriptor, contents.constData(), contents.size());
                }
                ::close(descriptor);
            }
        });
    }
    ~NamedPipe()
    {
        if (m_writer.joinable()) {
            // Lets a writer that nobody met open, and end.
            m_released = true;
            const int reader = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            m_writer.join();
            if (reader >= 0) {
                ::close(reader);
            }
        }
    }
    NamedPipe(const NamedPipe &) = delete;
    NamedPipe &operator=(const NamedPipe &) = delete;

    bool exists() const { return m_writer.joinable(); }
    // Whether anybody opened it to read.
    bool wasRead() const { return m_read; }

private:
    QByteArray m_path;
    std::atomic<bool> m_released = false;
    std::atomic<bool> m_read = false;
    std::thread m_writer;
};

int redPixels(QWidget &widget)
{
    const QImage shown = widget.grab().toImage();
    int red = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            red += pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
        }
    }
    return red;
}

// Gives the browser the notes and waits until it shows them.
void showNotes(ReleaseNotesBrowser &browser, const ReleaseNotes &notes);

TEST_F(AppUpdatePromptTest, NotesNeverLoadWhatTheyReferToNorFollowLinks)
{
    ServiceStandIn standIn;
    QTemporaryDir folder;
    const QString redImage = folder.filePath(QStringLiteral("red.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(redImage));
    QByteArray redPNG;
    QBuffer redBuffer(&redPNG);
    ASSERT_TRUE(redBuffer.open(QIODevice::WriteOnly) && red.save(&redBuffer, "PNG"));
    const QByteArray redCSS = "p { background-color: #ff0000; }";
    QFile redStyle(folder.filePath(QStringLiteral("red.css")));
    ASSERT_TRUE(redStyle.open(QIODevice::WriteOnly));
    redStyle.write(redCSS);
    redStyle.close();
    // Named pipes: a read of them by name would block the GUI thread until something writes.
    const NamedPipe imagePipe(folder.filePath(QStringLiteral("pipe.png")), redPNG);
    const NamedPipe stylePipe(folder.filePath(QStringLiteral("pipe.css")), redCSS);
    const NamedPipe markdownPipe(folder.filePath(QStringLiteral("pipe-md.png")), redPNG);
    ASSERT_TRUE(imagePipe.exists() && stylePipe.exists() && markdownPipe.exists());
    // Relative names would be read from the working folder.
    const QString workingFolder = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const UrlRecorder urls;

    const auto image = [](const QString &source) {
        return QStringLiteral("<img src=\"%1\" width=\"40\" height=\"40\">").arg(source);
    };
    const auto styleSheet = [](const QString &reference) {
        return QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"%1\">").arg(reference);
    };
    const QString html = QStringLiteral("<html><head>")
        + styleSheet(standIn.url(QStringLiteral("/style.css")).toString()) + styleSheet(redStyle.fileName())
        + styleSheet(QStringLiteral("red.css")) + styleSheet(folder.filePath(QStringLiteral("pipe.css")))
        + QStringLiteral("</head><body><p>Local ") + image(redImage) + image(QUrl::fromLocalFile(redImage).toString())
        + image(QStringLiteral("red.png")) + image(folder.filePath(QStringLiteral("pipe.png")))
        + QStringLiteral(" and remote ") + image(standIn.url(QStringLiteral("/red.png")).toString())
        + QStringLiteral("</p><table background=\"%1\"><tr><td>cell</td></tr></table>").arg(redImage)
        + QStringLiteral("<p><a href=\"%1\">Read more</a></p></body></html>")
              .arg(standIn.url(QStringLiteral("/more")).toString());
    show(makeReleaseNotes(html, QStringLiteral("HTML")));
    QWidget *panel = controller.panel();
    auto *browser = child<ReleaseNotesBrowser>(panel, "app-update-release-notes-text");
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(waitUntil([&] { return browser->toPlainText().contains(QStringLiteral("Read more")); }));

    // No pixel of a local image or of a local style sheet's background is drawn.
    EXPECT_EQ(redPixels(*browser->viewport()), 0);

    // Clicking the link follows nothing.
    const QString before = browser->toHtml();
    QTextCursor insideLink(browser->document());
    insideLink.setPosition(browser->document()->find(QStringLiteral("Read more")).selectionStart() + 3);
    const QPoint onLink = browser->cursorRect(insideLink).center();
    ASSERT_FALSE(browser->anchorAt(onLink).isEmpty());
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, onLink);
    QCoreApplication::processEvents();
    EXPECT_EQ(browser->toHtml(), before);
    EXPECT_TRUE(urls.opened.isEmpty());

    // Images in Markdown neither.
    ReleaseNotesBrowser markdown;
    markdown.resize(600, 300);
    markdown.show();
    showNotes(markdown,
        ReleaseNotes{Format::markdown,
            QStringLiteral("Local ![a](%1) ![b](red.png) ![c](%2) ![d](%3)")
                .arg(redImage, folder.filePath(QStringLiteral("pipe-md.png")),
                    QUrl::fromLocalFile(redImage).toString())});
    EXPECT_EQ(redPixels(*markdown.viewport()), 0);

    EXPECT_FALSE(imagePipe.wasRead());
    EXPECT_FALSE(stylePipe.wasRead());
    EXPECT_FALSE(markdownPipe.wasRead());
    EXPECT_EQ(standIn.requestCount(), 0);
    QDir::setCurrent(workingFolder);
}

// Gives the browser the notes and waits until it shows them.
void showNotes(ReleaseNotesBrowser &browser, const ReleaseNotes &notes)
{
    int shown = 0;
    const QMetaObject::Connection counting
        = QObject::connect(&browser, &ReleaseNotesBrowser::releaseNotesShown, [&shown] { ++shown; });
    browser.setReleaseNotes(notes);
    const bool arrived = waitUntil([&shown] { return shown > 0; }, 120000);
    QObject::disconnect(counting);
    ASSERT_TRUE(arrived);
}

// Whether the browser shows the notes' text as it stands, cut with an ellipsis or whole.
bool showsPlainText(const ReleaseNotesBrowser &browser, const QString &text)
{
    const QString shown = browser.toPlainText();
    if (shown == text) {
        return true;
    }
    return shown.endsWith(QStringLiteral("\u2026")) && shown.size() > 1 && text.startsWith(shown.chopped(1));
}

QString combiningMarks(int count)
{
    QString marks;
    for (int index = 0; index < count; ++index) {
        marks += QChar(0x0300 + index % 0x70);
    }
    return marks;
}

TEST(ReleaseNotesBrowserTest, NotesTooCostlyToLayOutShowAsPlainTextOthersRendered)
{
    ReleaseNotesBrowser browser;
    browser.document()->setDocumentMargin(16);
    browser.resize(600, 400);
    browser.show();
    const auto repeated = [](const char *piece, int times) { return QString::fromLatin1(piece).repeated(times); };
    const QString table = QStringLiteral("<table border=\"1\"><tr><td>%1</td><td>b</td></tr></table>");
    QString nestedTables = QStringLiteral("x");
    for (int level = 0; level < 20; ++level) {
        nestedTables = table.arg(nestedTables);
    }
    // Few tags, many cells (the rows and cells close themselves).
    QString manyRows = QStringLiteral("<table>");
    for (int row = 0; row < 400; ++row) {
        manyRows += QStringLiteral("<tr><td>%1").arg(row);
    }
    // Few cells, but much text laid out again at every level.
    QString wordsInTables = repeated("Reads the dialogue and translates it. ", 800);
    for (int level = 0; level < 8; ++level) {
        wordsInTables = QStringLiteral("<table><tr><td>%1</td></tr></table>").arg(wordsInTables);
    }
    const QList<ReleaseNotes> tooMuch{
        // 225 bytes take a quarter of a second to lay out, 300 bytes seven, 4500 never finish.
        {Format::html, repeated("<table><tr><td>", 15)},
        {Format::html, repeated("<table><tr><td>", 20)},
        {Format::html, repeated("<table><tr><td>", 300)},
        {Format::markdown, QStringLiteral("# Fixes\n\n") + nestedTables},
        {Format::html, manyRows + QStringLiteral("</table>")},
        {Format::html, wordsInTables},
        // Lengths that overflow the layout's coordinates hang it.
        {Format::html, QStringLiteral("<table cellpadding=\"100000000\"><tr><td>x</td></tr></table>")},
        {Format::html, QStringLiteral("<table style=\"margin: 100000000px\"><tr><td>x</td></tr></table>")},
        // Reading deeply nested markup is slow already.
        {Format::html, repeated("<b>", 2500) + QStringLiteral("bold")},
        // Text beyond the limit.
        {Format::html, repeated("<p>Reads dialogue faster.</p>\n", 2000) + QStringLiteral("<p>The end</p>")},
        {Format::plainText, repeated("Reads dialogue faster. ", 2000)},
        {Format::plainText, QString(maximumShownReleaseNotesLength * 2, QLatin1Char('w'))},
    };
    for (const ReleaseNotes &notes : tooMuch) {
        showNotes(browser, notes);
        EXPECT_TRUE(showsPlainText(browser, notes.text)) << notes.text.left(80).toStdString();
        EXPECT_LE(browser.toPlainText().size(), maximumShownReleaseNotesLength + 1);
        // Laid out and drawn at once.
        browser.viewport()->grab();
    }

    // A grapheme cluster shows at most its first few code units, however it is written.
    const QString cluster = QStringLiteral("a") + combiningMarks(3000);
    const QString shortCluster = cluster.left(maximumShownClusterLength);
    QString references;
    for (int index = 0; index < 3000; ++index) {
        references += QStringLiteral("&#x%1;").arg(0x0300 + index % 0x70, 0, 16);
    }
    QList<std::pair<ReleaseNotes, QString>> clusters{
        {{Format::html, QStringLiteral("<p>") + cluster + QStringLiteral("</p>")}, shortCluster},
        {{Format::html, QStringLiteral("<p>a") + references + QStringLiteral("</p>")}, shortCluster},
        {{Format::markdown, QStringLiteral("*") + cluster + QStringLiteral("* b")},
            shortCluster + QStringLiteral(" b")},
        {{Format::plainText, QStringLiteral("a") + combiningMarks(30 * 1024)}, shortCluster},
        {{Format::plainText, QStringLiteral("a") + combiningMarks(500) + QStringLiteral(" b")},
            shortCluster + QStringLiteral(" b")},
    };
    QString marksInTables = cluster;
    for (int level = 0; level < 8; ++level) {
        marksInTables = QStringLiteral("<table><tr><td>%1</td></tr></table>").arg(marksInTables);
    }
    // Too much to lay out: shown as plain text, whose clusters are cut as well.
    clusters.append({{Format::html, marksInTables}, withShortClusters(marksInTables)});
    for (const auto &[notes, shown] : clusters) {
        showNotes(browser, notes);
        EXPECT_EQ(browser.toPlainText().toStdString(), shown.toStdString());
    }
    // Emoji sequences and letters with their marks stay whole.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const QString whole = family
        + QStringLiteral(" e\u0301\u0323 \U0001F3F4\U000E0067\U000E0062\U000E0065\U000E006E\U000E0067\U000E007F");
    EXPECT_EQ(withShortClusters(whole), whole);

    // The cut falls on a character boundary.
    const QString emoji = QStringLiteral("\U0001F600");
    const QString longPlain = QString(maximumShownReleaseNotesLength - 1, QLatin1Char('a')) + emoji + emoji;
    EXPECT_EQ(shownReleaseNotesText(longPlain),
        longPlain.left(maximumShownReleaseNotesLength - 1) + QStringLiteral("\u2026"));
    showNotes(browser, ReleaseNotes{Format::plainText, emoji.repeated(20000)});
    EXPECT_FALSE(browser.toPlainText().chopped(1).back().isHighSurrogate());

    // Ordinary notes, tables and nesting included, are rendered as before.
    const QString ordinary = QStringLiteral("<h2>Veyra 1.3</h2><ul><li>Reads <b>Korean</b> better</li></ul>")
        + table.arg(table.arg(QStringLiteral("nested"))) + QStringLiteral("<table>")
        + repeated("<tr><td>a</td><td>b</td></tr>", 30) + QStringLiteral("</table>");
    showNotes(browser, ReleaseNotes{Format::html, ordinary});
    EXPECT_TRUE(browser.toPlainText().contains(QStringLiteral("Reads Korean better")));
    EXPECT_TRUE(browser.toPlainText().contains(QStringLiteral("nested")));
    EXPECT_FALSE(browser.toPlainText().contains(QLatin1Char('<')));
    EXPECT_EQ(browser.document()->documentMargin(), 16);
    browser.viewport()->grab();
}

TEST(ReleaseNotesTest, ReadsTheFormatAndTheCharset)
{
    const auto format = [](const char *name) {
        return makeReleaseNotes(QStringLiteral(" notes \n"), QString::fromLatin1(name))->format;
    };
    EXPECT_EQ(format("HTML"), Format::html);
    // Downloaded HTML is HTML too, not its source shown as text.
    EXPECT_EQ(format("text/html; charset=utf-8"), Format::html);
    EXPECT_EQ(format("application/xhtml+xml"), Format::html);
    EXPECT_EQ(format("text/markdown"), Format::markdown);
    EXPECT_EQ(format("markdown"), Format::markdown);
    EXPECT_EQ(format("plain-text"), Format::plainText);
    EXPECT_EQ(format("text/htmlx"), Format::plainText);
    EXPECT_EQ(makeReleaseNotes(QStringLiteral("x"), std::nullopt)->format, Format::plainText);
    EXPECT_EQ(makeReleaseNotes(QStringLiteral(" notes \n"), std::nullopt)->text, QStringLiteral("notes"));
    EXPECT_EQ(makeReleaseNotes(QStringLiteral(" \n\t "), QStringLiteral("html")), std::nullopt);

    UpdateDownloadData data;
    data.data = QStringLiteral("Größer").toLatin1();
    data.textEncodingName = QStringLiteral("ISO-8859-1");
    data.mimeType = QStringLiteral("text/plain");
    EXPECT_EQ(makeReleaseNotes(data)->text, QStringLiteral("Größer"));
    // Not valid UTF-8 without a charset: nothing.
    data.textEncodingName.reset();
    EXPECT_EQ(makeReleaseNotes(data), std::nullopt);
    // An unknown charset means UTF-8.
    data.data = QStringLiteral("더 빠르게").toUtf8();
    data.textEncodingName = QStringLiteral("x-unknown");
    EXPECT_EQ(makeReleaseNotes(data)->text, QStringLiteral("더 빠르게"));
    data.data = "   ";
    EXPECT_EQ(makeReleaseNotes(data), std::nullopt);
}

} // namespace

#include "AppUpdatePromptTest.moc"
