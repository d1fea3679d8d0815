// Test label: ui
// The fixture product in every interface language. Each window and screen is brought up in
// English; then the interface language is set to English, Japanese and Korean in turn
// through the application's language model (as the settings window does it), each window
// is painted, and every visible text, tool tip, menu entry, window title and text a view
// paints itself is read back. Each must be a text of that language's catalogue (or a
// filled-in pattern of one); names and player data are allowed by an explicit list, and a
// text without letters passes. In each language every window is also laid out at the size
// it has on screen and, when the player can resize it, at its least size: no two visible
// controls may overlap, none may be cut off by what holds it (outside a scroll area), and
// no text may need more room than its label or button has. The screens the product passes
// through too quickly to read (the sign-in screen's passing phases, the picker loading or
// failing, the editor taking its picture, the updater's alerts and progress window, the
// restart alert) are shown by themselves in a window sized as the main window sizes its
// screens.
#include "account/views/AuthenticationView.h"
#include "account/views/AuthenticationViewModel.h"
#include "app/flow/MainFlowView.h"
#include "app/menu/ObriskCommands.h"
#include "app/menu/StatusMenuTrayIcon.h"
#include "app/picker/WindowPickerModel.h"
#include "app/picker/WindowPickerView.h"
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "app/style/ScreenStyle.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "capture/windows/QtPermissionRestartPresenter.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/guide/InMemoryCaptureAreaGuideStore.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/settings/UserDefaults.h"
#include "notes/views/GameMemoLibraryView.h"
#include "notes/views/GameMemoListModel.h"
#include "overlay/panels/OverlayPanelController.h"
#include "overlay/strip/OverlayActionView.h"
#include "overlay/strip/OverlayControlTooltipPresenter.h"
#include "overlay/strip/OverlayHandleView.h"
#include "settings/window/SettingsView.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeCaptureAreaEditorSession.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/ManualWindowCatalog.h"
#include "support/RunTask.h"
#include "support/ShownText.h"
#include "support/TestAppUpdateModel.h"
#include "support/TestScreenshots.h"
#include "support/TranslationKeys.h"
#include "support/WidgetLookup.h"
#include "update/model/AppUpdateModel.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/VeyraAppUpdateUserDriver.h"
#include "update/updater/AppUpdaterError.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <QTranslator>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <optional>
#include <utility>

using namespace veyra;
using namespace veyra::test;

namespace {

// Texts from outside the catalogues that may show in any language: names and the player's
// data the fixture product shows. Everything else a window shows must be a text of the
// current language's catalogue (or a filled-in pattern of one), or hold no letter at all.
const QStringList namesAndPlayerData = {
    // The application's name (its lockup, the tray's tool tip and the main window's title).
    QStringLiteral("Veyra"),
    QStringLiteral("Veyra Debug"),
    // The fixture's games: application names and window titles.
    QStringLiteral("Pixel Harbor"),
    QStringLiteral("Starlight Voyage"),
    QStringLiteral("Text Editor"),
    // The example game of the screens shown by themselves.
    QStringLiteral("Example Game"),
    QStringLiteral("Main"),
    // The fixture game's dialogue as read and as translated, on the overlay and in the
    // report popover.
    QStringLiteral("The journey begins with a single decision."),
    QStringLiteral("The journey starts with one decision."),
    QStringLiteral("\u904B\u547D\u304C\u52D5\u304D\u51FA\u3059"),
    QStringLiteral("Fate begins to move."),
    // The fixture's capture areas, by their ids.
    QStringLiteral("box_1"),
    QStringLiteral("box_2"),
    // The fixture's account.
    QStringLiteral("Fixture Player"),
    QStringLiteral("fixture.player@example.com"),
    // The guide's speaker: a character's name.
    QStringLiteral("MIRA"),
    // The note typed in the walk.
    QStringLiteral("Boss: use fire"),
};

// What may show in the current interface language: the looked-up texts of every catalogue
// key, exactly and as patterns with their placeholders filled in.
class CurrentLanguageTexts
{
public:
    // Made while the language to check is the current one.
    CurrentLanguageTexts()
    {
        const TranslationKeys keys = translationKeysInSources();
        for (const QString &key : keys.texts) {
            add(localizedString(key));
        }
        for (const QString &key : keys.countTexts) {
            const QByteArray utf8 = key.toUtf8();
            for (const int count : {1, 2, 5, 21}) {
                QString form = localizedCountString(utf8.constData(), count);
                add(QRegularExpression::escape(form).replace(QString::number(count), QStringLiteral("[0-9]+")), true);
            }
        }
    }

