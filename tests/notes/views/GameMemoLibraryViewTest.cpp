// Test label: ui
// The notes window, driven through its widgets: the list of notes newest first, choosing
// a row, editing in "game-notes-detail-editor", the empty state, the error row, the saves
// that a change of selection and closing cause, and the interface language.
#include "notes/views/GameMemoLibraryView.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/InMemoryClientLanguageSettingsStore.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/views/CurrentGameMemoView.h"
#include "notes/views/GameMemoListModel.h"
#include "notes/views/GameMemoRowDelegate.h"
#include "notes/views/NoteTextEditor.h"
#include "notes/views/RelativeDateText.h"
#include "support/GatedSleeper.h"
#include "support/RecordingGameMemoStore.h"
#include "support/RunTask.h"
#include "support/TestScreenshots.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::GatedSleeper;
using veyra::test::RecordingGameMemoStore;
using veyra::test::saveScreenshot;
using veyra::test::waitUntil;

namespace {

GameMemoContext context(const QString &title, std::optional<QString> gameName = std::nullopt)
{
    return {{{GameApplicationIdentity::Kind::executablePath, QStringLiteral("/opt/games/") + title}, title},
        title + QStringLiteral(" App"), title, std::move(gameName)};
}

GameMemoEntry note(const GameMemoContext &of, const QString &text, const QDateTime &updatedAt)
{
    return {of.key, of.applicationName, of.windowTitle, of.representativeGameName, text, updatedAt};
}

class GameMemoLibraryViewTest : public ::testing::Test
{
protected:
    // A delayed save cancelled with the model ends on the next turn of the event loop.
    ~GameMemoLibraryViewTest() override
    {
        model.reset();
        QCoreApplication::processEvents();
    }

    void makeModel(QVector<GameMemoEntry> stored)
    {
        auto owned = std::make_unique<RecordingGameMemoStore>(std::move(stored));
        store = owned.get();
        model
            = std::make_unique<GameMemoLibraryModel>(std::move(owned), 400000000, sleeper, [this] { return clockNow; });
    }

