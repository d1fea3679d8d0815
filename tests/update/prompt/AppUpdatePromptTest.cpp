// Test label: ui
#include "brand/BrandIcons.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "support/RunTask.h"
#include "support/ServiceStandIn.h"
#include "support/TestPaths.h"
#include "support/TestScreenshots.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/ReleaseNotes.h"
#include "update/prompt/ReleaseNotesBrowser.h"
#include "update/prompt/ReleaseNotesContent.h"
#include "update/prompt/ReleaseNotesDocument.h"
#include "update/prompt/ReleaseNotesLayout.h"
#include "update/prompt/ReleaseNotesMarkdown.h"
#include "update/updater/AppUpdateUserDriving.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QGlyphRun>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QScrollBar>
#include <QSemaphore>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextList>
#include <QTextTable>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <memory>
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
    // One line shows no scroll bar; it is wrapped where it would be beside one.
    auto *browser = child<ReleaseNotesBrowser>(controller.panel(), "app-update-release-notes-text");
    ASSERT_TRUE(waitUntil([&] { return !browser->toPlainText().isEmpty(); }));
    giveRemainingTurns();
    EXPECT_FALSE(browser->verticalScrollBar()->isVisible());
    EXPECT_EQ(browser->document()->pageSize().width(),
        browser->viewport()->width() - browser->verticalScrollBar()->sizeHint().width());
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

    // The link is its text: clicking it follows nothing.
    const QString before = browser->toHtml();
    QTextCursor insideLink(browser->document());
    insideLink.setPosition(browser->document()->find(QStringLiteral("Read more")).selectionStart() + 3);
    const QPoint onLink = browser->cursorRect(insideLink).center();
    EXPECT_TRUE(browser->anchorAt(onLink).isEmpty());
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

QString combiningMarks(int count)
{
    QString marks;
    for (int index = 0; index < count; ++index) {
        marks += QChar(0x0300 + index % 0x70);
    }
    return marks;
}

QString words(qsizetype length)
{
    static const QString sentence = QStringLiteral("Veyra reads the dialogue of the game and translates it. ");
    QString text = sentence.repeated(length / sentence.size() + 1);
    text.truncate(length);
    return text;
}

// The block whose text is `text`, or an invalid one.
QTextBlock blockWithText(const QTextDocument &document, const QString &text)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text() == text) {
            return block;
        }
    }
    return {};
}

// The character format of the text `text` in the document.
QTextCharFormat formatOf(QTextDocument &document, const QString &text)
{
    const QTextCursor found = document.find(text);
    if (found.isNull()) {
        return {};
    }
    QTextCursor inside(&document);
    inside.setPosition(found.selectionStart() + 1);
    return inside.charFormat();
}

QList<QTextTable *> tablesOf(QTextFrame &frame)
{
    QList<QTextTable *> tables;
    for (QTextFrame *child : frame.childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(child)) {
            tables.append(table);
        }
        tables += tablesOf(*child);
    }
    return tables;
}

// What every shown document keeps to, whatever the notes: no image, no length of the notes'
// own (sizes, margins, indents, line heights), lists at most a few deep, no table in a table,
// and a bounded length; so its height follows from its text.
void expectOnlyOwnFormatting(QTextDocument &document, const std::string &notes)
{
    SCOPED_TRACE(notes.substr(0, 80));
    EXPECT_LE(document.characterCount(), maximumReleaseNotesWeight + 2);
    EXPECT_FALSE(document.toRawText().contains(QChar::ObjectReplacementCharacter));
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        EXPECT_LE(format.indent(), maximumReleaseNotesListDepth);
        EXPECT_LE(format.topMargin() + format.bottomMargin() + format.leftMargin() + format.rightMargin(), 20);
        EXPECT_FALSE(format.hasProperty(QTextFormat::LineHeight));
        EXPECT_FALSE(format.hasProperty(QTextFormat::BlockQuoteLevel));
        if (block.textList()) {
            EXPECT_LE(block.textList()->format().indent(), maximumReleaseNotesListDepth);
        }
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat characters = fragment.fragment().charFormat();
            EXPECT_FALSE(characters.isImageFormat());
            EXPECT_FALSE(characters.hasProperty(QTextFormat::FontPointSize));
            EXPECT_FALSE(characters.hasProperty(QTextFormat::FontPixelSize));
            EXPECT_LE(characters.property(QTextFormat::FontSizeAdjustment).toInt(), 2);
            EXPECT_FALSE(characters.isAnchor());
        }
    }
    for (QTextTable *table : tablesOf(*document.rootFrame())) {
        EXPECT_TRUE(table->childFrames().isEmpty());
        EXPECT_LE(table->columns(), maximumReleaseNotesTableColumns);
    }
    // Laid out, it is no taller than a line for each character would make it.
    document.setTextWidth(600);
    EXPECT_LT(document.size().height(), 40.0 * (document.characterCount() + 10));
}