    // Whether `text` is a text of the current language (or a name, or holds no letter).
    bool contains(QString text) const
    {
        text = text.trimmed();
        static const QRegularExpression letter(QStringLiteral("\\p{L}"));
        if (!text.contains(letter) || namesAndPlayerData.contains(text)) {
            return true;
        }
        // The debug build marks its window titles.
        static const QString debugMark = QStringLiteral(" \u2014 Debug");
        if (text.endsWith(debugMark)) {
            return contains(text.chopped(debugMark.size()));
        }
        if (m_texts.contains(text)) {
            return true;
        }
        for (const QRegularExpression &pattern : m_patterns) {
            if (pattern.match(text).hasMatch()) {
                return true;
            }
        }
        // A game's application name and window title; an area's kind and id.
        for (const QString &separator : {QStringLiteral(" \u2014 "), QStringLiteral(" ")}) {
            for (qsizetype at = text.indexOf(separator); at > 0; at = text.indexOf(separator, at + 1)) {
                if (contains(text.left(at)) && namesAndPlayerData.contains(text.mid(at + separator.size()))) {
                    return true;
                }
            }
        }
        return false;
    }

private:
    void add(const QString &text, bool isPattern = false)
    {
        static const QRegularExpression placeholder(QStringLiteral("%@|%d|%%"));
        if (!isPattern && !placeholder.match(text).hasMatch()) {
            m_texts.insert(text);
            return;
        }
        QString pattern = QStringLiteral("^");
        if (isPattern) {
            pattern += text;
        } else {
            qsizetype from = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch found = it.next();
                pattern += QRegularExpression::escape(text.mid(from, found.capturedStart() - from));
                const QString token = found.captured();
                pattern += token == QLatin1String("%@") ? QStringLiteral(".+")
                    : token == QLatin1String("%%")      ? QStringLiteral("%")
                                                        : QStringLiteral("[0-9]+");
                from = found.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(from));
        }
        pattern += QStringLiteral("$");
        m_patterns.emplace_back(pattern, QRegularExpression::DotMatchesEverythingOption);
    }

    QSet<QString> m_texts;
    std::vector<QRegularExpression> m_patterns;
};

// A widget's rectangle in `window`'s coordinates, cut to what its ancestors let show.
QRect visibleRect(const QWidget &widget, const QWidget &window)
{
    QRect shown(widget.mapTo(&window, QPoint(0, 0)), widget.size());
    for (const QWidget *parent = widget.parentWidget(); parent && parent != &window; parent = parent->parentWidget()) {
        shown &= QRect(parent->mapTo(&window, QPoint(0, 0)), parent->size());
    }
    return shown & window.rect();
}

// Inside a scroll area that scrolls (one holding a whole window's content may not).
bool isInsideScrollArea(const QWidget &widget, const QWidget &window)
{
    for (const QWidget *parent = widget.parentWidget(); parent && parent != &window; parent = parent->parentWidget()) {
        if (const auto *area = qobject_cast<const QAbstractScrollArea *>(parent)) {
            if (area->verticalScrollBar()->maximum() > 0 || area->horizontalScrollBar()->maximum() > 0) {
                return true;
            }
        }
    }
    return false;
}

QString describe(const QWidget &widget)
{
    QString text;
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        text = label->text();
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        text = button->text();
    }
    return QStringLiteral("%1 \"%2\" %3,%4 %5x%6")
        .arg(
            widget.objectName().isEmpty() ? QString::fromLatin1(widget.metaObject()->className()) : widget.objectName(),
            text.left(40))
        .arg(widget.mapTo(widget.window(), QPoint(0, 0)).x())
        .arg(widget.mapTo(widget.window(), QPoint(0, 0)).y())
        .arg(widget.width())
        .arg(widget.height());
}

// Whether the widget is a control a player reads or uses: a label with text or a
// picture, a button, a field, a list of choices.
bool isControl(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        return !label->text().isEmpty() || !label->pixmap().isNull();
    }
    return qobject_cast<const QAbstractButton *>(&widget) || qobject_cast<const QLineEdit *>(&widget)
        || qobject_cast<const QComboBox *>(&widget) || qobject_cast<const QAbstractSpinBox *>(&widget)
        || qobject_cast<const QPlainTextEdit *>(&widget) || qobject_cast<const QTextEdit *>(&widget)
        || qobject_cast<const QProgressBar *>(&widget);
}

