// Test label: ui
// The window picker driven through its widgets: the first load, the collapsed groups and
// their rows, selecting, refreshing, confirming with Return (and a window that has gone),
// the messages in place of the list, and relabelling on a change of language.
#include "app/picker/WindowPickerView.h"
#include "app/picker/ApplicationGroupSection.h"
#include "app/picker/CaptureWindowRow.h"
#include "app/picker/WindowPickerModel.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/InterfaceLanguageChange.h"
#include "foundation/language/LocalizedString.h"
#include "support/ManualWindowCatalog.h"
#include "support/WidgetLookup.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::applicationGroup;
using veyra::test::ManualWindowCatalog;

namespace {

QVector<CaptureApplicationGroup> runningApplications()
{
    return {applicationGroup(10, QStringLiteral("Pixel Harbor"),
                {{101, QStringLiteral("Starlight Voyage"), QRectF(0, 0, 1280.7, 720.2)}, {102, QString()}}),
        applicationGroup(20, QStringLiteral("Text Editor"), {{201, QStringLiteral("Notes")}})};
}

class WindowPickerViewTest : public ::testing::Test
{
protected:
    WindowPickerViewTest()
    {
        view.resize(560, 520);
        QObject::connect(&view, &WindowPickerView::targetConfirmed,
            [this](const CaptureTarget &target) { confirmed.append(target); });
        QObject::connect(&view, &WindowPickerView::quitRequested, [this] { ++quits; });
    }
    ~WindowPickerViewTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    template <typename T = QWidget>
    T *find(const QString &name)
    {
        return veyra::test::named<T>(view, name);
    }
    bool shown(const QString &name) { return veyra::test::isShownIn(view, name); }
    void click(const QString &name)
    {
        QWidget *widget = find(name);
        ASSERT_NE(widget, nullptr) << name.toStdString();
        QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
    // Shows the picker in window choice and answers its first load.
    void showLoaded(QVector<CaptureApplicationGroup> groups = runningApplications())
    {
        view.setSessionIsChoosing(true);
        view.show();
        catalog->answerGroups(std::move(groups));
    }
    QPushButton *play() { return find<QPushButton>(QStringLiteral("select-capture-window")); }

    std::shared_ptr<ManualWindowCatalog> catalog = std::make_shared<ManualWindowCatalog>();
    WindowPickerView view{catalog};
    QVector<CaptureTarget> confirmed;
    int quits = 0;
};

} // namespace

TEST_F(WindowPickerViewTest, LoadsOnTheFirstDisplayInWindowChoiceAndListsCollapsedApplications)
{
    // Shown outside window choice: nothing is loaded.
    view.show();
    EXPECT_EQ(catalog->pendingGroupsCalls(), 0);
    EXPECT_TRUE(shown(QStringLiteral("window-picker-loading")));
    view.hide();

    view.setSessionIsChoosing(true);
    view.show();
    ASSERT_EQ(catalog->pendingGroupsCalls(), 1);
    EXPECT_TRUE(shown(QStringLiteral("window-picker-loading")));
    EXPECT_FALSE(find<QPushButton>(QStringLiteral("refresh-capture-windows"))->isEnabled());
    catalog->answerGroups(runningApplications());
    EXPECT_TRUE(shown(QStringLiteral("capture-window-list")));
    EXPECT_FALSE(shown(QStringLiteral("window-picker-loading")));
    EXPECT_TRUE(find<QPushButton>(QStringLiteral("refresh-capture-windows"))->isEnabled());

    // A later display keeps the list it has.
    view.hide();
    view.show();
    EXPECT_EQ(catalog->pendingGroupsCalls(), 0);

    auto *harbor = find<ApplicationGroupHeader>(QStringLiteral("app-group-10"));
    ASSERT_NE(harbor, nullptr);
    EXPECT_EQ(harbor->windowCountText(), QStringLiteral("2 windows"));
    // One window is one window.
    EXPECT_EQ(
        find<ApplicationGroupHeader>(QStringLiteral("app-group-20"))->windowCountText(), QStringLiteral("1 window"));
    EXPECT_TRUE(shown(QStringLiteral("app-group-20")));
    EXPECT_FALSE(shown(QStringLiteral("capture-window-101")));
    click(QStringLiteral("app-group-10"));
    EXPECT_TRUE(shown(QStringLiteral("capture-window-101")));
    EXPECT_FALSE(shown(QStringLiteral("capture-window-201")));
    EXPECT_EQ(
        find<CaptureWindowRow>(QStringLiteral("capture-window-102"))->displayTitle(), QStringLiteral("(Untitled)"));
    EXPECT_EQ(find<CaptureWindowRow>(QStringLiteral("capture-window-101"))->accessibleName(),
        QStringLiteral("Starlight Voyage, 1280 \u00D7 720"));

    // An expanded application stays expanded through a refresh.
    click(QStringLiteral("refresh-capture-windows"));
    catalog->answerGroups(runningApplications());
    EXPECT_TRUE(shown(QStringLiteral("capture-window-101")));
    EXPECT_EQ(view.findChildren<CaptureWindowRow *>(QStringLiteral("capture-window-101")).size(), 1);
}

TEST_F(WindowPickerViewTest, SelectingRefreshingAndConfirmingWithReturn)
{
    showLoaded();
    EXPECT_FALSE(play()->isEnabled());
    click(QStringLiteral("app-group-10"));
    click(QStringLiteral("capture-window-101"));
    EXPECT_TRUE(play()->isEnabled());
    EXPECT_TRUE(find<CaptureWindowRow>(QStringLiteral("capture-window-101"))->isMarkedSelected());

    // The window closed meanwhile: a red message, and the session is not told.
    QTest::keyClick(&view, Qt::Key_Return);
    catalog->answerAvailability(false);
    EXPECT_TRUE(confirmed.isEmpty());
    ASSERT_TRUE(shown(QStringLiteral("window-selection-error")));
    EXPECT_EQ(find<QLabel>(QStringLiteral("window-selection-error"))->text(),
        QStringLiteral("The selected window is no longer available. Refresh the list and select it again."));
    // Choosing a row clears it.
    click(QStringLiteral("capture-window-102"));
    EXPECT_FALSE(shown(QStringLiteral("window-selection-error")));

    // Refresh keeps the selection while the same window of the same process is listed.
    click(QStringLiteral("refresh-capture-windows"));
    catalog->answerGroups(runningApplications());
    EXPECT_TRUE(find<CaptureWindowRow>(QStringLiteral("capture-window-102"))->isMarkedSelected());
    click(QStringLiteral("select-capture-window"));
    catalog->answerAvailability(true);
    ASSERT_EQ(confirmed.size(), 1);
    EXPECT_EQ(confirmed[0].windowID, 102u);
    EXPECT_EQ(catalog->checkedTargets().last().windowID, 102u);

    // A refresh in which the window is gone leaves "Play with Veyra" disabled; Return
    // then does nothing.
    click(QStringLiteral("refresh-capture-windows"));
    catalog->answerGroups({applicationGroup(20, QStringLiteral("Text Editor"), {{201, QStringLiteral("Notes")}})});
    EXPECT_FALSE(play()->isEnabled());
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(catalog->pendingAvailabilityCalls(), 0);

    // Back to window choice: reloaded with nothing selected.
    click(QStringLiteral("app-group-20"));
    click(QStringLiteral("capture-window-201"));
    view.sessionSelectionRevisionChanged();
    catalog->answerGroups(runningApplications());
    EXPECT_EQ(view.model()->selectedWindowID(), std::nullopt);
    EXPECT_FALSE(find<CaptureWindowRow>(QStringLiteral("capture-window-201"))->isMarkedSelected());
}

TEST_F(WindowPickerViewTest, ARowChosenWhileARefreshIsOutIsTheChoiceWhenItAnswers)
{
    showLoaded();
    click(QStringLiteral("app-group-10"));
    click(QStringLiteral("capture-window-101"));
    // The list stays on screen while the catalog is out: another row, then Play.
    click(QStringLiteral("refresh-capture-windows"));
    click(QStringLiteral("capture-window-102"));
    QTest::keyClick(&view, Qt::Key_Return);
    catalog->answerGroups(runningApplications());
    EXPECT_TRUE(find<CaptureWindowRow>(QStringLiteral("capture-window-102"))->isMarkedSelected());
    EXPECT_FALSE(find<CaptureWindowRow>(QStringLiteral("capture-window-101"))->isMarkedSelected());
    catalog->answerAvailability(true);
    ASSERT_EQ(confirmed.size(), 1);
    EXPECT_EQ(confirmed[0].windowID, 102u);

    // Chosen meanwhile but gone from the new list: nothing is selected.
    click(QStringLiteral("refresh-capture-windows"));
    click(QStringLiteral("capture-window-101"));
    catalog->answerGroups({applicationGroup(10, QStringLiteral("Pixel Harbor"), {{102, QString()}})});
    EXPECT_EQ(view.model()->selectedWindowID(), std::nullopt);
    EXPECT_FALSE(play()->isEnabled());
}

TEST_F(WindowPickerViewTest, AFailedOrEmptyListShowsItsMessageWithQuitAndRefreshStaysAvailable)
{
    view.setSessionIsChoosing(true);
    view.show();
    catalog->failGroups();
    ASSERT_TRUE(shown(QStringLiteral("window-picker-message")));
    auto *message = find(QStringLiteral("window-picker-message"));
    EXPECT_TRUE(message->findChild<QLabel *>()->text().startsWith(QStringLiteral("Veyra couldn't load")));
    EXPECT_TRUE(find<QPushButton>(QStringLiteral("refresh-capture-windows"))->isEnabled());
    auto *quit = message->findChild<QPushButton *>();
    QTest::mouseClick(quit, Qt::LeftButton);
    EXPECT_EQ(quits, 1);

    click(QStringLiteral("refresh-capture-windows"));
    catalog->answerGroups({});
    EXPECT_TRUE(shown(QStringLiteral("window-picker-message")));
    EXPECT_EQ(message->findChild<QLabel *>()->text(),
        QStringLiteral(
            "No selectable windows were found. Open the game you want to translate, then refresh the list."));
}

TEST_F(WindowPickerViewTest, AChangeOfInterfaceLanguageRelabelsTheScreen)
{
    const QString windowGone
        = QStringLiteral("The selected window is no longer available. Refresh the list and select it again.");
    const QString listFailed
        = QStringLiteral("Veyra couldn't load the running window list. Refresh the list and try again.");
    const auto switchTo = [](ClientLanguage language) {
        setCurrentClientLanguage(language);
        announceInterfaceLanguageChange();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    };
    showLoaded();
    // A message already on screen, made in English.
    click(QStringLiteral("app-group-10"));
    click(QStringLiteral("capture-window-101"));
    QTest::keyClick(&view, Qt::Key_Return);
    catalog->answerAvailability(false);
    ASSERT_EQ(find<QLabel>(QStringLiteral("window-selection-error"))->text(), windowGone);

    switchTo(ClientLanguage::japanese);
    // The message on screen is worded again in the new language.
    EXPECT_EQ(find<QLabel>(QStringLiteral("window-selection-error"))->text(), localizedString(windowGone));
    EXPECT_NE(localizedString(windowGone), windowGone);
    EXPECT_NE(find<QPushButton>(QStringLiteral("refresh-capture-windows"))->text(), QStringLiteral("Refresh"));
    EXPECT_NE(play()->text(), QStringLiteral("Play with Veyra"));
    EXPECT_NE(
        find<ApplicationGroupHeader>(QStringLiteral("app-group-10"))->windowCountText(), QStringLiteral("2 windows"));
    EXPECT_NE(
        find<CaptureWindowRow>(QStringLiteral("capture-window-102"))->displayTitle(), QStringLiteral("(Untitled)"));

    // A list that failed to load, made in Japanese, then read in Korean.
    click(QStringLiteral("refresh-capture-windows"));
    catalog->failGroups();
    QLabel *message = find(QStringLiteral("window-picker-message"))->findChild<QLabel *>();
    ASSERT_EQ(message->text(), localizedString(listFailed));
    switchTo(ClientLanguage::korean);
    EXPECT_EQ(message->text(), localizedString(listFailed));
    EXPECT_NE(message->text(), listFailed);
}
