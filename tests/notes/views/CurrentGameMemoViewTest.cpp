// Test label: ui
// The note popover's editor, driven through its widgets: the header, typing into
// "game-note-editor", the status line and the error row, and the saves it causes.
#include "notes/views/CurrentGameMemoView.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/FileGameMemoStore.h"
#include "notes/views/ElidedLabel.h"
#include "notes/views/NoteTextEditor.h"
#include "support/GameMemoEntries.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"
#include "support/ShownText.h"
#include "support/TestScreenshots.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;
using veyra::test::saveScreenshot;
using veyra::test::shownText;
using veyra::test::shownToolTip;
using veyra::test::SteppingClock;
using veyra::test::waitUntil;

namespace {

GameMemoContext context(std::optional<QString> gameName, const QString &title = QStringLiteral("Chapter 1 — Main"))
{
    return {{{GameApplicationIdentity::Kind::bundleIdentifier, QStringLiteral("com.example.game")}, title},
        QStringLiteral("Game App"), title, std::move(gameName)};
}

class CurrentGameMemoViewTest : public ::testing::Test
{
protected:
    CurrentGameMemoViewTest()
    {
        auto owned = std::make_unique<RecordingGameMemoStore>();
        store = owned.get();
        model = std::make_unique<GameMemoLibraryModel>(std::move(owned), 400000000, sleeper, SteppingClock());
    }

    // A delayed save cancelled with the model ends on the next turn of the event loop.
    ~CurrentGameMemoViewTest() override
    {
        model.reset();
        QCoreApplication::processEvents();
    }

    QPlainTextEdit *editor(QWidget &view)
    {
        return view.findChild<QPlainTextEdit *>(QString::fromLatin1(CurrentGameMemoView::editorObjectName));
    }
    ElidedLabel *header(QWidget &view) { return view.findChildren<ElidedLabel *>().value(0); }
    // The visible labels of the status line and the error row, by their text.
    QLabel *visibleLabel(QWidget &view, const QString &text)
    {
        for (QLabel *label : view.findChildren<QLabel *>()) {
            if (label->isVisibleTo(&view) && label->text() == text) {
                return label;
            }
        }
        return nullptr;
    }
    QPushButton *retryButton(QWidget &view)
    {
        const QList<QPushButton *> buttons = view.findChildren<QPushButton *>();
        return buttons.isEmpty() ? nullptr : buttons.first();
    }

    std::shared_ptr<GatedSleeper> sleeper = std::make_shared<GatedSleeper>();
    RecordingGameMemoStore *store = nullptr;
    std::unique_ptr<GameMemoLibraryModel> model;
};

} // namespace

TEST_F(CurrentGameMemoViewTest, TypingEditsTheGamesNoteAndClosingWritesIt)
{
    const GameMemoContext game = context(QStringLiteral("Dragon Tale"));
    CurrentGameMemoView view(model.get(), game);
    EXPECT_EQ(view.size(), QSize(360, 280));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // On screen: an empty note exists in memory only, and the editor is empty.
    EXPECT_TRUE(model->entriesByKey().contains(game.key));
    EXPECT_TRUE(model->sortedEntries().isEmpty());
    QPlainTextEdit *text = editor(view);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), QString());
    EXPECT_EQ(header(view)->text(), QStringLiteral("Dragon Tale"));
    EXPECT_NE(visibleLabel(view, QStringLiteral("Changes are saved automatically.")), nullptr);
    EXPECT_FALSE(retryButton(view)->isVisible());

    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("Boss: use fire"));
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, QStringLiteral("<b>not bold</b>"));
    const QString typed = QStringLiteral("Boss: use fire\n<b>not bold</b>");
    EXPECT_EQ(model->entriesByKey().value(game.key).text, typed);
    EXPECT_TRUE(store->saves.isEmpty());

    // The status line reads "Saving…" while the write is under way.
    QString statusDuringSave;
    store->duringSave = [&] {
        QLabel *status = visibleLabel(view, QStringLiteral("Saving…"));
        statusDuringSave = status ? status->text() : QString();
    };
    view.hide();
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_EQ(store->entries().value(0).text, typed);
    EXPECT_EQ(store->entries().value(0).representativeGameName, QStringLiteral("Dragon Tale"));
    EXPECT_EQ(statusDuringSave, QStringLiteral("Saving…"));
    EXPECT_EQ(model->saveTask(), std::nullopt);

    // Another view of the same note shows it; an edit elsewhere follows at once.
    CurrentGameMemoView again(model.get(), game);
    again.show();
    EXPECT_EQ(editor(again)->toPlainText(), typed);
    model->updateText(QStringLiteral("edited elsewhere"), game.key);
    EXPECT_EQ(editor(again)->toPlainText(), QStringLiteral("edited elsewhere"));
}