TEST(ReleaseNotesBrowserTest, OrdinaryNotesShowFormattedFromTheFirstShow)
{
    // The first notes this process shows: nothing about their formatting depends on how
    // long anything took.
    ReleaseNotesBrowser browser;
    browser.document()->setDocumentMargin(16);
    browser.resize(600, 400);
    browser.show();

    showNotes(browser,
        ReleaseNotes{Format::html, QStringLiteral("<h2>Veyra 1.3</h2><ul><li>Reads <b>Korean</b> better</li></ul>")});
    QTextDocument &shown = *browser.document();
    EXPECT_EQ(shown.toPlainText(), QStringLiteral("Veyra 1.3\nReads Korean better"));
    EXPECT_EQ(blockWithText(shown, QStringLiteral("Veyra 1.3")).blockFormat().headingLevel(), 2);
    EXPECT_EQ(formatOf(shown, QStringLiteral("Veyra")).fontWeight(), QFont::Bold);
    ASSERT_NE(blockWithText(shown, QStringLiteral("Reads Korean better")).textList(), nullptr);
    EXPECT_EQ(formatOf(*browser.document(), QStringLiteral("Korean")).fontWeight(), QFont::Bold);
    EXPECT_NE(formatOf(*browser.document(), QStringLiteral("better")).fontWeight(), QFont::Bold);
    EXPECT_EQ(browser.document()->documentMargin(), 16);
    expectOnlyOwnFormatting(*browser.document(), "ordinary HTML");

    // Ten items of one list; the Korean and Japanese lists as well.
    QString tenItems = QStringLiteral("<ul>");
    for (int item = 1; item <= 10; ++item) {
        tenItems += QStringLiteral("<li>Fix number %1</li>").arg(item);
    }
    showNotes(browser, ReleaseNotes{Format::html, tenItems + QStringLiteral("</ul>")});
    ASSERT_NE(blockWithText(*browser.document(), QStringLiteral("Fix number 1")).textList(), nullptr);
    EXPECT_EQ(blockWithText(*browser.document(), QStringLiteral("Fix number 1")).textList()->count(), 10);
    QString japanese;
    for (int item = 1; item <= 20; ++item) {
        japanese += QStringLiteral("- 修正 %1: 台詞の読み取りが**速く**なりました\n").arg(item);
    }
    showNotes(browser, ReleaseNotes{Format::markdown, japanese});
    const QTextBlock firstJapanese
        = blockWithText(*browser.document(), QStringLiteral("修正 1: 台詞の読み取りが速くなりました"));
    ASSERT_NE(firstJapanese.textList(), nullptr);
    EXPECT_EQ(firstJapanese.textList()->count(), 20);
    EXPECT_EQ(formatOf(*browser.document(), QStringLiteral("速く")).fontWeight(), QFont::Bold);
    showNotes(browser,
        ReleaseNotes{Format::plainText, QStringLiteral("한국어 대사를 더 정확하게 읽습니다.\n번역이 빨라졌습니다.")});
    EXPECT_EQ(browser.toPlainText(), QStringLiteral("한국어 대사를 더 정확하게 읽습니다.\n번역이 빨라졌습니다."));
    // A script that no font of the database writes (Ethiopic has no writing system there)
    // keeps its text, but is not looked for in every installed font; Latin, Korean and
    // Japanese text is merged from the fonts that write it.
    showNotes(browser, ReleaseNotes{Format::plainText, QString::fromUtf8("Fixes ሰላም in 台詞 and 대사")});
    EXPECT_EQ(browser.toPlainText(), QString::fromUtf8("Fixes ሰላም in 台詞 and 대사"));
    EXPECT_EQ(formatOf(*browser.document(), QString::fromUtf8("ሰላም")).fontStyleStrategy(), QFont::NoFontMerging);
    for (const char *merged : {"Fixes", "台詞", "대사"}) {
        EXPECT_EQ(
            formatOf(*browser.document(), QString::fromUtf8(merged)).fontStyleStrategy() & QFont::NoFontMerging, 0)
            << merged;
    }
    // Whatever its emphasis, such text is plain, and so is what Qt lays out in its script (the
    // spaces and digits after it): a font is asked for each such script once, on each thread
    // that lays it out, and loaded on a turn of its own.
    showNotes(browser, ReleaseNotes{Format::markdown, QString::fromUtf8("## ሰላም\n\n**ሰላም** 7 *ᏣᎳᎩ* `ሰላም` ~~ሰላም~~")});
    EXPECT_EQ(browser.toPlainText(), QString::fromUtf8("ሰላም\nሰላም 7 ᏣᎳᎩ ሰላም ሰላም"));
    for (QTextBlock block = browser.document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            SCOPED_TRACE(fragment.fragment().text().toStdString());
            EXPECT_EQ(format.fontStyleStrategy(), QFont::NoFontMerging);
            EXPECT_NE(format.fontWeight(), QFont::Bold);
            EXPECT_FALSE(format.fontItalic());
            EXPECT_FALSE(format.hasProperty(QTextFormat::FontFamilies));
            EXPECT_FALSE(format.hasProperty(QTextFormat::FontSizeAdjustment));
        }
    }
    EXPECT_EQ(releaseNotesFaces(*browser.document()).size(), 2);

    // A changelog as release authors write one, of 500 items with code and links, in English
    // and in Japanese, and task items, is shown whole, as md4c reads it: every link as its
    // text, every task with its box.
    for (const char *item :
        {"Fixed `parser` crash %2 when reading", "`parser` で台詞を読み取るときに落ちる問題 %2 を修正しました"}) {
        QString notes;
        QStringList lines;
        for (int number = 0; number < 500; ++number) {
            const QString text = QString::fromUtf8(item).arg(number);
            notes += QStringLiteral("- [%1] %2 ([#%3](https://example.org/veyra/pull/%3))\n")
                         .arg(number % 2 ? QStringLiteral("x") : QStringLiteral(" "), text)
                         .arg(number);
            lines += (number % 2 ? QStringLiteral("\u2611 ") : QStringLiteral("\u2610 ")) + QString(text).remove(u'`')
                + QStringLiteral(" (#%1)").arg(number);
        }
        showNotes(browser, ReleaseNotes{Format::markdown, notes});
        const QStringList shown = browser.toPlainText().split(u'\n');
        EXPECT_EQ(shown.size(), lines.size()) << shown.last().toStdString();
        const auto differs = std::mismatch(lines.begin(), lines.end(), shown.begin(), shown.end());
        EXPECT_TRUE(differs.first == lines.end())
            << differs.first->toStdString() << " shows as "
            << (differs.second != shown.end() ? differs.second->toStdString() : std::string("nothing"));
    }

    // Markdown: headings, nested lists with their numbers, emphasis, code, struck text,
    // links as their text, images left out, tables.
    showNotes(browser,
        ReleaseNotes{Format::markdown,
            QStringLiteral("# Veyra 1.3\n\nReading is *faster*; see [the notes](https://veyra.example/notes) "
                           "and `--safe-mode`. ~~Reads old saves~~\n\n- Reads **Korean** better\n\n  3. Hangul in "
                           "titles\n  4. Hanja\n- Fixes ![screenshot](shot.png)a crash\n\n| Game | Speed |\n|---|---|\n"
                           "| Ys | 2x |\n\n```\nlog <b>line</b>\n```\n")});
    saveScreenshot(browser, QStringLiteral("release-notes-markdown.png"));
    QTextDocument &markdown = *browser.document();
    EXPECT_EQ(markdown.toPlainText().toStdString(),
        "Veyra 1.3\nReading is faster; see the notes and --safe-mode. Reads old saves\nReads Korean better\n3. Hangul "
        "in titles\n4. Hanja\nFixes a crash\nGame\nSpeed\nYs\n2x\nlog <b>line</b>");
    EXPECT_EQ(blockWithText(markdown, QStringLiteral("Veyra 1.3")).blockFormat().headingLevel(), 1);
    EXPECT_TRUE(formatOf(markdown, QStringLiteral("faster")).fontItalic());
    EXPECT_TRUE(formatOf(markdown, QStringLiteral("--safe-mode")).fontFixedPitch());
    EXPECT_TRUE(formatOf(markdown, QStringLiteral("Reads old saves")).fontStrikeOut());
    EXPECT_FALSE(formatOf(markdown, QStringLiteral("Reading")).fontStrikeOut());
    EXPECT_EQ(formatOf(markdown, QStringLiteral("Korean")).fontWeight(), QFont::Bold);
    // Numbered items carry their own numbers, indented as their list.
    const QTextBlock nested = blockWithText(markdown, QStringLiteral("4. Hanja"));
    EXPECT_EQ(nested.textList(), nullptr);
    EXPECT_EQ(nested.blockFormat().indent(), 2);
    ASSERT_NE(blockWithText(markdown, QStringLiteral("Fixes a crash")).textList(), nullptr);
    EXPECT_EQ(blockWithText(markdown, QStringLiteral("Fixes a crash")).textList()->count(), 2);
    const QList<QTextTable *> markdownTables = tablesOf(*markdown.rootFrame());
    ASSERT_EQ(markdownTables.size(), 1);
    EXPECT_EQ(markdownTables[0]->rows(), 2);
    EXPECT_EQ(markdownTables[0]->columns(), 2);
    EXPECT_EQ(formatOf(markdown, QStringLiteral("Game")).fontWeight(), QFont::Bold);
    EXPECT_TRUE(formatOf(markdown, QStringLiteral("log <b>")).fontFixedPitch());
    expectOnlyOwnFormatting(markdown, "ordinary Markdown");

    // A table of 30 rows; a table in it gives its text to the cell around it.
    const QString table = QStringLiteral("<table border=\"1\"><tr><th>%1</th><td>b</td></tr></table>");
    showNotes(browser,
        ReleaseNotes{Format::html,
            table.arg(table.arg(QStringLiteral("nested"))) + QStringLiteral("<table>")
                + QStringLiteral("<tr><td>a</td><td>b</td></tr>").repeated(30) + QStringLiteral("</table>")});
    const QList<QTextTable *> tables = tablesOf(*browser.document()->rootFrame());
    ASSERT_EQ(tables.size(), 2);
    EXPECT_EQ(tables[0]->rows(), 1);
    EXPECT_EQ(tables[0]->cellAt(0, 0).firstCursorPosition().block().text(), QStringLiteral("nested b"));
    EXPECT_EQ(tables[1]->rows(), 30);
    EXPECT_EQ(tables[1]->columns(), 2);
    EXPECT_EQ(formatOf(*browser.document(), QStringLiteral("nested")).fontWeight(), QFont::Bold);
    expectOnlyOwnFormatting(*browser.document(), "tables");
    browser.viewport()->grab();
}

