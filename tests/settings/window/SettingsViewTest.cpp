// Test label: ui
// The settings window driven through its widgets: the sidebar and the detail it selects,
// the version line, the two language menus (what they store and how the window relabels),
// the reset of every setting behind its confirmation, and where the window comes up.
#include "settings/window/SettingsView.h"

#include "brand/BrandIcons.h"
#include "brand/VeyraBrandLockup.h"
#include "brand/VeyraBrandPalette.h"
#include "foundation/identity/AppIdentity.h"
#include "foundation/language/ClientLanguage.h"
#include "foundation/language/ClientLanguageSettingsModel.h"
#include "foundation/language/UserDefaultsClientLanguageSettingsStore.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/settings/UserDefaultsOverlaySettingsStore.h"
#include "settings/window/ResetSettingsButton.h"
#include "settings/window/ResetSettingsButtonStyle.h"
#include "settings/window/SettingsWindowPlacement.h"
#include "support/FakeSettingsAccount.h"
#include "support/ShownText.h"
#include "support/TestScreenshots.h"
#include "translation/translations/TranslationSettingsModel.h"
#include "translation/translations/UserDefaultsTranslationSettingsStore.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QEnterEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace veyra;
using veyra::test::saveScreenshot;
using veyra::test::shownText;

namespace {

const QString clientLanguageKey = QStringLiteral("client_language");
const QString targetLanguageKey = QStringLiteral("translation_target_language");
const QStringList overlayKeys{UserDefaultsOverlaySettingsStore::backgroundOpacityPercentKey,
    UserDefaultsOverlaySettingsStore::sourceTextSizePointsKey,
    UserDefaultsOverlaySettingsStore::translationTextSizePointsKey};

class SettingsViewTest : public ::testing::Test
{
protected:
    // The lockup shows the application's icon, as the application sets it.
    SettingsViewTest() { QApplication::setWindowIcon(veyraApplicationIcon()); }
    ~SettingsViewTest() override { setCurrentClientLanguage(ClientLanguage::english); }

    // The three models over the user defaults, as the application makes them; the
    // preferred languages decide both defaults.
    void makeModels(const QStringList &preferredLanguages = {QStringLiteral("en-US")})
    {
        clientLanguage = std::make_unique<ClientLanguageSettingsModel>(
            std::make_unique<UserDefaultsClientLanguageSettingsStore>(defaults), preferredLanguages);
        translation = std::make_unique<TranslationSettingsModel>(
            std::make_unique<UserDefaultsTranslationSettingsStore>(defaults), preferredLanguages);
        overlay = std::make_unique<OverlaySettingsModel>(std::make_unique<UserDefaultsOverlaySettingsStore>(defaults));
    }

    std::unique_ptr<SettingsView> makeView(
        std::optional<AppVersionInfo> version = AppVersionInfo{QStringLiteral("1.2"), QStringLiteral("45")})
    {
        auto view = std::make_unique<SettingsView>(
            translation.get(), overlay.get(), clientLanguage.get(), &session, std::move(version));
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        return view;
    }