TEST_F(CurrentGameMemoViewTest, BlankLinesTypedSoFarStayWhenTheSaveLeavesTheBlankNoteOut)
{
    const GameMemoContext game = context(QStringLiteral("Dragon Tale"));
    CurrentGameMemoView view(model.get(), game);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QPlainTextEdit *text = editor(view);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClick(text, Qt::Key_Space);
    QTest::keyClick(text, Qt::Key_Space);

    // The pause: the delayed save has no note to write and the model lets the blank one go.
    ASSERT_TRUE(waitUntil([&] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([&] { return !model->entriesByKey().contains(game.key); }));
    EXPECT_TRUE(store->saves.isEmpty());
    EXPECT_EQ(text->toPlainText(), QStringLiteral("\n\n  "));
    EXPECT_EQ(text->textCursor().position(), 4);

    QTest::keyClicks(text, QStringLiteral("Boss: use fire"));
    EXPECT_EQ(model->entriesByKey().value(game.key).text, QStringLiteral("\n\n  Boss: use fire"));
}

TEST_F(CurrentGameMemoViewTest, TheHeaderFallsBackToTheWindowTitleOnlyWithoutAName)
{
    CurrentGameMemoView untitled(model.get(), context(std::nullopt));
    EXPECT_EQ(header(untitled)->fullText(), QStringLiteral("Chapter 1 — Main"));
    EXPECT_EQ(header(untitled)->textFormat(), Qt::PlainText);

    // A header with nothing to show names the window as the picker and the overlay do.
    CurrentGameMemoView blankName(model.get(), context(QString()));
    EXPECT_EQ(header(blankName)->fullText(), QStringLiteral("(Untitled)"));

    // A name from the server or a window title is shown as written, markup and all, in the
    // label and in the tool tip that holds the whole of it.
    const QString longName = QStringLiteral(
        "<img src=\"dragon.png\">The Extraordinarily Long Chronicle of the <b>Dragon</b> Who Would Not Sleep");
    CurrentGameMemoView longView(model.get(), context(longName));
    longView.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&longView));
    ElidedLabel *cut = header(longView);
    EXPECT_TRUE(cut->isElided());
    EXPECT_TRUE(cut->text().endsWith(QChar(0x2026)));
    EXPECT_EQ(shownToolTip(*cut), longName);
    EXPECT_TRUE(shownText(*cut).startsWith(QStringLiteral("<img src=\"dragon.png\">The")));
    EXPECT_LE(cut->height(), 2 * cut->fontMetrics().height());
    saveScreenshot(longView, QStringLiteral("notes-popover-long-name.png"));
}

TEST_F(CurrentGameMemoViewTest, AnUntitledWindowsNoteIsHeadedUntitledInTheInterfaceLanguage)
{
    const GameMemoContext untitled = context(std::nullopt, QString());
    CurrentGameMemoView view(model.get(), untitled);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(header(view)->fullText(), QStringLiteral("(Untitled)"));
    EXPECT_EQ(editor(view)->accessibleName(), QStringLiteral("(Untitled)"));
    QTest::keyClicks(editor(view), QStringLiteral("door code 4521"));
    saveScreenshot(view, QStringLiteral("notes-popover-untitled-en.png"));

    for (const auto &[language, shown] : {std::pair{ClientLanguage::japanese, QStringLiteral("(名称未設定)")},
             std::pair{ClientLanguage::korean, QStringLiteral("(제목 없음)")}}) {
        setCurrentClientLanguage(language);
        announceInterfaceLanguageChange();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        EXPECT_EQ(header(view)->fullText(), shown);
        EXPECT_EQ(shownText(*header(view)), shown);
    }
    saveScreenshot(view, QStringLiteral("notes-popover-untitled-ko.png"));
    setCurrentClientLanguage(ClientLanguage::english);

    // The note keeps the window's own (empty) title: only the views name it.
    view.hide();
    ASSERT_FALSE(store->entries().isEmpty());
    EXPECT_EQ(store->entries().value(0).windowTitle, QString());
    EXPECT_EQ(store->entries().value(0).representativeGameName, std::nullopt);
    EXPECT_EQ(store->entries().value(0).displayTitle(), QString());
}