TEST(ReleaseNotesBrowserTest, NotesShowWhatTheySayAsBrowsersAndMarkdownReadIt)
{
    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    const QString styleSheet = QStringLiteral("p.note { color: #333; margin: 0 }\n").repeated(1200);
    struct Case
    {
        ReleaseNotes notes;
        QString shown;
        // A text of it that shows struck, or bold, when given.
        QString struck = {};
        QString bold = {};
    };
    const QList<Case> cases{
        // A '<' that opens no tag is text.
        {{Format::markdown, QStringLiteral("Map<String, Int> types")}, QStringLiteral("Map<String, Int> types")},
        {{Format::markdown, QStringLiteral("a<b, then c>d")}, QStringLiteral("a<b, then c>d")},
        {{Format::html, QStringLiteral("a < b, <3 and a<b, then c>d")}, QStringLiteral("a < b, <3 and ad")},
        {{Format::html, QStringLiteral("x<b,>y</b,>z")}, QStringLiteral("xyz"), {}, {}},
        {{Format::markdown, QStringLiteral("~~Removed the old OCR engine~~ kept")},
            QStringLiteral("Removed the old OCR engine kept"), QStringLiteral("Removed")},
        {{Format::html, QStringLiteral("<p><del>Old</del> <s>engine</s> new")}, QStringLiteral("Old engine new"),
            QStringLiteral("engine")},
        // Numbered lists keep their numbers.
        {{Format::markdown, QStringLiteral("3. three\n4. four")}, QStringLiteral("3. three\n4. four")},
        {{Format::html, QStringLiteral("<ol start=5><li>five<li>six</ol>")}, QStringLiteral("5. five\n6. six")},
        {{Format::html, QStringLiteral("<ol><li>one<li value=\"9\">nine<li>ten</ol>")},
            QStringLiteral("1. one\n9. nine\n10. ten")},
        {{Format::html, QStringLiteral("<ol start=\" -2x\" start=7><li>a<li>b</ol>")}, QStringLiteral("-2. a\n-1. b")},
        // Character references as browsers read them.
        {{Format::html, QStringLiteral("&#150; &#128;&#x99; &amp &copy2024 &notit; &AMP; &ampx;")},
            QStringLiteral("\u2013 \u20AC\u2122 & \u00A92024 \u00ACit; & &x;")},
        {{Format::markdown, QStringLiteral("&copy; &#150; &nosuch;")}, QStringLiteral("\u00A9 \u2013 &nosuch;")},
        // Comments that close at once, NUL.
        {{Format::html, QStringLiteral("a<!-->b<!--->c<!-- x --!>d<!-- y -->e")}, QStringLiteral("abcde")},
        {{Format::html, QStringLiteral("a") + QChar(0) + QStringLiteral("b")}, QStringLiteral("ab")},
        // What <xmp> and <plaintext> hold is text.
        {{Format::html, QStringLiteral("<xmp><b>x</b> &amp;</xmp>after")}, QStringLiteral("<b>x</b> &amp;\nafter")},
        {{Format::html, QStringLiteral("<p>a<plaintext><p>rest &amp; </plaintext>")},
            QStringLiteral("a\n<p>rest &amp; </plaintext>")},
        // Quoted attribute values, scripts and style sheets are no text.
        {{Format::html, QStringLiteral("<p title=\"a>b\" class='c>d'>text</p>")}, QStringLiteral("text")},
        {{Format::html, QStringLiteral("<script>document.write(\"<p>x</p>\")</script><p>Notes")},
            QStringLiteral("Notes")},
        {{Format::html,
             QStringLiteral("<html><head><style>") + styleSheet
                 + QStringLiteral("</style></head><body><h2>Veyra 1.3</h2><p>Notes</p></body></html>")},
            QStringLiteral("Veyra 1.3\nNotes"), {}, QStringLiteral("Veyra")},
        // A list item's marker goes with its first block, code too.
        {{Format::markdown, QStringLiteral("1. ```\n   code\n   ```\n   after\n2. two")},
            QStringLiteral("1. code\nafter\n2. two")},
        {{Format::html, QStringLiteral("<ol><li><pre>code</pre>after<li>two</ol>")},
            QStringLiteral("1. code\nafter\n2. two")},
        // Task lists show their boxes, numbers keep the ')' they are written with.
        {{Format::markdown, QStringLiteral("- [ ] open\n- [x] done\n\n10) ten\n11) [X] eleven")},
            QStringLiteral("\u2610 open\n\u2611 done\n10) ten\n11) \u2611 eleven")},
        // Every space of a code span shows; what a script or a style sheet among the text
        // holds does not.
        {{Format::markdown, QStringLiteral("a ` b` c <script>alert(1)</script> d <style>p { }</style>e")},
            QStringLiteral("a  b c d e")},
        // What a browser does not show counts against nothing that is shown: a long style
        // sheet or script, and tens of thousands of tags, before the notes, in HTML and in
        // Markdown.
        {{Format::html,
             QStringLiteral("<html><head><style>") + styleSheet.repeated(8) + QStringLiteral("</style><script>")
                 + QStringLiteral("if (a < b) { c = d; }\n").repeated(15000) + QStringLiteral("</script></head><body>")
                 + QStringLiteral("<span class=\"x\"></span>").repeated(20000)
                 + QStringLiteral("<h2>Veyra 1.3</h2><p>Notes</p></body></html>")},
            QStringLiteral("Veyra 1.3\nNotes"), {}, QStringLiteral("Veyra")},
        {{Format::markdown,
             QStringLiteral("<style>\n") + styleSheet + QStringLiteral("</style>\n\n## Veyra 1.3\n\nNotes")},
            QStringLiteral("Veyra 1.3\nNotes"), {}, QStringLiteral("Veyra")},
        // HTML in Markdown: a block as HTML is read, tags among the text for what they mean.
        {{Format::markdown,
             QStringLiteral("<div>\n<script>alert(1)</script><b>Bold</b> &amp; more\n</div>\n\nA <b>Bold</b>, "
                            "<!-- c --> <img src=x> d<br>  e")},
            QStringLiteral("Bold & more\nA Bold, d\ne"), {}, QStringLiteral("Bold")},
    };
    for (const Case &each : cases) {
        SCOPED_TRACE(each.notes.text.left(80).toStdString());
        showNotes(browser, each.notes);
        EXPECT_EQ(browser.toPlainText().toStdString(), each.shown.toStdString());
        QTextDocument &shown = *browser.document();
        if (!each.struck.isEmpty()) {
            EXPECT_TRUE(formatOf(shown, each.struck).fontStrikeOut());
        }
        if (!each.bold.isEmpty()) {
            EXPECT_EQ(formatOf(shown, each.bold).fontWeight(), QFont::Bold);
        }
        for (QTextBlock block = shown.begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QTextCharFormat characters = fragment.fragment().charFormat();
                const QString text = fragment.fragment().text();
                // Nothing else shows bold or struck.
                const auto isPartOf = [&text](const QString &formatted) {
                    return !formatted.isEmpty() && (formatted.contains(text) || text.contains(formatted));
                };
                EXPECT_TRUE(characters.fontWeight() != QFont::Bold || isPartOf(each.bold))
                    << text.toStdString() << " shows bold";
                EXPECT_TRUE(!characters.fontStrikeOut() || isPartOf(each.struck))
                    << text.toStdString() << " shows struck";
            }
        }
    }
}

TEST(ReleaseNotesBrowserTest, TheCodeBlockThatStartsAListItemIsCodeWithTheItemsMarker)
{
    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    for (const ReleaseNotes &notes :
        {ReleaseNotes{Format::markdown, QStringLiteral("- first\n\n  ```\n  code\n  ```\n3. ```\n   numbered\n   ```")},
            ReleaseNotes{Format::html,
                QStringLiteral("<ul><li>first<pre>code</pre></ul><ol start=3><li><pre>numbered</pre></ol>")}}) {
        SCOPED_TRACE(notes.text.toStdString());
        showNotes(browser, notes);
        QTextDocument &shown = *browser.document();
        EXPECT_EQ(browser.toPlainText().toStdString(), "first\ncode\n3. numbered");
        // A later code block of an item is indented as the item, the first carries its marker.
        EXPECT_EQ(blockWithText(shown, QStringLiteral("code")).blockFormat().indent(), 1);
        EXPECT_TRUE(formatOf(shown, QStringLiteral("code")).fontFixedPitch());
        EXPECT_TRUE(formatOf(shown, QStringLiteral("numbered")).fontFixedPitch());
        EXPECT_FALSE(formatOf(shown, QStringLiteral("3.")).fontFixedPitch());
        EXPECT_EQ(blockWithText(shown, QStringLiteral("3. numbered")).blockFormat().indent(), 1);
    }
}

// The family of the font that shows the character at `position` of the block ("" for a box
// that Qt draws itself for no font).
QString familyShowing(const QTextBlock &block, int position)
{
    const int length = block.text().at(position).isHighSurrogate() ? 2 : 1;
    QString family;
    for (const QGlyphRun &glyphs : block.layout()->glyphRuns(position, length)) {
        // What Qt draws for no font has no tables, and no family it can name.
        if (!glyphs.rawFont().fontTable("head").isEmpty()) {
            family = glyphs.rawFont().familyName();
        }
    }
    return family;
}

// The family of the font that shows the first character of `text` in the document.
QString familyShowing(QTextDocument &document, const QString &text)
{
    document.documentLayout()->documentSize();
    const QTextCursor found = document.find(text);
    if (found.isNull()) {
        return QStringLiteral("(no %1)").arg(text);
    }
    return familyShowing(found.block(), found.selectionStart() - found.block().position());
}

// The families of the fonts that show the document's characters, one for each, in the order
// of its text; "\n" for each line separator and the end of each block.
QStringList familiesShowing(QTextDocument &document)
{
    document.documentLayout()->documentSize();
    QStringList families;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        for (int position = 0; position < text.size(); ++position) {
            if (text.at(position) == QChar::LineSeparator) {
                families.append(QStringLiteral("\n"));
            } else if (!text.at(position).isLowSurrogate()) {
                families.append(familyShowing(block, position));
            }
        }
        families.append(QStringLiteral("\n"));
    }
    return families;
}