    QPlainTextEdit *detailEditor(QWidget &view)
    {
        return view.findChild<QPlainTextEdit *>(QString::fromLatin1(GameMemoLibraryView::detailEditorObjectName));
    }
    QStringList rowTitles(GameMemoLibraryView &view)
    {
        QStringList titles;
        for (int row = 0; row < view.listModel()->rowCount(); ++row) {
            titles.append(view.listModel()->index(row).data().toString());
        }
        return titles;
    }
    void clickRow(GameMemoLibraryView &view, int row)
    {
        QListView *list = view.listView();
        const QRect rect = list->visualRect(view.listModel()->index(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    bool showsLabel(QWidget &view, const QString &text)
    {
        for (QLabel *label : view.findChildren<QLabel *>()) {
            if (label->isVisible() && label->text() == text) {
                return true;
            }
        }
        return false;
    }

    std::shared_ptr<GatedSleeper> sleeper = std::make_shared<GatedSleeper>();
    RecordingGameMemoStore *store = nullptr;
    std::unique_ptr<GameMemoLibraryModel> model;
    ClientLanguageSettingsModel languages{
        std::make_unique<InMemoryClientLanguageSettingsStore>(), QStringList{QStringLiteral("en-US")}};
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // The date the model gives an edit: moved by the test only.
    QDateTime clockNow = now;
    const GameMemoContext dragon = context(QStringLiteral("Dragon"), QStringLiteral("Dragon Tale"));
    const GameMemoContext space = context(QStringLiteral("Space"));
    const GameMemoContext castle = context(QStringLiteral("Castle"), QStringLiteral("  "));
};

} // namespace

TEST_F(GameMemoLibraryViewTest, ListsNotesNewestFirstAndEditsTheChosenOne)
{
    makeModel({note(space, QStringLiteral("asteroids"), now.addSecs(-7200)),
        note(dragon, QStringLiteral("Boss: use fire"), now.addSecs(-300)),
        note(castle, QStringLiteral("secret door"), now.addDays(-3)),
        note(context(QStringLiteral("Blank")), QStringLiteral(" \n"), now)});
    GameMemoLibraryView view(model.get());
    view.resize(GameMemoLibraryView::defaultWindowSize);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    // Blank notes are not listed; a blank game name falls back to the window title.
    EXPECT_EQ(rowTitles(view),
        (QStringList{QStringLiteral("Dragon Tale"), QStringLiteral("Space"), QStringLiteral("Castle")}));
    EXPECT_EQ(view.windowTitle(), gameNotesWindowTitle());
    EXPECT_TRUE(showsLabel(view, gameNotesWindowTitle()));
    // Nothing chosen yet: the empty detail beside the rows asks for a choice; it does not
    // claim there are no notes.
    EXPECT_FALSE(view.isShowingDetail());
    EXPECT_TRUE(showsLabel(view, QStringLiteral("No Note Selected")));
    EXPECT_TRUE(showsLabel(view, QStringLiteral("Choose a note in the list to read or edit it.")));
    EXPECT_FALSE(showsLabel(view, QStringLiteral("No Game Notes")));
    saveScreenshot(view, QStringLiteral("notes-library-unselected.png"));

    const auto *delegate = qobject_cast<GameMemoRowDelegate *>(view.listView()->itemDelegate());
    const GameMemoRowDelegate::RowTexts first = delegate->rowTexts(view.listModel()->index(0), view.locale());
    EXPECT_EQ(first.applicationName, QStringLiteral("Dragon App"));
    EXPECT_EQ(first.updated, QStringLiteral("5 min ago"));

    clickRow(view, 1);
    EXPECT_EQ(view.selection(), space.key);
    EXPECT_TRUE(view.isShowingDetail());
    QPlainTextEdit *editor = detailEditor(view);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("asteroids"));
    EXPECT_TRUE(showsLabel(view, QStringLiteral("Space")));
    EXPECT_FALSE(showsLabel(view, QStringLiteral("Changes are saved automatically.")));
    // Every change of the choice, the first one too, writes at once what is not written
    // yet: nothing so far.
    EXPECT_EQ(store->saves.size(), 0);

    // Typing edits the note by its key and moves its row to the top, still chosen.
    clockNow = now.addSecs(-1);
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral(" & comets"));
    EXPECT_EQ(model->entriesByKey().value(space.key).text, QStringLiteral("asteroids & comets"));
    EXPECT_EQ(rowTitles(view).first(), QStringLiteral("Space"));
    EXPECT_EQ(view.listView()->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(model->entriesByKey().value(space.key).representativeGameName, std::nullopt);
    saveScreenshot(view, QStringLiteral("notes-library-selected.png"));

    // Choosing another row writes the pending edit at once.
    EXPECT_TRUE(model->saveTask().has_value());
    clickRow(view, 1);
    EXPECT_EQ(view.selection(), dragon.key);
    ASSERT_EQ(store->saves.size(), 1);
    EXPECT_EQ(store->entries().value(0).text, QStringLiteral("asteroids & comets"));
    EXPECT_FALSE(model->saveTask().has_value());
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Boss: use fire"));

    // Typing in the note popover of the same game shows in the window at once.
    clockNow = now;
    CurrentGameMemoView popover(model.get(), dragon);
    popover.show();
    QTest::keyClicks(popover.findChild<QPlainTextEdit *>(QStringLiteral("game-note-editor")), QStringLiteral("!"));
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("Boss: use fire!"));
    EXPECT_EQ(rowTitles(view).first(), QStringLiteral("Dragon Tale"));
    EXPECT_EQ(delegate->rowTexts(view.listModel()->index(0), view.locale()).updated, QStringLiteral("Just now"));

    // Notes edited at the same moment come in the order of their keys, whichever was
    // edited last.
    model->updateText(QStringLiteral("asteroids"), space.key);
    EXPECT_EQ(rowTitles(view).mid(0, 2), (QStringList{QStringLiteral("Dragon Tale"), QStringLiteral("Space")}));
    model->updateText(QStringLiteral("Boss: use fire!"), dragon.key);
    EXPECT_EQ(rowTitles(view).mid(0, 2), (QStringList{QStringLiteral("Dragon Tale"), QStringLiteral("Space")}));

    // Closing the window writes at once.
    const qsizetype saves = store->saves.size();
    view.hide();
    EXPECT_EQ(store->saves.size(), saves + 1);
}

TEST_F(GameMemoLibraryViewTest, AClearedNoteLeavesTheListAndThenTheDetail)
{
    makeModel({note(dragon, QStringLiteral("Boss: use fire"), now),
        note(space, QStringLiteral("asteroids"), now.addSecs(-60))});
    GameMemoLibraryView view(model.get());
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    clickRow(view, 0);
    QPlainTextEdit *editor = detailEditor(view);
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_Delete);