TEST_F(CurrentGameMemoViewTest, AFailedSaveShowsTheMessageWithTryAgainUntilTheNextEdit)
{
    store->setSaveError(std::make_exception_ptr(Error(QStringLiteral("The file <i>memos.json</i> couldn't be saved "
                                                                     "because the volume is full and no other space is "
                                                                     "left on the device at all."))));
    const GameMemoContext game = context(QStringLiteral("Dragon Tale"));
    CurrentGameMemoView view(model.get(), game);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::keyClicks(editor(view), QStringLiteral("note"));
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([this] { return model->errorMessage().has_value(); }));

    QPushButton *retry = retryButton(view);
    ASSERT_TRUE(retry->isVisible());
    EXPECT_EQ(retry->text(), QStringLiteral("Try Again"));
    EXPECT_EQ(visibleLabel(view, QStringLiteral("Changes are saved automatically.")), nullptr);
    ElidedLabel *message = view.findChildren<ElidedLabel *>().value(1);
    EXPECT_TRUE(message->isVisible());
    EXPECT_EQ(message->fullText(), model->errorMessage()->localized());
    // Kept nowhere else either: the status line says the text is only in the window.
    EXPECT_TRUE(message->fullText().endsWith(
        QStringLiteral(" Nor could it keep what you typed anywhere else, so for now it is only in this window.")));
    // The whole message, on as many lines as it takes, the editor giving up the room.
    EXPECT_FALSE(message->isElided());
    EXPECT_EQ(message->text(), model->errorMessage()->localized());
    EXPECT_GE(message->height(), message->heightForWidth(message->width()));
    EXPECT_GT(message->height(), 2 * message->fontMetrics().lineSpacing());
    EXPECT_GT(message->palette().color(QPalette::WindowText).red(), 150);
    saveScreenshot(view, QStringLiteral("notes-popover-error.png"));
    // The message on screen is worded again in the next interface language.
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    const QString japanese = message->fullText();
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_TRUE(japanese.startsWith(QStringLiteral("Veyraはメモを保存できませんでした: "))) << japanese.toStdString();
    EXPECT_TRUE(message->fullText().startsWith(QStringLiteral("Veyra couldn't save the note: ")));

    // "Try Again" saves at once.
    store->setSaveError(nullptr);
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_EQ(store->saves.size(), 2);
    EXPECT_FALSE(retry->isVisible());

    // Typing removes a new error row at once.
    store->setSaveError(std::make_exception_ptr(Error(QStringLiteral("Failed again."))));
    QTest::keyClicks(editor(view), QStringLiteral("!"));
    model->flushPendingSave();
    ASSERT_TRUE(retry->isVisible());
    QTest::keyClicks(editor(view), QStringLiteral("?"));
    EXPECT_FALSE(retry->isVisible());
    EXPECT_NE(visibleLabel(view, QStringLiteral("Changes are saved automatically.")), nullptr);
}