TEST(ReleaseNotesBrowserTest, EachScriptShowsInTheFontQtShowsItInWhichItsTextNamesFirst)
{
    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    // Japanese, Korean with Hanja, Latin, Greek, Cyrillic, Hebrew and Arabic, symbols and
    // emoji, among spaces, digits and punctuation, which a line may start with.
    const QString text = QString::fromUtf8(
        "修正 1: 韓国語の台詞の読み取りが速くなりました。\n"
        "한국어 대사를 더 정확하게 읽습니다 (漢字)\n"
        "Fixes Ελληνικά, русский, עברית and حوار ✈ ⨌ 👨‍👩‍👧 in 1.3\n"
        "「始め」の台詞");
    showNotes(browser, ReleaseNotes{Format::plainText, text});
    QTextDocument &shown = *browser.document();
    ASSERT_EQ(browser.toPlainText(), text);
    // The same text as Qt shows it by itself.
    QTextDocument plain;
    plain.setDefaultFont(shown.defaultFont());
    plain.setPlainText(text);
    plain.setTextWidth(shown.textWidth());
    const QStringList shownFamilies = familiesShowing(shown);
    const QStringList plainFamilies = familiesShowing(plain);
    ASSERT_EQ(shownFamilies.size(), plainFamilies.size());
    // A script's characters show in the font Qt shows them in; what all scripts share
    // (spaces, digits, punctuation) in that font too, or in that of the script before it.
    QString scriptFamily;
    qsizetype character = 0;
    for (qsizetype at = 0; at < text.size(); ++character) {
        const char32_t code = text.at(at).isHighSurrogate() ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                                                            : text.at(at).unicode();
        const QString shownCharacter = text.mid(at, QChar::requiresSurrogates(code) ? 2 : 1);
        at += shownCharacter.size();
        const QString family = shownFamilies.value(character);
        if (QChar::script(code) == QChar::Script_Common || QChar::script(code) == QChar::Script_Inherited) {
            EXPECT_TRUE(family == plainFamilies.value(character) || family == scriptFamily)
                << shownCharacter.toStdString() << " shows in " << family.toStdString() << ", not in "
                << plainFamilies.value(character).toStdString() << " nor " << scriptFamily.toStdString();
        } else {
            EXPECT_EQ(family.toStdString(), plainFamilies.value(character).toStdString())
                << shownCharacter.toStdString();
            scriptFamily = family;
        }
    }
    // Text that Qt shows in a font other than the one asked for names that font first, so
    // that the GUI thread loads it at once and looks at no other; the rest names none.
    const QString latinFamily = familyShowing(shown, QStringLiteral("Fixes"));
    for (const char *piece : {"韓国語", "대사", "漢字", "Ελληνικά", "русский", "עברית", "حوار", "「始め」"}) {
        const QString pieceText = QString::fromUtf8(piece);
        const QString family = familyShowing(shown, pieceText);
        const QTextCharFormat format = formatOf(shown, pieceText);
        if (family == latinFamily) {
            EXPECT_FALSE(format.hasProperty(QTextFormat::FontFamilies)) << piece;
        } else {
            EXPECT_EQ(format.fontFamilies().toStringList().value(0).toStdString(), family.toStdString()) << piece;
        }
    }
    EXPECT_NE(familyShowing(shown, QString::fromUtf8("台詞")), latinFamily);
    EXPECT_FALSE(formatOf(shown, QStringLiteral("Fixes")).hasProperty(QTextFormat::FontFamilies));

    // Bold and code text show in the fonts Qt shows them in for bold and code (for Han and
    // kana, code may show in fonts of its own).
    const QString japanese = QString::fromUtf8("台詞の読み取り");
    showNotes(
        browser, ReleaseNotes{Format::markdown, QStringLiteral("**%1** and **fast**; `%1` and `mono`").arg(japanese)});
    QTextDocument &markdown = *browser.document();
    EXPECT_EQ(formatOf(markdown, japanese).fontWeight(), QFont::Bold);
    markdown.documentLayout()->documentSize();
    const QTextCursor bold = markdown.find(japanese);
    const QTextCursor code = markdown.find(japanese, markdown.find(QStringLiteral(";")));
    ASSERT_FALSE(bold.isNull());
    ASSERT_FALSE(code.isNull());
    for (const auto &[latin, found] : {std::pair{"fast", bold}, std::pair{"mono", code}}) {
        QTextDocument alone;
        alone.setDefaultFont(formatOf(markdown, QString::fromLatin1(latin)).font());
        alone.setPlainText(japanese);
        alone.documentLayout()->documentSize();
        const int start = found.selectionStart() - found.block().position();
        for (int at = 0; at < japanese.size(); ++at) {
            EXPECT_EQ(
                familyShowing(found.block(), start + at).toStdString(), familyShowing(alone.begin(), at).toStdString())
                << latin << ": " << japanese.mid(at, 1).toStdString();
        }
    }
    EXPECT_NE(familyShowing(markdown, japanese), familyShowing(markdown, QStringLiteral("fast")));
}

// The fonts the browser loads one at a time before it lays notes out are those their text
// shows in: every font of the document's text is among them, each once whatever its size,
// with a sample of text in it, of whole characters.
TEST(ReleaseNotesBrowserTest, TheFontsLoadedBeforeTheLayoutAreThoseOfTheNotesText)
{
    const QString notes = QString::fromUtf8("## Veyra 1.3\n\n### 修正\n\n"
                                            "- 台詞の読み取りが**速く**なりました\n"
                                            "- `code` and **bold** and _italic_\n"
                                            "- ***x👨‍👩‍👧*** and 👨‍👩‍👧\n");
    QFont font = QApplication::font();
    font.setPixelSize(13);
    const std::unique_ptr<QTextDocument> document
        = makeReleaseNotesDocument(ReleaseNotes{Format::markdown, notes}, font, 8, QThread::currentThread());
    const QList<ReleaseNotesFace> faces = releaseNotesFaces(*document, 100);
    const auto sameFace = [](const QFont &one, const QFont &other) {
        return one.families() == other.families() && one.weight() == other.weight() && one.style() == other.style()
            && one.styleHint() == other.styleHint() && one.styleStrategy() == other.styleStrategy();
    };
    QStringList fragments;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.text().trimmed().isEmpty()) {
                continue;
            }
            fragments.append(fragment.text());
            const QFont shownIn = fragment.charFormat().font().resolve(document->defaultFont());
            const auto found = std::find_if(
                faces.begin(), faces.end(), [&](const ReleaseNotesFace &face) { return sameFace(face.font, shownIn); });
            ASSERT_NE(found, faces.end())
                << fragment.text().toStdString() << " in " << shownIn.toString().toStdString();
            // The sample is text of that font (its first characters in the notes).
            EXPECT_TRUE(document->toPlainText().contains(found->sample)) << found->sample.toStdString();
        }
    }
    // The heading of another size and the regular text share their faces; bold, italic,
    // code and Japanese text (in the font that shows it) have their own.
    for (qsizetype one = 0; one < faces.size(); ++one) {
        for (qsizetype other = one + 1; other < faces.size(); ++other) {
            EXPECT_FALSE(sameFace(faces[one].font, faces[other].font)) << faces[one].sample.toStdString();
        }
        EXPECT_FALSE(faces[one].sample.isEmpty());
        EXPECT_FALSE(faces[one].sample.back().isHighSurrogate()) << "a character cut in two";
    }
    EXPECT_GE(faces.size(), 5) << fragments.join(QStringLiteral(" | ")).toStdString();
    EXPECT_LT(faces.size(), fragments.size());
    // At most as many as asked for, the first ones.
    const QList<ReleaseNotesFace> first = releaseNotesFaces(*document, 2);
    ASSERT_EQ(first.size(), 2);
    EXPECT_TRUE(sameFace(first[0].font, faces[0].font));
    EXPECT_TRUE(sameFace(first[1].font, faces[1].font));
}