// Where a text of the control does not fit its rectangle, given its font and wrapping.
std::optional<QString> cutText(const QWidget &widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(&widget)) {
        if (label->text().isEmpty()) {
            return std::nullopt;
        }
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            if (needed > label->height()) {
                return QStringLiteral("needs %1 px of height at its width").arg(needed);
            }
        } else {
            const QSize needed = label->sizeHint();
            if (needed.width() > label->width() || needed.height() > label->height()) {
                return QStringLiteral("needs %1x%2").arg(needed.width()).arg(needed.height());
            }
        }
        return std::nullopt;
    }
    if (const auto *button = qobject_cast<const QAbstractButton *>(&widget)) {
        if (button->text().isEmpty()) {
            return std::nullopt;
        }
        const QSize needed = button->sizeHint();
        if (needed.width() > button->width() || needed.height() > button->height()) {
            return QStringLiteral("needs %1x%2").arg(needed.width()).arg(needed.height());
        }
    }
    return std::nullopt;
}

// Every fault of the window's layout as it is on screen: controls that overlap, controls
// cut off by what holds them (outside a scroll area), texts that do not fit.
QStringList layoutFaults(QWidget &window)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QStringList faults;
    std::vector<std::pair<const QWidget *, QRect>> controls;
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        // (A dialog of the window is a window of its own, checked by itself.)
        if (!widget->isVisibleTo(&window) || widget->window() != &window || !isControl(*widget)) {
            continue;
        }
        // Qt's own parts of a control (a spin box's field, a combo box's list).
        if (widget->objectName().startsWith(QLatin1String("qt_")) || isControl(*widget->parentWidget())) {
            continue;
        }
        const QRect shown = visibleRect(*widget, window);
        if (shown.isEmpty()) {
            continue;
        }
        if (shown.size() != widget->size() && !isInsideScrollArea(*widget, window)) {
            faults.append(QStringLiteral("%1 is cut off (%2x%3 show)")
                              .arg(describe(*widget))
                              .arg(shown.width())
                              .arg(shown.height()));
        }
        if (const auto cut = cutText(*widget)) {
            faults.append(QStringLiteral("%1: text cut, %2").arg(describe(*widget), *cut));
        }
        controls.emplace_back(widget, shown);
    }
    for (std::size_t i = 0; i < controls.size(); ++i) {
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const auto &[first, firstRect] = controls[i];
            const auto &[second, secondRect] = controls[j];
            if (first->isAncestorOf(second) || second->isAncestorOf(first)) {
                continue;
            }
            if (firstRect.intersects(secondRect)) {
                faults.append(QStringLiteral("%1 overlaps %2").arg(describe(*first), describe(*second)));
            }
        }
    }
    return faults;
}

QStringList menuTexts(const QMenu &menu)
{
    QStringList texts{menu.title()};
    for (const QAction *action : menu.actions()) {
        if (action->isVisible() && !action->isSeparator()) {
            texts.append(action->text());
        }
    }
    return texts;
}

// The walk's findings, per window and language: how many texts were read, the ones not in
// the language, and the faults of the layout.
struct Findings
{
    int textsRead = 0;
    QStringList foreign;
    QStringList layout;
};

QString windowName(const QWidget &window)
{
    return window.objectName().isEmpty() ? QString::fromLatin1(window.metaObject()->className()) : window.objectName();
}

class InterfaceLanguageWalk : public ::testing::Test
{
protected:
    ~InterfaceLanguageWalk() override
    {
        setCurrentClientLanguage(ClientLanguage::english);
        // The tasks the application's objects cancelled when they went end now.
        giveRemainingTurns();
    }

    static QStringList launch(std::initializer_list<const char *> switches)
    {
        QStringList arguments{QStringLiteral("veyra"), QStringLiteral("--ui-testing")};
        for (const char *name : switches) {
            arguments.append(QString::fromLatin1(name));
        }
        return arguments;
    }