TEST_F(CurrentGameMemoViewTest, AnUnreadableNotesFileAndTheCopyOfWhatWasTypedAreNamedInFull)
{
    // A damaged notes file deep in a folder with a long name.
    QTemporaryDir folder;
    const QString deep = folder.filePath(QStringLiteral("a-folder-with-a-rather-long-name/and-another-one-below-it"));
    const QString path = deep + QStringLiteral("/game-memos.json");
    ASSERT_TRUE(QDir().mkpath(deep));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\"schemaVersion\": 1, \"entries\": [");
    }
    model = std::make_unique<GameMemoLibraryModel>(
        std::make_unique<FileGameMemoStore>(QUrl::fromLocalFile(path)), 400000000, sleeper, SteppingClock());
    CurrentGameMemoView view(model.get(), context(QStringLiteral("ドラゴン物語")));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::keyClicks(editor(view), QStringLiteral("Boss: use fire"));
    model->flushPendingSave();
    ASSERT_TRUE(veyra::test::releaseUntil(*sleeper, [this] { return !model->keptAsidePaths().isEmpty(); }));

    ElidedLabel *message = view.findChildren<ElidedLabel *>().value(1);
    for (const ClientLanguage language : {ClientLanguage::english, ClientLanguage::japanese, ClientLanguage::korean}) {
        setCurrentClientLanguage(language);
        announceInterfaceLanguageChange();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
        QApplication::processEvents();
        // Both paths, whole, and nothing cut at the side or the bottom.
        EXPECT_FALSE(message->isElided());
        QString shown = message->text();
        shown.remove(QLatin1Char('\n'));
        EXPECT_TRUE(shown.contains(path)) << shown.toStdString();
        EXPECT_TRUE(shown.contains(model->keptAsidePaths().value(0))) << shown.toStdString();
        EXPECT_GE(message->height(), message->heightForWidth(message->width()));
        // Every line the label draws (breaking between words) fits its width.
        for (const QString &paragraph : message->text().split(QLatin1Char('\n'))) {
            QTextLayout layout(paragraph, message->font());
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(message->contentsRect().width());
                EXPECT_LE(line.naturalTextWidth(), message->contentsRect().width() + 0.5) << paragraph.toStdString();
            }
            layout.endLayout();
        }
        // What holds it stays inside the popover; what does not fit there scrolls.
        QWidget *holder = message->parentWidget()->parentWidget();
        ASSERT_TRUE(holder->inherits("QScrollArea"));
        EXPECT_LE(holder->mapTo(&view, QPoint(0, holder->height())).y(), view.height() - 16);
        EXPECT_GE(editor(view)->height(), 2 * editor(view)->fontMetrics().lineSpacing());
        saveScreenshot(view, QStringLiteral("notes-popover-kept-aside-%1.png").arg(rawValue(language)));
    }
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST_F(CurrentGameMemoViewTest, TheEditorTakesNoMoreThanANoteMayHoldAndSaysWhatItLeftOut)
{
    const GameMemoContext game = context(QStringLiteral("Dragon Tale"));
    CurrentGameMemoView view(model.get(), game);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QPlainTextEdit *text = editor(view);
    text->setFocus();
    QTest::keyClicks(text, QStringLiteral("ab"));
    const auto leftOut = [this, &view](const QString &said) { return visibleLabel(view, said) != nullptr; };

    // A paste takes what fits, at the cursor, and the editor says what it left out.
    text->moveCursor(QTextCursor::Start);
    QApplication::clipboard()->setText(QString(GameMemoEntry::maximumTextLength + 1000, QLatin1Char('x')));
    text->paste();
    EXPECT_EQ(text->toPlainText().size(), GameMemoEntry::maximumTextLength);
    EXPECT_TRUE(text->toPlainText().endsWith(QStringLiteral("ab")));
    EXPECT_EQ(model->entriesByKey().value(game.key).text, text->toPlainText());
    EXPECT_TRUE(leftOut(QStringLiteral(
        "A note holds at most 20,000 characters: the last 1,002 characters you entered were left out.")));
    saveScreenshot(view, QStringLiteral("notes-popover-left-out.png"));
    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_TRUE(leftOut(
        QStringLiteral("メモに入れられるのは最大 20,000 文字です。入力した最後の 1,002 文字は入りませんでした。")));
    setCurrentClientLanguage(ClientLanguage::english);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);

    // Typing and inserting past the limit is cut back at once, and said too.
    QTest::keyClicks(text, QStringLiteral("yz"));
    EXPECT_TRUE(leftOut(
        QStringLiteral("A note holds at most 20,000 characters: the last character you entered was left out.")));
    text->insertPlainText(QString(1000, QLatin1Char('w')));
    EXPECT_EQ(text->toPlainText().size(), GameMemoEntry::maximumTextLength);
    EXPECT_TRUE(text->toPlainText().endsWith(QStringLiteral("ab")));
    EXPECT_EQ(model->entriesByKey().value(game.key).text, text->toPlainText());
    EXPECT_TRUE(leftOut(QStringLiteral(
        "A note holds at most 20,000 characters: the last 1,000 characters you entered were left out.")));

    // A selection replaced by a paste leaves room for what it held; a change that fits
    // takes the words away.
    text->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("short"));
    text->paste();
    EXPECT_EQ(model->entriesByKey().value(game.key).text, QStringLiteral("short"));
    EXPECT_FALSE(view.findChild<NoteTextEditor *>()->leftOutLabel()->isVisible());

    // Lines ended with CR LF take one character each for their line end, as in the note.
    text->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QStringLiteral("abcdefghi\r\n").repeated(2000));
    text->paste();
    EXPECT_EQ(text->toPlainText(),
        QStringLiteral("short") + QStringLiteral("abcdefghi\n").repeated(1999) + QStringLiteral("abcde"));
    EXPECT_TRUE(leftOut(
        QStringLiteral("A note holds at most 20,000 characters: the last 5 characters you entered were left out.")));
    text->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("short"));
    text->paste();

    // A lone CR (as older programs end lines) is a line end too, taking one character.
    text->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(
        QStringLiteral("abcdefghi\r").repeated(1000) + QStringLiteral("abcdefghi\r\n").repeated(1000));
    text->paste();
    EXPECT_EQ(model->entriesByKey().value(game.key).text,
        QStringLiteral("short") + QStringLiteral("abcdefghi\n").repeated(1999) + QStringLiteral("abcde"));
    EXPECT_TRUE(leftOut(
        QStringLiteral("A note holds at most 20,000 characters: the last 5 characters you entered were left out.")));
    text->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("short"));
    text->paste();

    // A character of several code units (an emoji with its skin tone takes four) is
    // taken or left out whole, and what was left out is counted as the player sees it.
    const QString thumb = QStringLiteral("\U0001F44D\U0001F3FD");
    text->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(thumb.repeated(15000));
    text->paste();
    // 19,995 code units were left: 4,998 emoji fit, 10,002 did not.
    const QString kept = QStringLiteral("short") + thumb.repeated(4998);
    EXPECT_EQ(text->toPlainText(), kept);
    EXPECT_EQ(model->entriesByKey().value(game.key).text, kept);
    EXPECT_TRUE(leftOut(QStringLiteral(
        "A note holds at most 20,000 characters: the last 10,002 characters you entered were left out.")));
    // Typed through an input method into the three code units left, it goes whole too.
    QInputMethodEvent input;
    input.setCommitString(thumb);
    QApplication::sendEvent(text, &input);
    EXPECT_EQ(text->toPlainText(), kept);
    EXPECT_EQ(model->entriesByKey().value(game.key).text, kept);
    EXPECT_TRUE(leftOut(
        QStringLiteral("A note holds at most 20,000 characters: the last character you entered was left out.")));
}