// What the notes show can be selected, with the mouse and the keyboard, in tables too; and a
// table shares the view's width among its columns, each giving way down to its longest word.
TEST(ReleaseNotesBrowserTest, NotesAreSelectableAndTheirTablesFitTheView)
{
    ReleaseNotesBrowser browser;
    browser.resize(400, 300);
    browser.show();
    showNotes(browser,
        ReleaseNotes{Format::markdown,
            QStringLiteral(
                "## Veyra 1.3\n\n- Reads **Korean** dialogue faster\n\n| Game | What changed |\n|---|---|\n"
                "| Ys | Reads the dialogue boxes of the game faster and more precisely, with long names |\n")});
    QTextDocument &shown = *browser.document();
    // Where the character `offset` of the first `text` in the notes is shown.
    const auto pointAt = [&](const QString &text, int offset) {
        QTextCursor cursor = shown.find(text);
        cursor.setPosition(cursor.selectionStart() + offset);
        return browser.cursorRect(cursor).center() + QPoint(2, 0);
    };
    QTest::mousePress(browser.viewport(), Qt::LeftButton, {}, pointAt(QStringLiteral("Korean"), 0));
    QTest::mouseMove(browser.viewport(), pointAt(QStringLiteral("faster"), 5));
    QTest::mouseRelease(browser.viewport(), Qt::LeftButton, {}, pointAt(QStringLiteral("faster"), 5));
    EXPECT_EQ(browser.textCursor().selectedText().toStdString(), "Korean dialogue faste");
    QTest::mouseDClick(browser.viewport(), Qt::LeftButton, {}, pointAt(QStringLiteral("boxes"), 1));
    EXPECT_EQ(browser.textCursor().selectedText().toStdString(), "boxes");
    QTest::keyClick(browser.viewport(), Qt::Key_End, Qt::ShiftModifier);
    EXPECT_TRUE(browser.textCursor().selectedText().startsWith(QStringLiteral("boxes of the")))
        << browser.textCursor().selectedText().toStdString();

    const QList<QTextTable *> tables = tablesOf(*shown.rootFrame());
    ASSERT_EQ(tables.size(), 1);
    EXPECT_LE(shown.documentLayout()->frameBoundingRect(tables[0]).right(), browser.viewport()->width());
    EXPECT_EQ(blockWithText(shown, QStringLiteral("Game")).layout()->lineCount(), 1);
    EXPECT_GT(tables[0]->cellAt(1, 1).firstCursorPosition().block().layout()->lineCount(), 1);
}

// Every font of the notes, however many, is loaded on a turn of the event loop of its own
// before the notes are shown.
TEST(ReleaseNotesBrowserTest, EveryFontOfTheNotesIsLoadedOnATurnOfItsOwn)
{
    // Japanese, Korean and Chinese with Greek and Russian, in a heading, bold, italic, code,
    // bold code and bold italic: many faces.
    const QString notes = QStringLiteral("## %1\n\n**%1** *%1* `%1` **`%1`** ***%1***")
                              .arg(QString::fromUtf8("台詞 대사 对话 Διάλογος Диалог"));
    int loads = 0;
    bool turnBetweenLoads = true;
    bool loadedThisTurn = false;
    ReleaseNotesBrowser browser(nullptr, [&](const ReleaseNotesFace &face) {
        turnBetweenLoads = turnBetweenLoads && !loadedThisTurn;
        loadReleaseNotesFace(face);
        ++loads;
        loadedThisTurn = true;
        QTimer::singleShot(0, [&loadedThisTurn] { loadedThisTurn = false; });
    });
    browser.resize(600, 400);
    browser.show();
    const qsizetype faces = releaseNotesFaces(
        *makeReleaseNotesDocument(ReleaseNotes{Format::markdown, notes}, browser.document()->defaultFont(),
            browser.document()->documentMargin(), QThread::currentThread()))
                                .size();
    EXPECT_GT(faces, 8);
    showNotes(browser, ReleaseNotes{Format::markdown, notes});
    EXPECT_EQ(loads, faces);
    EXPECT_TRUE(turnBetweenLoads);
}

// The blocks of the document laid out so far.
int laidOutBlocks(const QTextDocument &document)
{
    int laidOut = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        laidOut += block.layout()->lineCount() > 0 ? 1 : 0;
    }
    return laidOut;
}

// Long notes are laid out a piece at a time: what is drawn when it is, the rest a piece on
// each later turn of the event loop; and so again at a resize, while the text at the top of
// the view stays there.
TEST(ReleaseNotesBrowserTest, LongNotesAreLaidOutAPieceAtATime)
{
    QString notes;
    for (int line = 0; line < 2000; ++line) {
        notes += QStringLiteral("Line %1: Veyra reads the dialogue of the game and translates it.\n").arg(line);
    }
    const std::unique_ptr<QTextDocument> document = makeReleaseNotesDocument(
        ReleaseNotes{Format::plainText, notes}, QApplication::font(), 8, QThread::currentThread());
    ASSERT_EQ(document->blockCount(), 2000);
    auto *layout = new ReleaseNotesLayout(document.get());
    document->setDocumentLayout(layout);
    document->setPageSize(QSizeF(600, -1));
    EXPECT_EQ(laidOutBlocks(*document), 0);
    // A loaded machine may finish even the view's few lines on the next drawings (every
    // drawing lays out at least one): draw until a drawing lays out nothing more.
    QImage view(600, 400, QImage::Format_ARGB32_Premultiplied);
    int drawn = -1;
    for (int drawing = 0; drawing < 200 && drawn != laidOutBlocks(*document); ++drawing) {
        drawn = laidOutBlocks(*document);
        QPainter painter(&view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, 600, 400);
        layout->draw(&painter, context);
    }
    EXPECT_GT(drawn, 10);
    EXPECT_LT(drawn, 100);
    // What is hit is laid out first, far below what was drawn too.
    const int hit = layout->hitTest(QPointF(30, 20000), Qt::ExactHit);
    ASSERT_GE(hit, 0);
    EXPECT_TRUE(document->findBlock(hit).text().startsWith(QStringLiteral("Line ")));
    EXPECT_EQ(laidOutBlocks(*document), drawn + 1);
    // A drawing of far more than a turn lays out lays out that much, the rest on later turns.
    {
        QImage tall(600, 2000, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&tall);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, 600, 1e7);
        layout->draw(&painter, context);
    }
    EXPECT_LT(laidOutBlocks(*document), 1000);
    int turns = 0;
    while (!layout->isComplete() && turns < 100000) {
        QCoreApplication::processEvents();
        ++turns;
    }
    EXPECT_GT(turns, 2);
    EXPECT_EQ(laidOutBlocks(*document), 2000);

    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    showNotes(browser, ReleaseNotes{Format::plainText, notes});
    QScrollBar *bar = browser.verticalScrollBar();
    // Longer than the view: a scroll bar, beside the notes.
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(browser.document()->pageSize().width(), browser.viewport()->width());
    bar->setValue(bar->maximum() / 2);
    const QString top = browser.cursorForPosition(QPoint(0, 4)).block().text();
    browser.resize(400, 400);
    auto *shown = qobject_cast<ReleaseNotesLayout *>(browser.document()->documentLayout());
    ASSERT_NE(shown, nullptr);
    EXPECT_FALSE(shown->isComplete());
    ASSERT_TRUE(waitUntil([shown] { return shown->isComplete(); }));
    EXPECT_EQ(browser.cursorForPosition(QPoint(0, 4)).block().text().toStdString(), top.toStdString());
}

// Where the bullet drawn left of the block's first line is centred (its ink's centre, to a
// fraction of a pixel), from that line's baseline.
qreal bulletFromBaseline(ReleaseNotesLayout &layout, const QImage &drawn, const QTextBlock &block)
{
    const QRectF rect = layout.blockBoundingRect(block);
    const QTextLine line = block.layout()->lineAt(0);
    qreal ink = 0;
    qreal weighted = 0;
    for (int y = int(rect.top()); y < int(rect.top() + line.height()); ++y) {
        for (int x = 0; x < int(rect.left() + line.x()); ++x) {
            const int darkness = 255 - qGray(drawn.pixel(x, y));
            ink += darkness;
            weighted += darkness * (y + 0.5);
        }
    }
    EXPECT_GT(ink, 0) << block.text().toStdString();
    return weighted / std::max<qreal>(ink, 1) - (rect.top() + line.y() + line.ascent());
}

// A list of more than 64 items is written as several (Qt marks every item of a list for
// layout whenever one is added to it), and every bullet sits where every other does on its
// line, that of a Japanese line too, whose font is taller.
TEST(ReleaseNotesBrowserTest, LongListsAreWrittenAsSeveralWithBulletsAlike)
{
    QString list;
    for (int item = 0; item < 200; ++item) {
        list += (item % 2 == 0 ? QStringLiteral("- 台詞を読みます %1\n") : QStringLiteral("- Veyra reads %1\n"))
                    .arg(item);
    }
    const std::unique_ptr<QTextDocument> document = makeReleaseNotesDocument(
        ReleaseNotes{Format::markdown, list}, QApplication::font(), 8, QThread::currentThread());
    QList<QTextList *> lists;
    int items = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (QTextList *itsList = block.textList()) {
            ++items;
            EXPECT_LE(itsList->count(), 64);
            if (!lists.contains(itsList)) {
                lists.append(itsList);
            }
        }
    }
    EXPECT_EQ(items, 200);
    EXPECT_EQ(lists.size(), 4);

    auto *layout = new ReleaseNotesLayout(document.get());
    document->setDocumentLayout(layout);
    document->setPageSize(QSizeF(400, -1));
    while (!layout->isComplete()) {
        QCoreApplication::processEvents();
    }
    QImage drawn(400, 200, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, 400, 200);
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
    }
    QTextBlock japanese = document->begin();
    while (japanese.isValid() && !japanese.textList()) {
        japanese = japanese.next();
    }
    ASSERT_TRUE(japanese.text().startsWith(QStringLiteral("台詞"))) << japanese.text().toStdString();
    EXPECT_NEAR(bulletFromBaseline(*layout, drawn, japanese), bulletFromBaseline(*layout, drawn, japanese.next()), 0.5);
}