    // Lets the change of language reach every window: the posted LanguageChange events,
    // then what they schedule (the menus refill on the next turn), then the new layouts.
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        }
    }

    // Reads every open window, the menus and the extra texts in English, Japanese and
    // Korean, and goes back to English: each text must be one of the language's (or a
    // name), and no window may show controls that overlap or texts that do not fit, at
    // the size it has on screen. Each window is painted first, so that the views that
    // paint their own texts have painted them in the language. `screen` names what is
    // shown, for the report.
    void checkEveryLanguage(ClientLanguageSettingsModel &languages, const QString &screen,
        ApplicationScenes *scenes = nullptr, const std::function<QStringList()> &moreTexts = {})
    {
        // What was read in the first language: every other reads as many windows and texts.
        std::optional<std::pair<std::size_t, int>> firstRead;
        for (const ClientLanguage language :
            {ClientLanguage::english, ClientLanguage::japanese, ClientLanguage::korean}) {
            languages.setLanguage(language);
            settle();
            const CurrentLanguageTexts current;
            std::map<QString, QStringList> windows;
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (!window->isVisible() || qobject_cast<QMenu *>(window)) {
                    continue;
                }
                (void)window->grab();
                saveScreenshot(*window,
                    QStringLiteral("%1 - %2 - %3.png")
                        .arg(rawValue(language), screen, windowName(*window))
                        .replace(QLatin1Char('/'), QLatin1Char('_')));
                windows[windowName(*window)] += textsShownIn(*window);
                Findings &found = m_findings[rawValue(language)][windowName(*window) + QStringLiteral(" — ") + screen];
                const auto checkLayout = [&] {
                    for (const QString &fault : layoutFaults(*window)) {
                        found.layout.append(fault);
                        ADD_FAILURE() << rawValue(language).toStdString() << ", " << windowName(*window).toStdString()
                                      << " (" << window->width() << "x" << window->height() << ") — "
                                      << screen.toStdString() << ": " << fault.toStdString();
                    }
                };
                checkLayout();
                // A window the player can resize: also at the least size it allows.
                const bool resizable = window->minimumSize() != window->maximumSize()
                    && !window->windowFlags().testFlag(Qt::FramelessWindowHint)
                    && (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog);
                if (resizable && window->size() != window->minimumSize()) {
                    const QSize shown = window->size();
                    window->resize(window->minimumSize());
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    checkLayout();
                    window->resize(shown);
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                }
            }
            if (scenes) {
                if (QMainWindow *main = scenes->mainWindow()) {
                    if (auto *commands = main->findChild<ObriskCommands *>()) {
                        windows[QStringLiteral("application menu")] += menuTexts(*commands);
                    }
                }
                if (StatusMenuTrayIcon *tray = scenes->trayIcon(); tray && tray->contextMenu()) {
                    windows[QStringLiteral("tray menu")] += menuTexts(*tray->contextMenu());
                    windows[QStringLiteral("tray menu")] += tray->toolTip();
                }
            }
            if (moreTexts) {
                windows[screen + QStringLiteral(" (more)")] += moreTexts();
            }
            int textsRead = 0;
            for (const auto &[window, texts] : windows) {
                Findings &found = m_findings[rawValue(language)][window + QStringLiteral(" — ") + screen];
                for (const QString &shown : texts) {
                    if (shown.trimmed().isEmpty()) {
                        continue;
                    }
                    ++found.textsRead;
                    ++textsRead;
                    if (!current.contains(shown)) {
                        found.foreign.append(shown);
                        ADD_FAILURE() << rawValue(language).toStdString() << ", " << window.toStdString() << " — "
                                      << screen.toStdString() << ": \"" << shown.toStdString()
                                      << "\" is no text of the language";
                    }
                }
            }
            // A walk that reads nothing checks nothing.
            EXPECT_FALSE(windows.empty()) << screen.toStdString() << ": no window shown";
            EXPECT_GT(textsRead, 0) << screen.toStdString() << ": no text read";
            const std::pair read{windows.size(), textsRead};
            if (!firstRead) {
                firstRead = read;
            }
            EXPECT_EQ(read, *firstRead) << rawValue(language).toStdString() << ", " << screen.toStdString()
                                        << ": windows and texts read differ from the first language's";
        }
        languages.setLanguage(ClientLanguage::english);
        settle();
    }

    void checkEveryLanguage(ObriskApp &app, ApplicationScenes &scenes, const QString &screen,
        const std::function<QStringList()> &moreTexts = {})
    {
        checkEveryLanguage(app.clientLanguageSettings(), screen, &scenes, moreTexts);
    }

    void report() const
    {
        for (const auto &[language, windows] : m_findings) {
            for (const auto &[window, found] : windows) {
                std::cout << "[" << language.toStdString() << "] " << window.toStdString() << ": " << found.textsRead
                          << " texts, "
                          << (found.foreign.isEmpty() ? std::string("all in the language")
                                                      : found.foreign.join(QStringLiteral(" | ")).toStdString())
                          << (found.layout.isEmpty() ? std::string(", laid out cleanly")
                                                     : ", " + found.layout.join(QStringLiteral(" | ")).toStdString())
                          << "\n";
            }
        }
    }

    std::map<QString, std::map<QString, Findings>> m_findings;
};