    template <typename Widget = QWidget>
    static Widget *find(const QWidget &view, const char *name)
    {
        auto *widget = view.findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    static QString header(const SettingsView &view)
    {
        // The detail column's title is the only label in the 25 px header font.
        for (const QLabel *label : view.findChildren<QLabel *>()) {
            if (label->font().pixelSize() == 25 && label->isVisible()) {
                return label->text();
            }
        }
        return {};
    }

    // A picture for looking at, taken once pending layout changes are done.
    static void snapshot(QWidget &widget, const QString &fileName)
    {
        QCoreApplication::sendPostedEvents();
        saveScreenshot(widget, fileName);
    }

    static QStringList optionTexts(const QComboBox *picker)
    {
        QStringList texts;
        for (int index = 0; index < picker->count(); ++index) {
            texts.append(picker->itemText(index));
        }
        return texts;
    }

    // Opens the menu and clicks the option, as a user does.
    static void choose(QComboBox *picker, int index)
    {
        picker->showPopup();
        QAbstractItemView *list = picker->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
        const QRect option = list->visualRect(list->model()->index(index, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, option.center());
        EXPECT_FALSE(list->isVisible());
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    std::unique_ptr<ClientLanguageSettingsModel> clientLanguage;
    std::unique_ptr<TranslationSettingsModel> translation;
    std::unique_ptr<OverlaySettingsModel> overlay;
    test::FakeSettingsAccount session;
    const CurrentUser signedInUser{
        QUuid::createUuid(), QStringLiteral("ada@example.com"), QStringLiteral("Ada Lovelace"), std::nullopt};
};

} // namespace

TEST_F(SettingsViewTest, SidebarSelectsTheSectionShownBesideIt)
{
    makeModels();
    auto view = makeView();
    EXPECT_EQ(view->size(), SettingsView::windowSize);
    EXPECT_EQ(view->findChild<VeyraBrandLockup *>()->title(), appDisplayName());

    auto *general = find<QAbstractButton>(*view, "settings-section-general");
    auto *account = find<QAbstractButton>(*view, "settings-section-account");
    auto *overlaySection = find<QAbstractButton>(*view, "settings-section-overlay");
    ASSERT_TRUE(general && account && overlaySection);
    EXPECT_EQ(general->text(), QStringLiteral("General"));
    EXPECT_EQ(account->text(), QStringLiteral("Account"));
    EXPECT_EQ(overlaySection->text(), QStringLiteral("Overlay"));
    // The list starts on General, with the General form beside it.
    EXPECT_EQ(view->selection(), VeyraSettingsSection::general);
    EXPECT_TRUE(general->isChecked());
    EXPECT_EQ(header(*view), QStringLiteral("General"));
    EXPECT_TRUE(find(*view, "client-interface-language-picker")->isVisible());
    snapshot(*view, QStringLiteral("settings-general-en.png"));

    QTest::mouseClick(overlaySection, Qt::LeftButton);
    EXPECT_EQ(view->selection(), VeyraSettingsSection::overlay);
    EXPECT_EQ(header(*view), QStringLiteral("Overlay"));
    EXPECT_TRUE(overlaySection->isChecked());
    EXPECT_FALSE(general->isChecked());
    EXPECT_TRUE(find(*view, "overlay-background-opacity-slider")->isVisible());
    EXPECT_FALSE(find(*view, "client-interface-language-picker")->isVisible());
    snapshot(*view, QStringLiteral("settings-overlay-en.png"));
    // Clicking the selected row keeps it selected.
    QTest::mouseClick(overlaySection, Qt::LeftButton);
    EXPECT_TRUE(overlaySection->isChecked());
    EXPECT_EQ(view->selection(), VeyraSettingsSection::overlay);

    // The arrow keys walk the list.
    overlaySection->setFocus();
    QTest::keyClick(overlaySection, Qt::Key_Up);
    EXPECT_EQ(view->selection(), VeyraSettingsSection::account);
    EXPECT_TRUE(account->hasFocus());
    EXPECT_EQ(header(*view), QStringLiteral("Account"));
    QTest::keyClick(account, Qt::Key_Up);
    QTest::keyClick(general, Qt::Key_Up);
    EXPECT_EQ(view->selection(), VeyraSettingsSection::general);

    QTest::mouseClick(account, Qt::LeftButton);
    EXPECT_EQ(header(*view), QStringLiteral("Account"));
    EXPECT_FALSE(find(*view, "overlay-background-opacity-slider")->isVisible());
    EXPECT_TRUE(find(*view, "refresh-account")->isVisible());
    session.setCurrentUser(signedInUser);
    session.setRefreshing(true);
    snapshot(*view, QStringLiteral("settings-account-en.png"));
    session.setRefreshing(false);

    // An empty selection shows the General header and form, with no row selected.
    view->setSelection(std::nullopt);
    EXPECT_EQ(header(*view), QStringLiteral("General"));
    EXPECT_TRUE(find(*view, "client-interface-language-picker")->isVisible());
    EXPECT_FALSE(general->isChecked() || account->isChecked() || overlaySection->isChecked());

    // The version line under the reset button, read as it is shown.
    auto *version = find<QLabel>(*view, "app-version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), QStringLiteral("Version 1.2 (45)"));
    EXPECT_EQ(version->accessibleName(), version->text());
    auto *reset = find<QWidget>(*view, "reset-settings");
    ASSERT_NE(reset, nullptr);
    EXPECT_GT(version->y(), reset->y());

    // Without version information the bottom holds only the reset button.
    auto unversioned = makeView(std::nullopt);
    EXPECT_EQ(unversioned->findChild<QLabel *>(QStringLiteral("app-version")), nullptr);
    EXPECT_NE(unversioned->findChild<QWidget *>(QStringLiteral("reset-settings")), nullptr);
}

TEST_F(SettingsViewTest, ResetButtonTurnsOrangeWhileHovered)
{
    const QPalette palette;
    const ResetSettingsButtonStyle resting{false};
    const ResetSettingsButtonStyle hovered{true};
    QColor orange = VeyraBrandPalette::orange();
    const auto orangeAt = [&orange](float opacity) {
        QColor colour = orange;
        colour.setAlphaF(opacity);
        return colour;
    };
    QColor primaryFill = palette.color(QPalette::WindowText);
    primaryFill.setAlphaF(0.06F);
    QColor primaryBorder = palette.color(QPalette::WindowText);
    primaryBorder.setAlphaF(0.12F);
    EXPECT_EQ(resting.fill(false, palette), primaryFill);
    EXPECT_EQ(resting.border(false, palette), primaryBorder);
    EXPECT_EQ(hovered.fill(false, palette), orangeAt(0.1F));
    EXPECT_EQ(hovered.border(false, palette), orangeAt(0.35F));
    EXPECT_EQ(resting.fill(true, palette), orangeAt(0.16F));
    EXPECT_EQ(hovered.border(true, palette), orangeAt(0.55F));
    EXPECT_EQ(ResetSettingsButtonStyle::scale(true), 0.985);
    EXPECT_EQ(ResetSettingsButtonStyle::scale(false), 1.0);

    makeModels();
    auto view = makeView();
    auto *button = find<ResetSettingsButton>(*view, "reset-settings");
    ASSERT_NE(button, nullptr);
    EXPECT_FALSE(button->isHovered());
    QEnterEvent enter(QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), button->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(button, &enter);
    EXPECT_TRUE(button->isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button, &leave);
    EXPECT_FALSE(button->isHovered());
    // Hovering opens nothing.
    EXPECT_FALSE(view->isResetConfirmationPresented());
}

TEST_F(SettingsViewTest, LanguageMenusStoreTheChoiceAndTheWindowRelabelsAtOnce)
{
    makeModels();
    auto view = makeView();
    auto *interfacePicker = find<QComboBox>(*view, "client-interface-language-picker");
    auto *targetPicker = find<QComboBox>(*view, "translation-target-language-picker");
    ASSERT_TRUE(interfacePicker && targetPicker);
    const QStringList english{QStringLiteral("Korean"), QStringLiteral("Japanese"), QStringLiteral("English")};
    EXPECT_EQ(optionTexts(interfacePicker), english);
    EXPECT_EQ(optionTexts(targetPicker), english);
    EXPECT_EQ(interfacePicker->currentText(), QStringLiteral("English"));
    EXPECT_EQ(targetPicker->currentText(), QStringLiteral("English"));

    // Choosing what a menu already shows stores nothing.
    choose(interfacePicker, 2);
    choose(targetPicker, 2);
    EXPECT_FALSE(defaults.contains(clientLanguageKey));
    EXPECT_FALSE(defaults.contains(targetLanguageKey));

    // Japanese as the interface language: stored, current, and every text of the window
    // in Japanese as soon as the change reaches it, the other menu's options included.
    choose(interfacePicker, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(defaults.string(clientLanguageKey), QStringLiteral("ja"));
    EXPECT_EQ(clientLanguage->language(), ClientLanguage::japanese);
    EXPECT_EQ(currentClientLanguage(), ClientLanguage::japanese);
    EXPECT_EQ(view->locale().language(), QLocale::Japanese);
    const QStringList japanese{QStringLiteral("韓国語"), QStringLiteral("日本語"), QStringLiteral("英語")};
    EXPECT_EQ(optionTexts(interfacePicker), japanese);
    EXPECT_EQ(optionTexts(targetPicker), japanese);
    EXPECT_EQ(interfacePicker->currentText(), QStringLiteral("日本語"));
    EXPECT_EQ(targetPicker->currentText(), QStringLiteral("英語"));
    EXPECT_EQ(header(*view), QStringLiteral("一般"));
    EXPECT_EQ(find<QAbstractButton>(*view, "settings-section-overlay")->text(), QStringLiteral("オーバーレイ"));
    EXPECT_EQ(find<QAbstractButton>(*view, "reset-settings")->text(), QStringLiteral("設定をリセット…"));
    EXPECT_EQ(find<QLabel>(*view, "app-version")->text(), QStringLiteral("バージョン 1.2 (45)"));
    QStringList labels;
    for (const QLabel *label : view->findChildren<QLabel *>()) {
        labels.append(label->text());
    }
    EXPECT_TRUE(labels.contains(QStringLiteral("インターフェイスの言語")));
    EXPECT_TRUE(labels.contains(QStringLiteral("翻訳先の言語")));
    EXPECT_FALSE(labels.contains(QStringLiteral("Target language")));
    snapshot(*view, QStringLiteral("settings-general-ja.png"));
    view->setSelection(VeyraSettingsSection::overlay);
    snapshot(*view, QStringLiteral("settings-overlay-ja.png"));
    session.setCurrentUser(signedInUser);
    session.setRefreshError(ErrorMessage::text("Veyra couldn't refresh your account. Try again."));
    view->setSelection(VeyraSettingsSection::account);
    EXPECT_EQ(find<QAbstractButton>(*view, "open-customer-support")->text(), QStringLiteral("カスタマーサポート"));
    snapshot(*view, QStringLiteral("settings-account-ja.png"));
    view->setSelection(VeyraSettingsSection::general);

    // The target language is stored on its own and leaves the interface alone.
    choose(targetPicker, 0);
    EXPECT_EQ(defaults.string(targetLanguageKey), QStringLiteral("ko"));
    EXPECT_EQ(translation->targetLanguage(), TranslationTargetLanguage::korean);
    EXPECT_EQ(clientLanguage->language(), ClientLanguage::japanese);
    EXPECT_EQ(targetPicker->currentText(), QStringLiteral("韓国語"));

    // A change made elsewhere shows in the menus too.
    clientLanguage->setLanguage(ClientLanguage::korean);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
    EXPECT_EQ(interfacePicker->currentText(), QStringLiteral("한국어"));
    EXPECT_EQ(header(*view), QStringLiteral("일반"));
    snapshot(*view, QStringLiteral("settings-general-ko.png"));
}

TEST_F(SettingsViewTest, ResetAsksFirstCancelKeepsEverythingResetClearsTheFiveKeys)
{
    // Stored ko / en / 30 % / 20 pt / 40 pt, on a system that prefers Japanese.
    defaults.setValue(clientLanguageKey, QStringLiteral("ko"));
    defaults.setValue(targetLanguageKey, QStringLiteral("en"));
    defaults.setValue(overlayKeys.at(0), 30);
    defaults.setValue(overlayKeys.at(1), 20);
    defaults.setValue(overlayKeys.at(2), 40);
    makeModels({QStringLiteral("ja-JP")});
    auto view = makeView();
    view->setSelection(VeyraSettingsSection::overlay);
    const auto storedValues = [this] {
        QVariantList values;
        for (const QString &key : QStringList{clientLanguageKey, targetLanguageKey} + overlayKeys) {
            values.append(defaults.object(key));
        }
        return values;
    };
    const QVariantList before = storedValues();
    EXPECT_EQ(before, (QVariantList{QStringLiteral("ko"), QStringLiteral("en"), 30, 20, 40}));

    // The button only opens the confirmation, modal to the window.
    QTest::mouseClick(find(*view, "reset-settings"), Qt::LeftButton);
    ASSERT_TRUE(view->isResetConfirmationPresented());
    QMessageBox *confirmation = view->resetConfirmation();
    EXPECT_EQ(confirmation->windowModality(), Qt::WindowModal);
    EXPECT_EQ(confirmation->text(), QStringLiteral("설정을 재설정할까요?"));
    EXPECT_EQ(shownText(*find<QLabel>(*confirmation, "qt_msgbox_informativelabel")),
        QStringLiteral("언어, 불투명도, 글자 크기가 기본값으로 재설정됩니다."));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(confirmation));
    snapshot(*confirmation, QStringLiteral("settings-reset-confirmation-ko.png"));
    EXPECT_EQ(storedValues(), before);

    auto *cancel = find<QPushButton>(*confirmation, "cancel-reset-settings");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), QStringLiteral("취소"));
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_FALSE(view->isResetConfirmationPresented());
    EXPECT_EQ(storedValues(), before);
    EXPECT_EQ(clientLanguage->language(), ClientLanguage::korean);
    EXPECT_EQ(translation->targetLanguage(), TranslationTargetLanguage::english);
    EXPECT_EQ(overlay->backgroundOpacityPercent(), 30);

    QTest::mouseClick(find(*view, "reset-settings"), Qt::LeftButton);
    ASSERT_TRUE(view->isResetConfirmationPresented());
    auto *confirm = find<QPushButton>(*view->resetConfirmation(), "confirm-reset-settings");
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->text(), QStringLiteral("재설정"));
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_FALSE(view->isResetConfirmationPresented());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);

