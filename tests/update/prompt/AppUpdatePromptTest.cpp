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
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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

TEST_F(AppUpdatePromptTest, NotesNeverLoadWhatTheyReferToNorFollowLinks)
{
    ServiceStandIn standIn;
    QTemporaryDir folder;
    const QString redImage = folder.filePath(QStringLiteral("red.png"));
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(redImage));
    QFile redStyle(folder.filePath(QStringLiteral("red.css")));
    ASSERT_TRUE(redStyle.open(QIODevice::WriteOnly));
    redStyle.write("p { background-color: #ff0000; }");
    redStyle.close();
    const UrlRecorder urls;

    const QString html
        = QStringLiteral("<html><head><link rel=\"stylesheet\" href=\"%1\">"
                         "<link rel=\"stylesheet\" type=\"text/css\" href=\"%5\"></head><body>"
                         "<p>Local <img src=\"%2\" width=\"40\" height=\"40\"> and remote <img src=\"%3\" width=\"40\" "
                         "height=\"40\"></p>"
                         "<p><a href=\"%4\">Read more</a></p></body></html>")
              .arg(standIn.url(QStringLiteral("/style.css")).toString(), QUrl::fromLocalFile(redImage).toString(),
                  standIn.url(QStringLiteral("/red.png")).toString(), standIn.url(QStringLiteral("/more")).toString(),
                  redStyle.fileName());
    show(makeReleaseNotes(html, QStringLiteral("HTML")));
    QWidget *panel = controller.panel();
    auto *browser = child<ReleaseNotesBrowser>(panel, "app-update-release-notes-text");
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(waitUntil([&] { return browser->toPlainText().contains(QStringLiteral("Read more")); }));

    // No pixel of the local image or the local style sheet's background is drawn.
    const QImage shown = browser->viewport()->grab().toImage();
    int redPixels = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QColor pixel = shown.pixelColor(x, y);
            redPixels += pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60;
        }
    }
    EXPECT_EQ(redPixels, 0);

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
    EXPECT_EQ(standIn.requestCount(), 0);
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
    const QList<ReleaseNotes> tooMuch{
        // 225 bytes take a quarter of a second to lay out, 300 bytes seven, 4500 never finish.
        {Format::html, repeated("<table><tr><td>", 15)},
        {Format::html, repeated("<table><tr><td>", 20)},
        {Format::html, repeated("<table><tr><td>", 300)},
        {Format::markdown, QStringLiteral("# Fixes\n\n") + nestedTables},
        {Format::html, manyRows + QStringLiteral("</table>")},
        // Lengths that overflow the layout's coordinates hang it.
        {Format::html, QStringLiteral("<table cellpadding=\"100000000\"><tr><td>x</td></tr></table>")},
        {Format::html, QStringLiteral("<table style=\"margin: 100000000px\"><tr><td>x</td></tr></table>")},
        // Reading deeply nested markup is slow already.
        {Format::html, repeated("<b>", 2500) + QStringLiteral("bold")},
    };
    for (const ReleaseNotes &notes : tooMuch) {
        showNotes(browser, notes);
        ASSERT_EQ(browser.toPlainText().toStdString(), notes.text.toStdString());
        // Laid out and drawn at once.
        browser.viewport()->grab();
    }

    // Text beyond the limit is cut, at a character boundary.
    const QString longNotes = repeated("<p>Reads dialogue faster.</p>\n", 2000) + QStringLiteral("<p>The end</p>");
    showNotes(browser, ReleaseNotes{Format::html, longNotes});
    EXPECT_EQ(browser.toPlainText(), longNotes.left(maximumShownReleaseNotesLength) + QStringLiteral("\u2026"));
    const QString emoji = QStringLiteral("\U0001F600");
    const QString longPlain = QString(maximumShownReleaseNotesLength - 1, QLatin1Char('a')) + emoji + emoji;
    showNotes(browser, ReleaseNotes{Format::plainText, longPlain});
    EXPECT_EQ(browser.toPlainText(), longPlain.left(maximumShownReleaseNotesLength - 1) + QStringLiteral("\u2026"));

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