QWidget *visibleWindow(const QString &name)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->objectName() == name) {
            return window;
        }
    }
    return nullptr;
}

// The strip's tool tips as the player sees them: each item hovered in turn.
QStringList stripToolTips(OverlayControlView &strip)
{
    QStringList texts;
    for (QWidget *item :
        QList<QWidget *>{strip.gameNoteHandle(), strip.reportHandle(), strip.moveHandle(), strip.resizeHandle()}) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), item->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(item, &enter);
        if (waitUntil([&] { return strip.tooltipPresenter()->tooltipPanel() != nullptr; })) {
            for (const QLabel *label : strip.tooltipPresenter()->tooltipPanel()->findChildren<QLabel *>()) {
                texts.append(label->text());
            }
        } else {
            ADD_FAILURE() << "no tool tip for " << item->objectName().toStdString();
        }
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(item, &leave);
    }
    return texts;
}

} // namespace

TEST_F(InterfaceLanguageWalk, EveryWindowAndScreenFollowsTheInterfaceLanguage)
{
    // The minimum-version screen, in each of its states (the failed install after a click
    // on "Update").
    const std::pair<const char *, MinimumVersionState::Case> gates[] = {
        {"--ui-testing-minimum-version-checking", MinimumVersionState::Case::checking},
        {"--ui-testing-minimum-version-check-failed", MinimumVersionState::Case::checkFailed},
        {"--ui-testing-minimum-version-required", MinimumVersionState::Case::required},
        {"--ui-testing-minimum-version-install-failed", MinimumVersionState::Case::installFailed},
    };
    for (const auto &[launchSwitch, state] : gates) {
        ObriskApp app(launch({launchSwitch}), mainInfoDictionary(), UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        if (state == MinimumVersionState::Case::installFailed) {
            ASSERT_TRUE(clickWhenReady(*scenes.mainWindow(), QStringLiteral("required-update-install")));
        }
        ASSERT_TRUE(waitUntil([&] { return app.appUpdateModel().minimumVersionState().kind() == state; }))
            << launchSwitch;
        checkEveryLanguage(app, scenes, QStringLiteral("minimum version (%1)").arg(QString::fromLatin1(launchSwitch)));
    }

    {
        // The sign-in screen, signed out and when the account must register on the web.
        ObriskApp app(
            launch({"--ui-testing-web-registration-required"}), mainInfoDictionary(), UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::signedOut(); }));
        checkEveryLanguage(app, scenes, QStringLiteral("sign-in (signed out)"));
        app.session().signIn(scenes.mainWindow());
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::webRegistrationRequired(); }));
        checkEveryLanguage(app, scenes, QStringLiteral("sign-in (web registration required)"));
    }
    {
        // The set-up screen when screen access is denied.
        ObriskApp app(
            launch({"--ui-testing-screen-permission-denied"}), mainInfoDictionary(), UserDefaults::standard());
        ApplicationScenes scenes(app);
        scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
        ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::permissionDenied(); }));
        checkEveryLanguage(app, scenes, QStringLiteral("set-up (screen access denied)"));
    }

    // The picker, play with the overlay, its strip and popovers, the editor with its
    // guide, the notes, the settings and the update prompt.
    ObriskApp app(launch({"--ui-testing-multiple-capture-areas", "--ui-testing-capture-area-guide-unseen",
                      "--ui-testing-update-available"}),
        mainInfoDictionary(), UserDefaults::standard());
    ApplicationScenes scenes(app);
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::mainWindowIdentifier));
    QMainWindow *main = scenes.mainWindow();
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }));
    const auto groups = runTask(app.windowCatalog()->applicationGroups());
    ASSERT_FALSE(groups.isEmpty());
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("app-group-%1").arg(groups.front().processID)));
    checkEveryLanguage(app, scenes, QStringLiteral("window picker"));

    const CaptureTarget game = groups.front().windows.front();
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("capture-window-%1").arg(game.windowID)));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("select-capture-window")));
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::overlay(game); }));
    const std::shared_ptr<OverlayPanelController> overlay = app.overlayController();
    ASSERT_TRUE(waitUntil([&] { return !overlay->reportTargets().isEmpty(); }, 20000));
    OverlayControlView &strip = *overlay->controlView();
    checkEveryLanguage(app, scenes, QStringLiteral("overlay"), [&] { return stripToolTips(strip); });

    // The note popover, with a note typed; the report popover, its list and its review.
    QTest::mouseClick(strip.gameNoteHandle(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("game-note-popover")) != nullptr; }));
    auto *note = visibleWindow(QStringLiteral("game-note-popover"))->findChild<QPlainTextEdit *>();
    ASSERT_NE(note, nullptr);
    note->setPlainText(QStringLiteral("Boss: use fire"));
    checkEveryLanguage(app, scenes, QStringLiteral("note popover"));
    overlay->gameMemoPresenter().close();
    QTest::mouseClick(strip.reportHandle(), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("translation-error-report-popover")) != nullptr; }));
    checkEveryLanguage(app, scenes, QStringLiteral("report popover (list)"));
    QWidget *reportPopover = visibleWindow(QStringLiteral("translation-error-report-popover"));
    QList<QAbstractButton *> rows = reportPopover->findChildren<QAbstractButton *>();
    ASSERT_FALSE(rows.isEmpty());
    QTest::mouseClick(rows.front(), Qt::LeftButton);
    ASSERT_TRUE(
        waitUntil([&] { return named(*reportPopover, QStringLiteral("translation-error-report-submit")) != nullptr; }));
    checkEveryLanguage(app, scenes, QStringLiteral("report popover (review)"));
    overlay->closeTranslationReport();

    // The editor and its guide (never seen in this fixture, so it opens with the editor).
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));
    CaptureAreaEditorView *editor = scenes.captureAreaEditorWindow();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(waitUntil([&] { return editor->guideModel().isPresented() && editor->guideSheet().isVisible(); }));
    checkEveryLanguage(app, scenes, QStringLiteral("editor with its guide"));
    editor->guideModel().close();
    ASSERT_TRUE(waitUntil([&] { return !editor->guideSheet().isVisible(); }));
    checkEveryLanguage(app, scenes, QStringLiteral("editor"));

    // The inspector of a selected area, and the eyedropper armed on it.
    ASSERT_FALSE(editor->model().areas().isEmpty());
    editor->model().select(editor->model().areas().front().id);
    ASSERT_TRUE(waitUntil([&] { return editor->model().selectedArea().has_value(); }));
    checkEveryLanguage(app, scenes, QStringLiteral("editor (an area selected)"));
    editor->model().toggleBackgroundPicking();
    checkEveryLanguage(app, scenes, QStringLiteral("editor (eyedropper armed)"));
    editor->model().toggleBackgroundPicking();
    scenes.dismissWindow(QString::fromLatin1(ApplicationScenes::captureAreaEditorWindowIdentifier));

    // The notes window with the note typed above, selected.
    scenes.openWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));
    GameMemoLibraryView *notes = scenes.gameNotesWindow();
    ASSERT_NE(notes, nullptr);
    checkEveryLanguage(app, scenes, QStringLiteral("notes (none selected)"));
    ASSERT_TRUE(waitUntil([&] { return notes->listModel()->rowCount() > 0; }));
    notes->setSelection(notes->listModel()->keyAt(0));
    checkEveryLanguage(app, scenes, QStringLiteral("notes (a note selected)"));
    scenes.dismissWindow(QString::fromLatin1(ApplicationScenes::gameNotesWindowIdentifier));

    // The settings window, section by section, and its reset confirmation.
    scenes.openSettings();
    SettingsView *settings = scenes.settingsWindow();
    ASSERT_NE(settings, nullptr);
    for (const VeyraSettingsSection section : allVeyraSettingsSections) {
        settings->setSelection(section);
        checkEveryLanguage(app, scenes, QStringLiteral("settings (%1)").arg(rawValue(section)));
    }
    settings->presentResetConfirmation();
    ASSERT_TRUE(waitUntil([&] { return settings->isResetConfirmationPresented(); }));
    checkEveryLanguage(app, scenes, QStringLiteral("settings (reset confirmation)"));
    settings->resetConfirmation()->reject();
    settings->close();

    // The update prompt.
    app.appUpdateModel().checkForUpdates();
    ASSERT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("app-update-prompt")) != nullptr; }));
    checkEveryLanguage(app, scenes, QStringLiteral("update prompt"));
    visibleWindow(QStringLiteral("app-update-prompt"))->close();

    // The overlay's help card: a window without capture areas.
    overlay->onRequestChooseAnotherWindow()();
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::choosing(); }));
    ASSERT_GE(groups.front().windows.size(), 2);
    const CaptureTarget bare = groups.front().windows.at(1);
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("app-group-%1").arg(groups.front().processID)));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("capture-window-%1").arg(bare.windowID)));
    ASSERT_TRUE(clickWhenReady(*main, QStringLiteral("select-capture-window")));
    ASSERT_TRUE(waitUntil([&] { return app.session().phase() == AppPhase::overlay(bare); }));
    ASSERT_TRUE(waitUntil([&] { return !overlay->currentCaptureAreaState().isReady(); }));
    checkEveryLanguage(app, scenes, QStringLiteral("overlay help card"));

    report();
}