// Until what is not laid out yet is, its height is estimated from its text, at the width it
// is shown at: the scroll bar tells about how long a long paragraph of Japanese is as soon as
// it shows, and a scroll to its end then ends at its end.
TEST(ReleaseNotesBrowserTest, NotesNotLaidOutYetAreAboutAsTallAsTheyWillBe)
{
    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    browser.setReleaseNotes(ReleaseNotes{Format::markdown,
        QStringLiteral("韓国語の台詞の読み取りが速くなり、翻訳の表示も安定しました。").repeated(2000)});
    ASSERT_TRUE(
        waitUntil([&browser] { return qobject_cast<ReleaseNotesLayout *>(browser.document()->documentLayout()); }));
    auto *layout = qobject_cast<ReleaseNotesLayout *>(browser.document()->documentLayout());
    ASSERT_FALSE(layout->isComplete());
    QScrollBar *bar = browser.verticalScrollBar();
    const int estimated = bar->maximum();
    bar->setValue(bar->maximum());
    ASSERT_TRUE(waitUntil([layout] { return layout->isComplete(); }));
    QCoreApplication::processEvents();
    EXPECT_NEAR(estimated, bar->maximum(), bar->maximum() / 5);
    EXPECT_GT(bar->value(), bar->maximum() * 9 / 10) << bar->value() << " of " << bar->maximum();
}

