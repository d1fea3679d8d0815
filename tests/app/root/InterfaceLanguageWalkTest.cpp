// Test label: ui
// The fixture product in every interface language. Each window and screen is brought up in
// English; then the interface language is switched to Japanese and to Korean through the
// application's language model (as the settings window does it), and every visible text,
// tool tip, menu entry and window title is read back. None may be left in its English
// source form: the English key of a catalogue text (or a filled-in pattern of one) whose
// translation differs. Names and player data are no catalogue texts and pass.
#include "app/menu/ObriskCommands.h"
#include "app/menu/StatusMenuTrayIcon.h"
#include "app/root/ApplicationScenes.h"
#include "app/root/ObriskApp.h"
#include "app/session/AppSession.h"
#include "capture/windows/WindowCatalogProviding.h"
#include "editor/guide/CaptureAreaGuideModel.h"
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
#include "support/RunTask.h"
#include "support/ShownText.h"
#include "support/TranslationKeys.h"
#include "support/WidgetLookup.h"
#include "update/model/AppUpdateModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTest>
#include <QTranslator>

#include <gtest/gtest.h>

#include <iostream>
#include <map>

using namespace veyra;
using namespace veyra::test;

namespace {

// What must not show in a language: the English texts of the catalogue whose translation
// differs, exactly and as patterns with their placeholders filled in.
class EnglishLeftovers
{
public:
    // Made while the language to check is the current one.
    EnglishLeftovers()
    {
        const TranslationKeys keys = translationKeysInSources();
        for (const QString &key : keys.texts) {
            if (localizedString(key) != key) {
                add(key);
            }
        }
        QTranslator english;
        EXPECT_TRUE(english.load(QStringLiteral(":/i18n/veyra_en.qm")));
        for (const QString &key : keys.countTexts) {
            const QByteArray utf8 = key.toUtf8();
            for (const int count : {1, 2}) {
                const QString form = english.translate("Veyra", utf8.constData(), nullptr, count);
                if (localizedCountString(utf8.constData(), count)
                    != QString(form).replace(QStringLiteral("%n"), QString::number(count))) {
                    add(form);
                }
            }
        }
    }

    // The English text or pattern `text` shows, if any.
    std::optional<QString> englishSourceOf(const QString &text) const
    {
        if (m_texts.contains(text)) {
            return text;
        }
        for (const auto &[key, pattern] : m_patterns) {
            if (pattern.match(text).hasMatch()) {
                return key;
            }
        }
        return std::nullopt;
    }

private:
    void add(const QString &key)
    {
        static const QRegularExpression placeholder(QStringLiteral("%@|%d|%n|%%"));
        if (!placeholder.match(key).hasMatch()) {
            m_texts.insert(key);
            return;
        }
        QString pattern = QStringLiteral("^");
        QString literal;
        qsizetype from = 0;
        for (auto it = placeholder.globalMatch(key); it.hasNext();) {
            const QRegularExpressionMatch found = it.next();
            const QString piece = key.mid(from, found.capturedStart() - from);
            literal += piece;
            pattern += QRegularExpression::escape(piece);
            const QString token = found.captured();
            pattern += token == QLatin1String("%@") ? QStringLiteral(".+")
                : token == QLatin1String("%%")      ? QStringLiteral("%")
                                                    : QStringLiteral("[0-9]+");
            from = found.capturedEnd();
        }
        literal += key.mid(from);
        pattern += QRegularExpression::escape(key.mid(from)) + QStringLiteral("$");
        // A pattern of a word or two would take names for English ("%@ of %@").
        if (literal.count(QRegularExpression(QStringLiteral("[A-Za-z]"))) >= 4) {
            m_patterns.emplace_back(key, QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption));
        }
    }

    QSet<QString> m_texts;
    std::vector<std::pair<QString, QRegularExpression>> m_patterns;
};

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

// The walk's findings, per window and language: how many texts were read, and the
// English ones.
struct Findings
{
    int textsRead = 0;
    QStringList english;
};

class InterfaceLanguageWalk : public ::testing::Test
{
protected:
    ~InterfaceLanguageWalk() override
    {
        setCurrentClientLanguage(ClientLanguage::english);
        // The tasks the application's objects cancelled when they went end now.
        finishRemainingTasks();
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
    // then what they schedule (the menus refill on the next turn).
    static void settle()
    {
        for (int turn = 0; turn < 3; ++turn) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    // Reads every open window, the menus and the extra texts in Japanese and then in
    // Korean, and goes back to English. `screen` names what is shown, for the report.
    void checkEveryLanguage(ObriskApp &app, ApplicationScenes &scenes, const QString &screen,
        const std::function<QStringList()> &moreTexts = {})
    {
        for (const ClientLanguage language : {ClientLanguage::japanese, ClientLanguage::korean}) {
            app.clientLanguageSettings().setLanguage(language);
            settle();
            const EnglishLeftovers leftovers;
            std::map<QString, QStringList> windows;
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->isVisible()) {
                    const QString name = window->objectName().isEmpty()
                        ? QString::fromLatin1(window->metaObject()->className())
                        : window->objectName();
                    windows[name] += textsShownIn(*window);
                }
            }
            if (QMainWindow *main = scenes.mainWindow()) {
                if (auto *commands = main->findChild<ObriskCommands *>()) {
                    windows[QStringLiteral("application menu")] += menuTexts(*commands);
                }
            }
            if (StatusMenuTrayIcon *tray = scenes.trayIcon(); tray && tray->contextMenu()) {
                windows[QStringLiteral("tray menu")] += menuTexts(*tray->contextMenu());
            }
            if (moreTexts) {
                windows[screen + QStringLiteral(" (tool tips)")] += moreTexts();
            }
            for (const auto &[window, texts] : windows) {
                Findings &found = m_findings[rawValue(language)][window + QStringLiteral(" — ") + screen];
                for (const QString &shown : texts) {
                    if (shown.trimmed().isEmpty()) {
                        continue;
                    }
                    ++found.textsRead;
                    if (const auto source = leftovers.englishSourceOf(shown.trimmed())) {
                        found.english.append(shown);
                        ADD_FAILURE() << rawValue(language).toStdString() << ", " << window.toStdString() << " — "
                                      << screen.toStdString() << ": \"" << shown.toStdString() << "\" is the English \""
                                      << source->toStdString() << "\"";
                    }
                }
            }
        }
        app.clientLanguageSettings().setLanguage(ClientLanguage::english);
        settle();
    }

    void report() const
    {
        for (const auto &[language, windows] : m_findings) {
            for (const auto &[window, found] : windows) {
                std::cout << "[" << language.toStdString() << "] " << window.toStdString() << ": " << found.textsRead
                          << " texts, "
                          << (found.english.isEmpty() ? std::string("none in English")
                                                      : found.english.join(QStringLiteral(" | ")).toStdString())
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