TEST_F(CurrentGameMemoViewTest, TheStatusLineSaysWhenNotesKeptAsideCameBack)
{
    const GameMemoContext game = context(QStringLiteral("Dragon Tale"));
    auto owned = std::make_unique<RecordingGameMemoStore>();
    owned->setKeptAside({{QStringLiteral("memory #1"),
        {{game.key, game.applicationName, game.windowTitle, game.representativeGameName, QStringLiteral("kept"),
            QDateTime(QDate(2024, 1, 1), QTime(9, 0), Qt::UTC)}}}});
    store = owned.get();
    model = std::make_unique<GameMemoLibraryModel>(std::move(owned), 400000000, sleeper, SteppingClock());
    EXPECT_TRUE(store->keptAside().isEmpty());
    CurrentGameMemoView view(model.get(), game);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(editor(view)->toPlainText(), QStringLiteral("kept"));
    EXPECT_NE(visibleLabel(view, QStringLiteral("The notes kept aside earlier are back in your notes.")), nullptr);
    saveScreenshot(view, QStringLiteral("notes-popover-brought-back.png"));
    QTest::keyClicks(editor(view), QStringLiteral("!"));
    EXPECT_NE(visibleLabel(view, QStringLiteral("Changes are saved automatically.")), nullptr);
}

TEST_F(CurrentGameMemoViewTest, FixedTextsFollowTheInterfaceLanguage)
{
    CurrentGameMemoView view(model.get(), context(QStringLiteral("ドラゴン物語")));
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    // Japanese arrives through the input method, committed phrase by phrase.
    for (const QString &phrase : {QStringLiteral("ボスは"), QStringLiteral("火に弱い")}) {
        QInputMethodEvent input;
        input.setCommitString(phrase);
        QApplication::sendEvent(editor(view), &input);
    }
    EXPECT_EQ(model->entriesByKey().value(view.context().key).text, QStringLiteral("ボスは火に弱い"));
    saveScreenshot(view, QStringLiteral("notes-popover-en.png"));

    setCurrentClientLanguage(ClientLanguage::japanese);
    announceInterfaceLanguageChange();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_NE(visibleLabel(view, QStringLiteral("変更は自動的に保存されます。")), nullptr);
    saveScreenshot(view, QStringLiteral("notes-popover-ja.png"));
    setCurrentClientLanguage(ClientLanguage::korean);
    model->saveNow();
    EXPECT_NE(visibleLabel(view, QStringLiteral("변경 사항은 자동으로 저장됩니다.")), nullptr);
    setCurrentClientLanguage(ClientLanguage::english);
}