TEST(ReleaseNotesBrowserTest, NotesShowOnlyTheirTextWithinBoundsWhateverTheyHold)
{
    ReleaseNotesBrowser browser;
    browser.resize(600, 400);
    browser.show();
    const auto repeated = [](const char *piece, int times) { return QString::fromLatin1(piece).repeated(times); };
    QString lines;
    for (int line = 0; line < 400; ++line) {
        lines += QStringLiteral("Line %1<br>").arg(line);
    }
    QString nestedTables = QStringLiteral("x");
    for (int level = 0; level < 20; ++level) {
        nestedTables = QStringLiteral("<table border=\"1\"><tr><td>%1</td><td>b</td></tr></table>").arg(nestedTables);
    }
    QString manyRows = QStringLiteral("<table>");
    for (int row = 0; row < 400; ++row) {
        manyRows += QStringLiteral("<tr><td>%1<td>b<td>c").arg(row);
    }
    const QString bigFont
        = QStringLiteral("<span style=\"font-size:2000px\">") + words(20000) + QStringLiteral("</span>");
    // Each with a text it must show (its start, or all of it).
    const QList<std::pair<ReleaseNotes, QString>> hostile{
        {{Format::html, QStringLiteral("<img width=1 height=33000000><br>x")}, QStringLiteral("x")},
        {{Format::html, QStringLiteral("<p style=\"margin-bottom:33000000px\">x</p><p>y</p>")}, QStringLiteral("x\ny")},
        {{Format::html, QStringLiteral("<p style=\"line-height:100000px\">") + lines + QStringLiteral("</p>")},
            QStringLiteral("Line 0\nLine 1\n")},
        {{Format::html,
             QStringLiteral("<p>Screens</p>")
                 + repeated("<img src=\"shot.png\" width=\"800\" height=\"1000000\" style=\"height:1000000px\">", 40)},
            QStringLiteral("Screens")},
        {{Format::html, bigFont}, words(100)},
        {{Format::markdown, QStringLiteral("Notes ") + bigFont}, QStringLiteral("Notes ") + words(100)},
        {{Format::html, repeated("<blockquote>", 1000) + words(18000) + repeated("</blockquote>", 1000)}, words(100)},
        {{Format::html,
             QStringLiteral("<div style=\"padding:100000000px;font-size:900px\">") + repeated("<div>", 3000)
                 + QStringLiteral("deep")},
            QStringLiteral("deep")},
        {{Format::html, repeated("<b>", 10000) + QStringLiteral("bold")}, QStringLiteral("bold")},
        // Nesting a hundred thousand deep: no reader walks it with a call for each level.
        {{Format::html, repeated("<div>", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::html, repeated("<i>", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::html, repeated("<blockquote>", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::html, repeated("<ul><li>", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::html, repeated("<table><tr><td>", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::markdown, repeated("> ", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::markdown, repeated("- ", 100000) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::markdown, repeated("*", 100000) + QStringLiteral("deep") + repeated("*", 100000)},
            QStringLiteral("deep")},
        {{Format::markdown, repeated("![", 50000) + QStringLiteral("deep") + repeated("](x)", 50000)},
            repeated("![", 100)},
        {{Format::html, repeated("<ul><li>", 1000) + QStringLiteral("item")}, QStringLiteral("item")},
        {{Format::markdown, nestedTables}, QStringLiteral("x b")},
        {{Format::html, QStringLiteral("<table cellpadding=\"100000000\"><tr><td>x</td></tr></table>")},
            QStringLiteral("x")},
        {{Format::html, manyRows + QStringLiteral("</table>")}, QStringLiteral("0\nb\nc\n1")},
        {{Format::html, repeated("<p>Reads dialogue faster.</p>\n", 2000)}, QStringLiteral("Reads dialogue faster.")},
        {{Format::plainText, words(32 * 1024)}, words(1000)},
        {{Format::plainText, QString(64 * 1024, QLatin1Char('w'))}, QString(1000, QLatin1Char('w'))},
        // Markdown that Qt's own reader takes seconds or minutes for.
        {{Format::markdown, repeated("*a* ", 16000)}, QStringLiteral("a a a")},
        {{Format::markdown, repeated("[a](https://veyra.example/x) ", 3000)}, QStringLiteral("a a a")},
        {{Format::markdown, repeated("<https://veyra.example/x> ", 3000)}, QStringLiteral("https://veyra.example/x")},
        {{Format::markdown, repeated("x <b>", 2500) + QStringLiteral("bold") + repeated("</b>", 2500)},
            QStringLiteral("x x x")},
        {{Format::markdown, repeated(">", 1000) + QStringLiteral(" ") + words(18000)}, words(100)},
        {{Format::markdown, repeated("&amp; ", 10000)}, QStringLiteral("& & &")},
        {{Format::markdown, repeated("`a ", 20000)}, QStringLiteral("a a a")},
        // Lists far deeper than shown, and a line of thousands of list markers followed by
        // thousands of line ends.
        {{Format::markdown, repeated("- ", 50) + QStringLiteral("deep")}, QStringLiteral("deep")},
        {{Format::markdown, repeated("1. ", 50) + QStringLiteral("deep")}, QStringLiteral("1. deep")},
        {{Format::html, repeated("<ol><li>", 50) + QStringLiteral("deep")}, QStringLiteral("1. deep")},
        {{Format::markdown, repeated("- ", 8000) + QStringLiteral("x") + QString(16000, u'\n')}, QStringLiteral("x")},
        // Link brackets nested thousands deep once the notes define a link reference, in a
        // paragraph and in a list item.
        {{Format::markdown, QStringLiteral("[x]: /foo\n\n") + repeated("[", 16000) + repeated("]", 16000)},
            repeated("[", 100)},
        {{Format::markdown, QStringLiteral("[x]: /foo\n\n- ") + repeated("[", 16000) + repeated("]", 16000)},
            repeated("[", 100)},
    };
    for (const auto &[notes, start] : hostile) {
        showNotes(browser, notes);
        const QString shown = browser.toPlainText();
        EXPECT_TRUE(shown.trimmed().startsWith(start))
            << notes.text.left(80).toStdString() << " shows " << shown.left(80).toStdString();
        // Its text, never its markup.
        EXPECT_FALSE(shown.contains(QLatin1Char('<'))) << notes.text.left(80).toStdString();
        EXPECT_FALSE(shown.contains(QStringLiteral("**")));
        expectOnlyOwnFormatting(*browser.document(), notes.text.toStdString());
        browser.viewport()->grab();
    }
    // md4c looks the text of link brackets up among the link references in time in proportion
    // to that text, and so in time growing with the square of their depth: it reads no more of
    // them than it can in a few milliseconds. A link whose text nests brackets hundreds deep
    // shows as it is written; ordinary links, brackets in their text too, stay links.
    showNotes(browser,
        ReleaseNotes{Format::markdown,
            QStringLiteral("[x]: https://veyra.example/x\n\n[") + repeated("[", 400) + QStringLiteral("deep")
                + repeated("]", 400)
                + QStringLiteral("](https://veyra.example/deep)\n\n[a [b] c](https://veyra.example/a) "
                                 "and [x]")});
    EXPECT_TRUE(browser.toPlainText().contains(
        QStringLiteral("deep") + repeated("]", 401) + QStringLiteral("(https://veyra.example/deep)")));
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\na [b] c and x")));

    // A line of a paragraph, or a table, is laid out at once: what each weighs is bounded. A
    // line that would weigh more goes on in a line of its own from its last break
    // opportunity; a run without one, which Qt breaks into lines in time growing with the
    // square of its length, weighs more than its characters and is cut, and the notes go on.
    showNotes(
        browser, ReleaseNotes{Format::plainText, QString(64 * 1024, QLatin1Char('w')) + QStringLiteral("\nnext")});
    EXPECT_LT(browser.toPlainText().size(), maximumReleaseNotesBlockWeight / 2);
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\u2026\nnext")));
    for (const ReleaseNotes &notes : {ReleaseNotes{Format::html, QStringLiteral("<p>") + words(32 * 1024)},
             ReleaseNotes{Format::plainText, words(32 * 1024)}}) {
        showNotes(browser, notes);
        EXPECT_GE(browser.toPlainText().count(u'\n'), 3);
        EXPECT_TRUE(browser.toPlainText().remove(u'\n') == words(32 * 1024));
    }
    // So do the characters that Qt takes longer to shape and lay out than Latin letters: of
    // Chinese, Japanese or Korean six Latin ones, of another shaped script three, an emoji or
    // what joins emoji into one twelve. Of notes far beyond what they may weigh, as many lines
    // are shown whose lines weigh the same: 780 Latin characters, 130 Japanese ones, 60 Arabic
    // words of four letters and a space; 850 Latin characters, 10 families of four and a space.
    const auto linesShown = [&browser](const QString &line) {
        showNotes(browser, ReleaseNotes{Format::plainText, (line + u'\n').repeated(1000)});
        return browser.toPlainText().count(u'\n');
    };
    const qsizetype latinLines = linesShown(words(780));
    EXPECT_NEAR(linesShown(QStringLiteral("韓国語の台詞を読みます。").repeated(11).left(130)), latinLines, 1);
    EXPECT_NEAR(linesShown(QStringLiteral("حوار ").repeated(60)), latinLines, 1);
    const QString familyAndSpace = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466 ");
    EXPECT_NEAR(linesShown(familyAndSpace.repeated(10)), linesShown(words(850)), 1);
    // The first character of a script that no installed font writes weighs 64 more (Ethiopic:
    // the font database knows no writing system of it): a line of one before the same notes
    // leaves out what it weighs, 3 and 64, and its line break, 32, of their Latin text.
    const QString latin = (words(780) + u'\n').repeated(1000);
    showNotes(browser, ReleaseNotes{Format::plainText, latin});
    const qsizetype latinShown = browser.toPlainText().size();
    showNotes(browser, ReleaseNotes{Format::plainText, QString::fromUtf8("ሰ\n") + latin});
    EXPECT_NEAR(latinShown - (browser.toPlainText().size() - 2), 3 + 64 + 32, 2);

    // Markdown cut within a long line shows that line up to where it is cut, as a long line
    // of a paragraph is.
    showNotes(browser,
        ReleaseNotes{Format::markdown, QStringLiteral("# Veyra 1.3\n\n") + words(maximumReadReleaseNotesLength)});
    EXPECT_TRUE(browser.toPlainText().startsWith(QStringLiteral("Veyra 1.3\n") + words(1000)));
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\u2026")));

    // What costs the layout more than a character weighs more: a change of emphasis, a line
    // break (all of the notes' lines weigh no more than the notes may), a table's row, and a
    // cell beyond the last column (a line of that column's cell).
    const auto shownLength = [&browser](const QString &html) {
        showNotes(browser, ReleaseNotes{Format::html, html});
        return browser.toPlainText().size();
    };
    // Each word a span of its own, after its space (a line of its own here and there).
    shownLength(QStringLiteral("<p>") + repeated("<b>a</b> <i>a</i> ", 10000));
    const qsizetype words = maximumReleaseNotesWeight / (releaseNotesSpanWeight + 2);
    EXPECT_NEAR(browser.toPlainText().count(u'a'), words, words / 50);
    showNotes(browser, ReleaseNotes{Format::html, QStringLiteral("<p>") + repeated("x<br>", 20000)});
    EXPECT_NEAR(browser.toPlainText().count(u'\n'), maximumReleaseNotesWeight / (releaseNotesLineBreakWeight + 1), 4);
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\u2026")));
    showNotes(browser,
        ReleaseNotes{Format::html,
            QStringLiteral("<table>") + (QStringLiteral("<tr>") + repeated("<td>x", 12)).repeated(100)
                + QStringLiteral("</table><p>after")});
    QList<QTextTable *> tables = tablesOf(*browser.document()->rootFrame());
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables[0]->columns(), maximumReleaseNotesTableColumns);
    EXPECT_NEAR(tables[0]->rows(),
        maximumReleaseNotesBlockWeight / (maximumReleaseNotesTableColumns * (releaseNotesCellWeight + 1)), 1);
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\u2026\nafter")));
    showNotes(browser, ReleaseNotes{Format::html, QStringLiteral("<table>") + repeated("<td>x", 20000)});
    tables = tablesOf(*browser.document()->rootFrame());
    ASSERT_EQ(tables.size(), 1);
    ASSERT_EQ(tables[0]->columns(), maximumReleaseNotesTableColumns);
    const QString lastCell
        = tables[0]->cellAt(0, maximumReleaseNotesTableColumns - 1).firstCursorPosition().block().text();
    const qsizetype rowWeight = maximumReleaseNotesTableColumns * (releaseNotesCellWeight + 1);
    EXPECT_NEAR(lastCell.count(QChar::LineSeparator),
        (maximumReleaseNotesBlockWeight - rowWeight) / (releaseNotesCellLineWeight + 1), 4);
    // Cells beyond the last column are lines of the last cell.
    QString wideRow = QStringLiteral("<table><tr>");
    QStringList beyond;
    for (int cell = 1; cell <= 20; ++cell) {
        wideRow += QStringLiteral("<td>c%1").arg(cell);
        if (cell >= maximumReleaseNotesTableColumns) {
            beyond << QStringLiteral("c%1").arg(cell);
        }
    }
    showNotes(browser, ReleaseNotes{Format::html, wideRow});
    tables = tablesOf(*browser.document()->rootFrame());
    ASSERT_EQ(tables.size(), 1);
    ASSERT_EQ(tables[0]->columns(), maximumReleaseNotesTableColumns);
    EXPECT_EQ(tables[0]->cellAt(0, maximumReleaseNotesTableColumns - 1).firstCursorPosition().block().text(),
        beyond.join(QChar::LineSeparator));

    // Notes are read up to a bound of their own, whatever they hold (markup, comments and
    // scripts too; HTML far further than Markdown, which md4c reads), and what is cut ends with
    // an ellipsis. The cut never splits a character in two.
    const QString emoji = QStringLiteral("\U0001F600");
    const QList<ReleaseNotes> beyondTheBounds{
        {Format::html,
            QStringLiteral("<p>x") + QString(maximumScannedReleaseNotesLength - 5, u' ') + emoji
                + QStringLiteral("tail")},
        {Format::html,
            QStringLiteral("<p> x") + repeated("<i>", maximumScannedReleaseNotesLength / 3) + QStringLiteral("tail")},
        {Format::html,
            QStringLiteral("<p>x<script>") + QString(maximumScannedReleaseNotesLength, u' ')
                + QStringLiteral("</script>tail")},
        {Format::markdown,
            QStringLiteral("x") + QString(maximumReadReleaseNotesLength - 2, u' ') + emoji + QStringLiteral("tail")},
        {Format::markdown,
            QStringLiteral("x\n") + QString(maximumReadReleaseNotesLength, u'\n') + QStringLiteral("tail")},
    };
    for (const ReleaseNotes &notes : beyondTheBounds) {
        showNotes(browser, notes);
        EXPECT_EQ(browser.toPlainText().remove(u'\n').toStdString(), "x\u2026") << notes.text.left(40).toStdString();
    }

    // HTML that holds no text at all is shown as the plain text it is.
    showNotes(browser, ReleaseNotes{Format::html, repeated("<table><tr><td>", 300)});
    EXPECT_TRUE(browser.toPlainText().startsWith(QStringLiteral("<table><tr><td><table>")));
    expectOnlyOwnFormatting(*browser.document(), "no text");

    // A grapheme cluster shows at most its first few code units, however it is written.
    const QString cluster = QStringLiteral("a") + combiningMarks(3000);
    const QString shortCluster = cluster.left(maximumShownClusterLength);
    QString references;
    for (int index = 0; index < 3000; ++index) {
        references += QStringLiteral("&#x%1;").arg(0x0300 + index % 0x70, 0, 16);
    }
    QString marksInTables = cluster;
    for (int level = 0; level < 8; ++level) {
        marksInTables = QStringLiteral("<table><tr><td>%1</td></tr></table>").arg(marksInTables);
    }
    const QList<std::pair<ReleaseNotes, QString>> clusters{
        {{Format::html, QStringLiteral("<p>") + cluster + QStringLiteral("</p>")}, shortCluster},
        {{Format::html, QStringLiteral("<p>a") + references + QStringLiteral("</p>")}, shortCluster},
        // Spread over many spans.
        {{Format::html, QStringLiteral("<p>a") + QStringLiteral("<b>\u0301\u0302</b><i>\u0303</i>").repeated(1000)},
            QStringLiteral("a")
                + QStringLiteral("\u0301\u0302\u0303").repeated(11).left(maximumShownClusterLength - 1)},
        {{Format::markdown, QStringLiteral("*") + cluster + QStringLiteral("* b")},
            shortCluster + QStringLiteral(" b")},
        {{Format::plainText, QStringLiteral("a") + combiningMarks(30 * 1024)}, shortCluster},
        {{Format::plainText, QStringLiteral("a") + combiningMarks(500) + QStringLiteral(" b")},
            shortCluster + QStringLiteral(" b")},
        {{Format::html, marksInTables}, shortCluster},
    };
    for (const auto &[notes, shown] : clusters) {
        showNotes(browser, notes);
        EXPECT_EQ(browser.toPlainText().trimmed().toStdString(), shown.toStdString());
    }
    // Emoji sequences and letters with their marks stay whole.
    const QString family = QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const QString whole = family
        + QStringLiteral(" e\u0301\u0323 \U0001F3F4\U000E0067\U000E0062\U000E0065\U000E006E\U000E0067\U000E007F");
    EXPECT_EQ(withShortClusters(whole), whole);
    showNotes(browser, ReleaseNotes{Format::plainText, whole});
    EXPECT_EQ(browser.toPlainText(), whole);

    // The cut falls on a character boundary.
    showNotes(browser, ReleaseNotes{Format::plainText, QStringLiteral("\U0001F600").repeated(30000)});
    EXPECT_TRUE(browser.toPlainText().endsWith(QStringLiteral("\u2026")));
    EXPECT_FALSE(browser.toPlainText().chopped(1).back().isHighSurrogate());
}

TEST(ReleaseNotesBrowserTest, NotesReadJustBeforeTheEndAreNeverShownAfterIt)
{
    // The notes thread lays out the document with fonts of its own, which go with it when
    // the worker pools end: a browser given its document only then shows nothing, and
    // draws.
    QProcess program;
    program.start(testProgramPath(QStringLiteral("veyra_test_release_notes_after_end")), QStringList());
    ASSERT_TRUE(program.waitForFinished(scaledMs(120000)));
    const std::string errors = program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << errors;
    EXPECT_EQ(program.exitCode(), 0) << errors;
    EXPECT_EQ(QString::fromUtf8(program.readAllStandardOutput()).toStdString(), "notes thread done\nended\ndrawn\n");
}

// Blocks every thread of cpuWorkPool() until destroyed.
class BusyTextRecognition
{
public:
    BusyTextRecognition()
    {
        const int threads = cpuWorkPool().maxThreadCount();
        for (int thread = 0; thread < threads; ++thread) {
            // The work holds the semaphores it uses: it may still be inside one when this ends.
            startOnWorker(cpuWorkPool(), [gates = m_gates] {
                gates->busy.release();
                gates->open.acquire();
            });
        }
        m_gates->busy.acquire(threads);
        m_threads = threads;
    }
    ~BusyTextRecognition() { m_gates->open.release(m_threads); }
    BusyTextRecognition(const BusyTextRecognition &) = delete;
    BusyTextRecognition &operator=(const BusyTextRecognition &) = delete;

private:
    struct Gates
    {
        QSemaphore busy;
        QSemaphore open;
    };
    std::shared_ptr<Gates> m_gates = std::make_shared<Gates>();
    int m_threads = 0;
};

TEST(ReleaseNotesBrowserTest, NotesAreReadWhileTextRecognitionKeepsItsThreadsBusy)
{
    const BusyTextRecognition busy;
    ReleaseNotesBrowser first;
    ReleaseNotesBrowser second;
    first.setReleaseNotes(ReleaseNotes{Format::html, QStringLiteral("<p>") + words(32 * 1024)});
    showNotes(second, ReleaseNotes{Format::markdown, QStringLiteral("- Reads **Korean** better")});
    EXPECT_EQ(second.toPlainText(), QStringLiteral("Reads Korean better"));
    EXPECT_TRUE(waitUntil([&first] { return first.toPlainText().startsWith(words(100)); }));
}

// md4c reads the text of every pair of link brackets it makes, in time in proportion to it:
// the openers of the pairs that would cost it most are hidden from it, and no others. Which
// ']' closes a pair depends on the code spans, raw HTML and autolinks md4c finds.
TEST(ReleaseNotesTest, OnlyTheLinkBracketsMd4cWouldReadLongestAreHidden)
{
    // Ordinary links are never hidden, among code spans, raw HTML and autolinks that hold
    // brackets too.
    QString ordinary;
    for (int item = 0; item < 500; ++item) {
        ordinary += QStringLiteral("- Fixed `parser[%1]` <span title=\"]\">crash</span> <https://example.org/]> "
                                   "([#%1](https://example.org/veyra/pull/%1))\n")
                        .arg(item);
    }
    EXPECT_TRUE(hiddenMarkdownLinkOpeners(ordinary).isEmpty());
    // Nor those of long lists without a blank line, nor task boxes and definitions, however
    // many: md4c counts a pair's lines from the start of its block, each item's own.
    QString links;
    QString changelog;
    QString tasks;
    QString definitions;
    for (int item = 0; item < 2500; ++item) {
        links += QStringLiteral("- [Pull request %1](https://example.org/veyra/pull/%1)\n").arg(item);
        changelog
            += QStringLiteral("- Fixed `parser` crash %1 when reading ([#%1](https://example.org/veyra/pull/%1))\n")
                   .arg(item);
        tasks += QStringLiteral("- [x] Fixed `parser` case %1\n").arg(item);
    }
    for (int definition = 0; definition < 7000; ++definition) {
        definitions += QStringLiteral("[pr%1]: https://example.org/%1\n").arg(definition);
    }
    definitions += QStringLiteral("See [pr1] and [pr6999].");
    for (const QString &notes : {links, changelog, tasks, definitions}) {
        EXPECT_TRUE(hiddenMarkdownLinkOpeners(notes).isEmpty()) << notes.left(40).toStdString();
    }
    const auto shown = [](const QString &notes) {
        return makeReleaseNotesDocument(
            ReleaseNotes{Format::markdown, notes}, QApplication::font(), 8, QThread::currentThread())
            ->toPlainText();
    };
    EXPECT_EQ(shown(tasks).count(QChar(0x2611)), 2500);
    EXPECT_TRUE(shown(definitions).endsWith(QStringLiteral("See pr1 and pr6999.")));
    // Pairs nested thousands deep are, also when a ']' in a code span or raw HTML between
    // their brackets closes nothing; and so are pairs on thousands of lines of one paragraph,
    // whose lines md4c counts for each.
    const QList<QString> costly{
        QStringLiteral("[x]: /foo\n\n") + QStringLiteral("[`]`").repeated(8000) + QString(8000, u']'),
        QStringLiteral("[x]: /foo\n\n") + QStringLiteral("[<b title=\"]\">").repeated(8000) + QString(8000, u']'),
        QStringLiteral("[x]: /foo\n\nx\n") + QStringLiteral("[b]\n").repeated(20000),
        // Boxes and labels that are no task's nor definition's: pairs like any other.
        QStringLiteral("[x]: /foo\n\nx\n") + QStringLiteral("[x] \n").repeated(20000),
        QStringLiteral("x\n") + QStringLiteral("[x]: <\n").repeated(20000),
        QStringLiteral("x\n") + QStringLiteral("[x]: /foo\n").repeated(20000)};
    for (const QString &notes : costly) {
        const QList<qsizetype> hidden = hiddenMarkdownLinkOpeners(notes);
        EXPECT_GT(hidden.size(), 7000) << notes.mid(11, 20).toStdString();
        for (const qsizetype at : hidden) {
            ASSERT_EQ(notes.at(at), u'[');
        }
    }
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