    // Gone from the list at once; the editor stays until the save has run.
    EXPECT_EQ(rowTitles(view), QStringList{QStringLiteral("Space")});
    EXPECT_TRUE(view.isShowingDetail());
    EXPECT_TRUE(view.listView()->selectionModel()->selectedRows().isEmpty());
    ASSERT_TRUE(waitUntil([this] { return sleeper->sleepingCount() == 1; }));
    sleeper->releaseOne();
    ASSERT_TRUE(waitUntil([this] { return store->saves.size() == 1; }));
    EXPECT_FALSE(view.isShowingDetail());
    EXPECT_TRUE(showsLabel(view, QStringLiteral("No Note Selected")));
    // The view neither chose another row nor forgot its choice.
    EXPECT_EQ(view.selection(), dragon.key);

    // No notes at all.
    clickRow(view, 0);
    detailEditor(view)->selectAll();
    QTest::keyClick(detailEditor(view), Qt::Key_Delete);
    view.setSelection(std::nullopt);
    EXPECT_EQ(view.listModel()->rowCount(), 0);
    EXPECT_FALSE(view.isShowingDetail());
    EXPECT_TRUE(showsLabel(view, QStringLiteral("No Game Notes")));
    EXPECT_TRUE(showsLabel(view, QStringLiteral("Add a note from the overlay while playing a game.")));
    saveScreenshot(view, QStringLiteral("notes-library-empty.png"));
}

TEST_F(GameMemoLibraryViewTest, ShowsASaveFailureInFullUnderTheEditor)
{
    makeModel({note(dragon, QStringLiteral("Boss: use fire"), now)});
    store->setSaveError(std::make_exception_ptr(Error(QStringLiteral(
        "The file “/home/player/.local/share/Obrisk/game-memos.json” couldn't be saved. (No space left on device)"))));
    GameMemoLibraryView view(model.get());
    view.resize(GameMemoLibraryView::defaultWindowSize);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    clickRow(view, 0);
    QTest::keyClicks(detailEditor(view), QStringLiteral("!"));
    model->saveNow();

    QPushButton *retry = view.findChild<QPushButton *>();
    ASSERT_TRUE(retry->isVisible());
    EXPECT_EQ(retry->text(), QStringLiteral("Try Again"));
    // Kept nowhere else either (the store takes no copy): the player is told that the
    // text is only in the window.
    const QString english = model->errorMessage()->localized();
    EXPECT_EQ(english,
        QStringLiteral("Veyra couldn't save the note: The file “/home/player/.local/share/Obrisk/game-memos.json” "
                       "couldn't be saved. (No space left on device) Nor could it keep what you typed anywhere else, "
                       "so for now it is only in this window."));
    EXPECT_TRUE(showsLabel(view, english));
    saveScreenshot(view, QStringLiteral("notes-library-error.png"));
    // The message on screen is worded again when the interface language changes.
    languages.setLanguage(ClientLanguage::japanese);
    ASSERT_TRUE(waitUntil([&] { return view.locale().name() == QStringLiteral("ja_JP"); }));
    EXPECT_FALSE(showsLabel(view, english));
    EXPECT_TRUE(showsLabel(view,
        QStringLiteral(
            "Veyraはメモを保存できませんでした: The file “/home/player/.local/share/Obrisk/game-memos.json” "
            "couldn't be saved. (No space left on device) "
            "入力した内容をほかの場所に保管することもできなかったため、今はこのウィンドウの中にしかありません。")));
    languages.setLanguage(ClientLanguage::english);
    ASSERT_TRUE(waitUntil([&] { return showsLabel(view, english); }));

    store->setSaveError(nullptr);
    QTest::mouseClick(retry, Qt::LeftButton);
    EXPECT_FALSE(retry->isVisible());
    EXPECT_EQ(store->entries().value(0).text, QStringLiteral("Boss: use fire!"));
}

