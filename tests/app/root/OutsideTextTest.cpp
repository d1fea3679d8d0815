// Test label: ui
// Text from outside the program is shown as written wherever it appears: game and
// application names, window titles, server messages, account names and e-mails, version
// texts of the update feed and policy, and note text. Each is fed in with markup that Qt
// would otherwise draw (an image, bold type, an entity) and read back as the player sees it.
// (Names the picker, the notes list and the report list paint themselves are plain text
// by construction.)
#include "account/views/AuthenticationView.h"
#include "capture/areas/InMemoryCaptureAreaStore.h"
#include "editor/guide/CaptureAreaGuideModel.h"
#include "editor/guide/InMemoryCaptureAreaGuideStore.h"
#include "editor/model/CaptureAreaEditorModel.h"
#include "editor/views/CaptureAreaEditorView.h"
#include "foundation/async/AsyncTask.h"
#include "foundation/errors/Error.h"
#include "notes/model/GameMemoLibraryModel.h"
#include "notes/store/InMemoryGameMemoStore.h"
#include "notes/views/GameMemoLibraryView.h"
#include "overlay/state/OverlayTranslationReportModel.h"
#include "overlay/views/OverlayTranslationReportView.h"
#include "settings/account/AccountSettingsSection.h"
#include "support/ExampleGameTarget.h"
#include "support/FakeCaptureAreaEditorSession.h"
#include "support/FakeSettingsAccount.h"
#include "support/FakeWindowSnapshotter.h"
#include "support/ShownText.h"
#include "support/TestAppUpdateModel.h"
#include "update/prompt/AppUpdatePromptController.h"
#include "update/prompt/AppUpdatePromptModel.h"
#include "update/prompt/AppUpdatePromptView.h"
#include "update/prompt/VeyraAppUpdateUserDriver.h"
#include "update/views/MinimumVersionUpdateView.h"

#include <QLabel>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;

namespace {

const QString markup = QStringLiteral("<img src=\"x.png\"><b>Night</b> &amp; Day");

// Whether some text of the view, as the player sees it, holds `text` character for character.
bool showsAsWritten(const QWidget &view, const QString &text)
{
    const QStringList shown = textsShownIn(view);
    return std::any_of(shown.begin(), shown.end(), [&](const QString &one) { return one.contains(text); });
}

class OutsideText : public ::testing::Test
{
protected:
    // The note's save, cancelled with its model, ends now.
    ~OutsideText() override { giveRemainingTurns(); }
};

} // namespace

TEST_F(OutsideText, IsShownAsWrittenEverywhere)
{
    // A server's message on the sign-in screen.
    AuthenticationViewModel signIn;
    signIn.setPhase(AuthenticationScreenPhase::signedOut);
    signIn.setAuthenticationError(ErrorMessage::describing(std::make_exception_ptr(Error(markup))));
    EXPECT_TRUE(showsAsWritten(AuthenticationView(&signIn), markup)) << "sign-in error";

    // The account's name and e-mail, and a refresh error.
    FakeSettingsAccount account;
    account.setCurrentUser(CurrentUser{QUuid::createUuid(), markup + QStringLiteral("@example.com"), markup, {}});
    account.setRefreshError(
        ErrorMessage::describing(std::make_exception_ptr(Error(QStringLiteral("Server: ") + markup))));
    AccountSettingsSection accountSection(&account);
    EXPECT_TRUE(showsAsWritten(accountSection, markup + QStringLiteral("@example.com"))) << "e-mail";
    EXPECT_TRUE(showsAsWritten(accountSection, QStringLiteral("Server: ") + markup)) << "refresh error";

    // The game window's names in the capture-area editor.
    auto session = std::make_shared<FakeCaptureAreaEditorSession>();
    session->target = exampleGameTarget();
    session->target->applicationName = markup;
    CaptureAreaEditorView editor(session,
        std::make_unique<CaptureAreaEditorModel>(
            std::make_shared<FakeWindowSnapshotter>(), std::make_shared<InMemoryCaptureAreaStore>()),
        std::make_unique<CaptureAreaGuideModel>(std::make_shared<InMemoryCaptureAreaGuideStore>(5)));
    EXPECT_TRUE(showsAsWritten(editor, markup)) << "editor's target line";

    // A note's game name, window title and text in the notes window.
    GameMemoLibraryModel notes(std::make_unique<InMemoryGameMemoStore>(), 400'000'000);
    CaptureTarget game = exampleGameTarget();
    game.windowTitle = QStringLiteral("Window ") + markup;
    const std::optional<GameMemoContext> context = GameMemoContext::make(game, markup);
    ASSERT_TRUE(context);
    notes.updateText(QStringLiteral("Note ") + markup, *context);
    GameMemoLibraryView library(&notes);
    library.setSelection(context->key);
    EXPECT_TRUE(showsAsWritten(library, markup)) << "note's game name";
    EXPECT_TRUE(showsAsWritten(library, QStringLiteral("Window ") + markup)) << "note's window title";
    EXPECT_EQ(library.findChild<QPlainTextEdit *>(QString::fromLatin1(GameMemoLibraryView::detailEditorObjectName))
                  ->toPlainText(),
        QStringLiteral("Note ") + markup);

    // Recognised text and its translation in the report popover.
    TranslationReportTarget reported;
    reported.areaID = QStringLiteral("a");
    reported.translationID = QUuid::createUuid();
    reported.sourceText = QStringLiteral("Source ") + markup;
    reported.translatedText = QStringLiteral("Shown ") + markup;
    OverlayTranslationReportModel reportModel({reported});
    OverlayTranslationReportView report(&reportModel);
    reportModel.select(reported);
    EXPECT_TRUE(showsAsWritten(report, QStringLiteral("Source ") + markup)) << "report review";

    // Versions from the update feed, the running build (in the updater's message box) and
    // the minimum-version policy.
    AppUpdatePromptModel promptModel(AvailableAppUpdate{markup, QStringLiteral("130")},
        AppVersionInfo{QStringLiteral("1.2.0"), QStringLiteral("120")}, std::nullopt);
    EXPECT_TRUE(showsAsWritten(AppUpdatePromptView(&promptModel, {}, {}), markup)) << "update prompt";
    TestAppUpdateModel updates;
    updates.model->setMinimumVersionState(MinimumVersionState::allowed());
    VeyraAppUpdateUserDriver driver(updates.model.get(), AppVersionInfo{markup, QStringLiteral("120")},
        std::make_unique<AppUpdatePromptController>());
    driver.showUpdateNotFound({});
    ASSERT_NE(driver.alert(), nullptr);
    EXPECT_TRUE(shownInformativeText(*driver.alert()).contains(markup)) << "update alert";
    driver.dismissUpdateInstallation();
    updates.model->setMinimumVersionState(MinimumVersionState::required(MinimumVersionRequirement{
        AppVersionInfo{QStringLiteral("1.2.0"), QStringLiteral("120")}, QStringLiteral("130"), markup}));
    EXPECT_TRUE(showsAsWritten(MinimumVersionUpdateView(updates.model.get(), {}, {}), markup))
        << "minimum-version screen";
}