    // All five values are gone; the window shows the defaults, in the default language.
    for (const QString &key : QStringList{clientLanguageKey, targetLanguageKey} + overlayKeys) {
        EXPECT_FALSE(defaults.contains(key)) << key.toStdString();
    }
    EXPECT_EQ(clientLanguage->language(), ClientLanguage::japanese);
    EXPECT_EQ(currentClientLanguage(), ClientLanguage::japanese);
    EXPECT_EQ(translation->targetLanguage(), TranslationTargetLanguage::japanese);
    EXPECT_EQ(overlay->backgroundOpacityPercent(), 55);
    EXPECT_EQ(overlay->sourceTextSizePoints(), 12);
    EXPECT_EQ(overlay->translationTextSizePoints(), 15);
    EXPECT_EQ(header(*view), QStringLiteral("オーバーレイ"));
    EXPECT_EQ(find<QLabel>(*view, "overlay-background-opacity-value")->text(), QStringLiteral("55%"));
    EXPECT_EQ(find<QLabel>(*view, "overlay-source-text-size-value")->text(), QStringLiteral("12 pt"));
    EXPECT_EQ(find<QLabel>(*view, "overlay-translation-text-size-value")->text(), QStringLiteral("15 pt"));
    view->setSelection(VeyraSettingsSection::general);
    EXPECT_EQ(find<QComboBox>(*view, "client-interface-language-picker")->currentText(), QStringLiteral("日本語"));
    EXPECT_EQ(find<QComboBox>(*view, "translation-target-language-picker")->currentText(), QStringLiteral("日本語"));
}