TEST_F(GameMemoLibraryViewTest, SaysWhatCameBackAndWhatAPasteLeftOut)
{
    // A note kept aside by an earlier run comes back as the window's model is made.
    auto owned = std::make_unique<RecordingGameMemoStore>(
        QVector<GameMemoEntry>{note(space, QStringLiteral("asteroids"), now)});
    owned->setKeptAside({{QStringLiteral("memory #1"), {note(dragon, QStringLiteral("Boss: use fire"), now)}}});
    store = owned.get();
    model = std::make_unique<GameMemoLibraryModel>(std::move(owned), 400000000, sleeper, [this] { return clockNow; });
    GameMemoLibraryView view(model.get());
    view.resize(GameMemoLibraryView::defaultWindowSize);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(rowTitles(view), (QStringList{QStringLiteral("Dragon Tale"), QStringLiteral("Space")}));
    // Said with or without a note chosen.
    const QString cameBack = QStringLiteral("The notes kept aside earlier are back in your notes.");
    EXPECT_TRUE(showsLabel(view, cameBack));
    clickRow(view, 0);
    EXPECT_TRUE(showsLabel(view, cameBack));
    saveScreenshot(view, QStringLiteral("notes-library-brought-back.png"));

    // A paste past what a note holds: the detail says what it left out.
    QPlainTextEdit *editor = detailEditor(view);
    editor->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QString(GameMemoEntry::maximumTextLength, QLatin1Char('x')));
    editor->paste();
    EXPECT_EQ(model->entriesByKey().value(dragon.key).text.size(), GameMemoEntry::maximumTextLength);
    EXPECT_TRUE(showsLabel(view,
        QStringLiteral("A note holds at most 20,000 characters: the last 14 characters you entered were left out.")));
    // The edit took the notice away; another note takes the words away.
    EXPECT_FALSE(showsLabel(view, cameBack));
    clickRow(view, 1);
    EXPECT_FALSE(view.findChild<NoteTextEditor *>()->leftOutLabel()->isVisible());
}

TEST_F(GameMemoLibraryViewTest, FollowsTheInterfaceLanguage)
{
    makeModel({note(dragon, QStringLiteral("ボスは火に弱い"), now.addSecs(-3 * 3600)),
        note(context(QStringLiteral("용의 전설"), QStringLiteral("용의 전설")), QStringLiteral("보스는 불에 약함"),
            now.addDays(-9))});
    GameMemoLibraryView view(model.get());
    view.resize(GameMemoLibraryView::defaultWindowSize);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    languages.setLanguage(ClientLanguage::japanese);
    ASSERT_TRUE(waitUntil([&] { return view.locale().name() == QStringLiteral("ja_JP"); }));
    EXPECT_TRUE(showsLabel(view, QStringLiteral("メモが選択されていません")));
    EXPECT_TRUE(showsLabel(view, gameNotesWindowTitle()));
    EXPECT_TRUE(gameNotesWindowTitle().startsWith(QStringLiteral("ゲームメモ")));
    const auto *delegate = qobject_cast<GameMemoRowDelegate *>(view.listView()->itemDelegate());
    EXPECT_EQ(delegate->rowTexts(view.listModel()->index(0), view.locale()).updated, QStringLiteral("3時間前"));
    saveScreenshot(view, QStringLiteral("notes-library-ja.png"));

    languages.setLanguage(ClientLanguage::korean);
    ASSERT_TRUE(waitUntil([&] { return view.locale().name() == QStringLiteral("ko_KR"); }));
    clickRow(view, 0);
    EXPECT_EQ(view.findChild<QPushButton *>()->text(), QStringLiteral("다시 시도"));
    EXPECT_EQ(delegate->rowTexts(view.listModel()->index(0), view.locale()).updated, QStringLiteral("3시간 전"));
    saveScreenshot(view, QStringLiteral("notes-library-ko.png"));
    languages.setLanguage(ClientLanguage::english);
}