// The screens and windows the fixture product does not stay in long enough to read: the
// sign-in screen's passing phases, the window picker while it loads and when the list
// could not be read, the updater's answers and its progress window, and the alert that
// asks for a restart once screen access is granted. Each is shown in a window of its
// own at the main window's size; the language is switched through the application's model.
TEST_F(InterfaceLanguageWalk, EveryPassingStateFollowsTheInterfaceLanguage)
{
    ObriskApp app(launch({}), mainInfoDictionary(), UserDefaults::standard());
    ClientLanguageSettingsModel &languages = app.clientLanguageSettings();
    // A main window as the product's: its content no smaller than the main flow's least
    // size, grown to what the screen needs.
    class ScreenHost : public QWidget
    {
    public:
        explicit ScreenHost(QWidget *screen)
            : m_screen(screen)
        {
            auto *layout = new QVBoxLayout(this);
            layout->setContentsMargins(0, 0, 0, 0);
            layout->addWidget(screen);
        }
        QSize minimumSizeHint() const override
        {
            return screenStyle::leastScreenSize(*m_screen, MainFlowView::minimumContentSize);
        }

    private:
        QWidget *m_screen;
    };
    const auto host = [](QWidget *screen, const char *name) {
        auto window = std::make_unique<QMainWindow>();
        window->setObjectName(QString::fromLatin1(name));
        window->setCentralWidget(new ScreenHost(screen));
        window->resize(720, 520);
        window->show();
        return window;
    };

    {
        auto *model = new AuthenticationViewModel;
        const auto window = host(new AuthenticationView(model), "sign-in screen");
        model->setParent(window.get());
        for (const auto &[phase, name] : std::initializer_list<std::pair<AuthenticationScreenPhase, const char *>>{
                 {AuthenticationScreenPhase::restoringAuthentication, "restoring"},
                 {AuthenticationScreenPhase::authenticating, "authenticating"},
                 {AuthenticationScreenPhase::authenticationUnavailable, "unavailable"},
                 {AuthenticationScreenPhase::keyringUnavailable, "keyring unavailable"},
                 {AuthenticationScreenPhase::authenticationConfigurationUnavailable, "configuration unavailable"}}) {
            model->setPhase(phase);
            checkEveryLanguage(languages, QStringLiteral("sign-in (%1)").arg(QString::fromLatin1(name)));
        }
    }
    {
        const auto catalog = std::make_shared<ManualWindowCatalog>();
        auto *picker = new WindowPickerView(catalog);
        const auto window = host(picker, "window picker");
        picker->model()->refresh(std::nullopt);
        ASSERT_TRUE(waitUntil([&] { return catalog->pendingGroupsCalls() > 0; }));
        checkEveryLanguage(languages, QStringLiteral("window picker (loading)"));
        catalog->failGroups();
        ASSERT_TRUE(
            waitUntil([&] { return picker->model()->state().kind() == WindowPickerModel::State::Kind::failed; }));
        checkEveryLanguage(languages, QStringLiteral("window picker (list unreadable)"));
        picker->model()->refresh(std::nullopt);
        ASSERT_TRUE(waitUntil([&] { return catalog->pendingGroupsCalls() > 0; }));
        catalog->answerGroups({});
        ASSERT_TRUE(waitUntil([&] { return catalog->pendingGroupsCalls() == 0; }));
        checkEveryLanguage(languages, QStringLiteral("window picker (no windows)"));
    }
    {
        // The capture-area editor while the game's picture is taken, and when it cannot be
        // (the game window went away, or another failure).
        for (const auto failure :
            {std::optional<WindowSnapshotError::Kind>{}, std::optional(WindowSnapshotError::Kind::targetUnavailable),
                std::optional(WindowSnapshotError::Kind::captureFailed)}) {
            auto session = std::make_shared<FakeCaptureAreaEditorSession>();
            session->target = exampleGameTarget();
            auto snapshotter = std::make_shared<FakeWindowSnapshotter>();
            if (failure) {
                snapshotter->failNext(*failure);
            } else {
                snapshotter->holdNext();
            }
            auto editor = std::make_unique<CaptureAreaEditorView>(session,
                std::make_unique<CaptureAreaEditorModel>(snapshotter, std::make_shared<InMemoryCaptureAreaStore>()),
                std::make_unique<CaptureAreaGuideModel>(std::make_shared<InMemoryCaptureAreaGuideStore>(5)));
            editor->setObjectName(QStringLiteral("capture-areas"));
            editor->resize(1180, 760);
            editor->show();
            const auto kind
                = failure ? CaptureAreaEditorModel::State::Kind::failed : CaptureAreaEditorModel::State::Kind::loading;
            ASSERT_TRUE(waitUntil([&] { return editor->model().state().kind == kind; }));
            checkEveryLanguage(languages,
                failure ? QStringLiteral("editor (picture failed: %1)").arg(static_cast<int>(*failure))
                        : QStringLiteral("editor (taking the picture)"));
            if (!failure) {
                // The picture is let through, so that no task is left waiting at the end.
                snapshotter->gate().releaseAll();
                ASSERT_TRUE(waitUntil([&] { return editor->model().state().kind != kind; }));
            }
            editor->close();
        }
        giveRemainingTurns();
    }
    {
        TestAppUpdateModel updates;
        updates.model->setMinimumVersionState(MinimumVersionState::allowed());
        VeyraAppUpdateUserDriver driver(
            updates.model.get(), updates.running, std::make_unique<AppUpdatePromptController>());
        driver.showUpdateNotFound({});
        ASSERT_NE(driver.alert(), nullptr);
        checkEveryLanguage(languages, QStringLiteral("update check (up to date)"));
        driver.dismissUpdateInstallation();
        driver.showUpdaterError(AppUpdaterError(AppUpdaterError::Kind::feedUnavailable), {});
        ASSERT_NE(driver.alert(), nullptr);
        checkEveryLanguage(languages, QStringLiteral("update check (error)"));
        driver.dismissUpdateInstallation();
        driver.showDownloadInitiated({});
        driver.showDownloadProgress(3'000'000, 12'000'000);
        ASSERT_TRUE(waitUntil([] { return visibleWindow(QStringLiteral("app-update-progress")) != nullptr; }));
        checkEveryLanguage(languages, QStringLiteral("update (downloading)"));
        driver.showDownloadProgress(3'000'000, -1);
        checkEveryLanguage(languages, QStringLiteral("update (downloading, size unknown)"));
        driver.showInstallingUpdate();
        checkEveryLanguage(languages, QStringLiteral("update (installing)"));
        driver.dismissUpdateInstallation();
    }
    {
        QtPermissionRestartPresenter presenter;
        QObject owner;
        startDetachedTask(
            &owner, [&presenter](QPointer<QObject>) -> QCoro::Task<void> { co_await presenter.presentRestartPrompt(); },
            Logger("walk"));
        ASSERT_TRUE(waitUntil([] {
            return visibleWindow(QString::fromLatin1(QtPermissionRestartPresenter::alertObjectName)) != nullptr;
        }));
        checkEveryLanguage(languages, QStringLiteral("screen access granted (restart alert)"));
        visibleWindow(QString::fromLatin1(QtPermissionRestartPresenter::alertObjectName))->close();
    }

    report();
}