TEST_F(SettingsViewTest, ComesUpCentredOnTheScreenFirstThenWhereItWasLeft)
{
    makeModels();
    SettingsView view(translation.get(), overlay.get(), clientLanguage.get(), &session, std::nullopt);
    SettingsWindowPlacement placement;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    // Within a pixel or two of rounding.
    const auto centred = [&] {
        const QPoint off = view.frameGeometry().center() - available.center();
        return std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2;
    };
    placement.place(view, screen);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_TRUE(centred()) << view.x() << "," << view.y();

    // Moved by the player and closed, it comes back there, however the screen's centre lies.
    const QPoint left = available.topLeft() + QPoint(3, 7);
    view.move(left);
    view.close();
    placement.place(view, screen);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_EQ(view.pos(), left);

    // A place no screen shows any more (a screen unplugged) is given up for the centre.
    view.move(available.bottomRight() + QPoint(4000, 4000));
    view.hide();
    placement.place(view, screen);
    view.show();
    EXPECT_TRUE(centred()) << view.x() << "," << view.y();
}

TEST_F(SettingsViewTest, ComingOnScreenRefreshesTheAccountOnlyWhenSignedIn)
{
    makeModels();
    auto view = makeView();
    EXPECT_EQ(session.refreshRequests, 1);
    // Each time it comes on screen again.
    view->hide();
    view->show();
    EXPECT_EQ(session.refreshRequests, 2);
    // Switching sections asks for nothing.
    view->setSelection(VeyraSettingsSection::account);
    EXPECT_EQ(session.refreshRequests, 2);

    view->hide();
    session.signedIn = false;
    view->show();
    EXPECT_EQ(session.refreshRequests, 2);
}