TEST_F(GameMemoLibraryViewTest, AnUntitledWindowsNoteIsListedAndShownAsUntitled)
{
    const GameMemoContext untitled = context(QString());
    makeModel({note(untitled, QStringLiteral("door code 4521"), now.addSecs(-60)),
        note(dragon, QStringLiteral("Boss: use fire"), now.addSecs(-300))});
    GameMemoLibraryView view(model.get());
    view.resize(GameMemoLibraryView::defaultWindowSize);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(rowTitles(view), (QStringList{QStringLiteral("(Untitled)"), QStringLiteral("Dragon Tale")}));
    clickRow(view, 0);
    EXPECT_EQ(view.selection(), untitled.key);
    EXPECT_TRUE(showsLabel(view, QStringLiteral("(Untitled)")));
    EXPECT_EQ(detailEditor(view)->accessibleName(), QStringLiteral("(Untitled)"));
    saveScreenshot(view, QStringLiteral("notes-library-untitled-en.png"));

    for (const auto &[language, shown] : {std::pair{ClientLanguage::japanese, QStringLiteral("(名称未設定)")},
             std::pair{ClientLanguage::korean, QStringLiteral("(제목 없음)")}}) {
        languages.setLanguage(language);
        ASSERT_TRUE(waitUntil([&] { return showsLabel(view, shown); }));
        EXPECT_EQ(rowTitles(view).value(0), shown);
        EXPECT_FALSE(showsLabel(view, QStringLiteral("(Untitled)")));
    }
    saveScreenshot(view, QStringLiteral("notes-library-untitled-ko.png"));
    languages.setLanguage(ClientLanguage::english);

    // The stored note keeps its empty title.
    EXPECT_EQ(model->entriesByKey().value(untitled.key).windowTitle, QString());
    EXPECT_EQ(model->entriesByKey().value(untitled.key).displayTitle(), QString());
}

TEST(RelativeDateText, SaysHowLongAgoInTheInterfaceLanguage)
{
    const QDateTime now(QDate(2024, 6, 15), QTime(12, 0), Qt::UTC);
    const QLocale english(QStringLiteral("en"));
    EXPECT_EQ(relativeDateText(now.addSecs(-59), now, english), QStringLiteral("Just now"));
    EXPECT_EQ(relativeDateText(now.addSecs(60), now, english), QStringLiteral("Just now"));
    EXPECT_EQ(relativeDateText(now.addSecs(-60), now, english), QStringLiteral("1 min ago"));
    EXPECT_EQ(relativeDateText(now.addSecs(-3599), now, english), QStringLiteral("59 min ago"));
    EXPECT_EQ(relativeDateText(now.addSecs(-3600), now, english), QStringLiteral("1 hr ago"));
    EXPECT_EQ(relativeDateText(now.addDays(-1), now, english), QStringLiteral("1 day ago"));
    EXPECT_EQ(relativeDateText(now.addDays(-6), now, english), QStringLiteral("6 days ago"));
    EXPECT_EQ(relativeDateText(now.addDays(-30), now, english),
        english.toString(now.addDays(-30).toLocalTime().date(), QLocale::ShortFormat));

    setCurrentClientLanguage(ClientLanguage::korean);
    EXPECT_EQ(relativeDateText(now.addDays(-2), now, QLocale(QStringLiteral("ko"))), QStringLiteral("2일 전"));
    EXPECT_EQ(relativeDateText(now, now, QLocale(QStringLiteral("ko"))), QStringLiteral("방금 전"));
    setCurrentClientLanguage(ClientLanguage::japanese);
    EXPECT_EQ(relativeDateText(now.addSecs(-120), now, QLocale(QStringLiteral("ja"))), QStringLiteral("2分前"));
    setCurrentClientLanguage(ClientLanguage::english);
}

TEST(GameMemoListModel, KeepsItsRowsWhenOnlyTheirDataChanges)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // The date the model gives an edit: moved by the test only.
    QDateTime clockNow = now;
    const GameMemoContext a = context(QStringLiteral("A"));
    const GameMemoContext b = context(QStringLiteral("B"));
    GameMemoListModel rows;
    rows.setEntries({note(a, QStringLiteral("a"), now), note(b, QStringLiteral("b"), now)});
    int resets = 0;
    int changes = 0;
    QObject::connect(&rows, &QAbstractItemModel::modelReset, [&resets] { ++resets; });
    QObject::connect(&rows, &QAbstractItemModel::dataChanged, [&changes] { ++changes; });
    rows.setEntries({note(a, QStringLiteral("a2"), now), note(b, QStringLiteral("b"), now)});
    EXPECT_EQ(resets, 0);
    EXPECT_EQ(changes, 1);
    rows.setEntries({note(b, QStringLiteral("b"), now), note(a, QStringLiteral("a2"), now)});
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(rows.rowOf(a.key), 1);
    EXPECT_EQ(rows.keyAt(0), b.key);
    EXPECT_EQ(rows.rowOf(context(QStringLiteral("C")).key), std::nullopt);
}
