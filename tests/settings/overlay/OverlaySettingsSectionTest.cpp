// Test label: ui
// The overlay section of the settings window driven through its sliders: the values and
// range texts it shows, the steps its sliders move in, the rounding of a slider value,
// what it stores, and how it follows a change made elsewhere.
#include "settings/overlay/OverlaySettingsSection.h"

#include "foundation/settings/UserDefaults.h"
#include "overlay/settings/OverlaySettingsModel.h"
#include "overlay/settings/UserDefaultsOverlaySettingsStore.h"
#include "settings/overlay/OverlaySetting.h"
#include "support/TestScreenshots.h"

#include <QLabel>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;
using veyra::test::saveScreenshot;

namespace {

class OverlaySettingsSectionTest : public ::testing::Test
{
protected:
    template <typename Widget>
    Widget *find(const char *name)
    {
        auto *widget = section.findChild<Widget *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString value(const char *name) { return find<QLabel>(name)->text(); }
    QStringList labelTexts()
    {
        QStringList texts;
        for (const QLabel *label : section.findChildren<QLabel *>()) {
            texts.append(label->text());
        }
        return texts;
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
    OverlaySettingsModel model{std::make_unique<UserDefaultsOverlaySettingsStore>(defaults)};
    OverlaySettingsSection section{&model};
};

} // namespace

TEST_F(OverlaySettingsSectionTest, ShowsTheValuesAndRangesAndFollowsTheModel)
{
    section.resize(520, 360);
    section.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&section));
    EXPECT_EQ(value("overlay-background-opacity-value"), QStringLiteral("55%"));
    EXPECT_EQ(value("overlay-source-text-size-value"), QStringLiteral("12 pt"));
    EXPECT_EQ(value("overlay-translation-text-size-value"), QStringLiteral("15 pt"));
    EXPECT_EQ(find<QLabel>("overlay-source-text-size-value")->accessibleName(), QStringLiteral("12 pt"));
    const QStringList texts = labelTexts();
    for (const char *text :
        {"Background opacity", "OCR text size", "Translation text size", "0%", "90%", "8 pt", "72 pt"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_EQ(texts.count(QStringLiteral("8 pt")), 2);

    // A change made elsewhere (the reset) moves the texts and the sliders.
    model.setSourceTextSizePoints(30);
    EXPECT_EQ(value("overlay-source-text-size-value"), QStringLiteral("30 pt"));
    EXPECT_EQ(find<QSlider>("overlay-source-text-size-slider")->value(), 30 - 8);
    model.resetToDefaults();
    EXPECT_EQ(value("overlay-source-text-size-value"), QStringLiteral("12 pt"));
    EXPECT_EQ(find<QSlider>("overlay-source-text-size-slider")->value(), 12 - 8);
    EXPECT_EQ(find<QSlider>("overlay-background-opacity-slider")->value(), 55 / 5);
}

TEST_F(OverlaySettingsSectionTest, SlidersMoveInTheirStepsAndStoreWhatTheyChange)
{
    section.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&section));
    auto *opacity = find<QSlider>("overlay-background-opacity-slider");
    auto *translationSize = find<QSlider>("overlay-translation-text-size-slider");
    ASSERT_TRUE(opacity && translationSize);

    // One key press is one step: 5 % of opacity, 1 pt of text size.
    opacity->setFocus();
    QTest::keyClick(opacity, Qt::Key_Right);
    EXPECT_EQ(model.backgroundOpacityPercent(), 60);
    EXPECT_EQ(defaults.integer(UserDefaultsOverlaySettingsStore::backgroundOpacityPercentKey), 60);
    EXPECT_EQ(value("overlay-background-opacity-value"), QStringLiteral("60%"));
    QTest::keyClick(opacity, Qt::Key_End);
    EXPECT_EQ(model.backgroundOpacityPercent(), 90);
    QTest::keyClick(opacity, Qt::Key_Home);
    EXPECT_EQ(model.backgroundOpacityPercent(), 0);
    EXPECT_EQ(value("overlay-background-opacity-value"), QStringLiteral("0%"));

    translationSize->setFocus();
    QTest::keyClick(translationSize, Qt::Key_Left);
    EXPECT_EQ(model.translationTextSizePoints(), 14);
    EXPECT_EQ(defaults.integer(UserDefaultsOverlaySettingsStore::translationTextSizePointsKey), 14);
    QTest::keyClick(translationSize, Qt::Key_End);
    EXPECT_EQ(value("overlay-translation-text-size-value"), QStringLiteral("72 pt"));

    // Nothing was stored for the setting never touched.
    EXPECT_FALSE(defaults.contains(UserDefaultsOverlaySettingsStore::sourceTextSizePointsKey));
    saveScreenshot(section, QStringLiteral("settings-overlay-section.png"));
}

TEST_F(OverlaySettingsSectionTest, SliderValuesAreRoundedHalvesAwayFromZero)
{
    setOverlaySettingFromSlider(model, OverlaySetting::sourceTextSize, 12.5);
    EXPECT_EQ(model.sourceTextSizePoints(), 13);
    setOverlaySettingFromSlider(model, OverlaySetting::sourceTextSize, 11.49);
    EXPECT_EQ(model.sourceTextSizePoints(), 11);
    EXPECT_EQ(defaults.integer(UserDefaultsOverlaySettingsStore::sourceTextSizePointsKey), 11);
    setOverlaySettingFromSlider(model, OverlaySetting::translationTextSize, 71.5);
    EXPECT_EQ(model.translationTextSizePoints(), 72);
    // The opacity keeps to multiples of 5: 62.5 rounds to 63, then to 65.
    setOverlaySettingFromSlider(model, OverlaySetting::backgroundOpacity, 62.5);
    EXPECT_EQ(model.backgroundOpacityPercent(), 65);
    setOverlaySettingFromSlider(model, OverlaySetting::backgroundOpacity, 1.0e12);
    EXPECT_EQ(model.backgroundOpacityPercent(), 90);
    setOverlaySettingFromSlider(model, OverlaySetting::backgroundOpacity, -2.5);
    EXPECT_EQ(model.backgroundOpacityPercent(), 0);
    // What is not a number changes nothing.
    setOverlaySettingFromSlider(model, OverlaySetting::sourceTextSize, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(model.sourceTextSizePoints(), 11);
    EXPECT_EQ(value("overlay-source-text-size-value"), QStringLiteral("11 pt"));

    EXPECT_EQ(formatWholeNumber(QStringLiteral("%d%%"), 55), QStringLiteral("55%"));
    EXPECT_EQ(formatWholeNumber(QStringLiteral("%d pt"), 8), QStringLiteral("8 pt"));
    EXPECT_EQ(formatWholeNumber(QStringLiteral("100%% at %d"), -3), QStringLiteral("100% at -3"));
}
