// Test label: unit
// The overlay's opacity and text sizes: the ranges, what is written back at creation,
// what a setter publishes and stores, and the reset, over the user defaults.
#include "overlay/settings/OverlaySettingsModel.h"
#include "foundation/settings/UserDefaults.h"
#include "overlay/settings/InMemoryOverlaySettingsStore.h"
#include "overlay/settings/UserDefaultsOverlaySettingsStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <limits>

using namespace veyra;

namespace {

const QString opacityKey = QStringLiteral("overlay_background_opacity_percent");
const QString sourceKey = QStringLiteral("overlay_source_text_size_points");
const QString translationKey = QStringLiteral("overlay_translation_text_size_points");

class OverlaySettingsModelTest : public ::testing::Test
{
protected:
    std::unique_ptr<OverlaySettingsModel> makeModel()
    {
        return std::make_unique<OverlaySettingsModel>(std::make_unique<UserDefaultsOverlaySettingsStore>(defaults));
    }

    QTemporaryDir dir;
    UserDefaults defaults{dir.filePath(QStringLiteral("defaults.json"))};
};

} // namespace

TEST(OverlaySettingsRules, OpacityStepsOfFiveUpToNinetyAndSizesEightToSeventyTwo)
{
    const std::pair<int, int> opacities[]
        = {{-20, 0}, {0, 0}, {2, 0}, {3, 5}, {7, 5}, {8, 10}, {12, 10}, {13, 15}, {55, 55}, {83, 85}, {87, 85},
            {88, 90}, {93, 90}, {100, 90}, {std::numeric_limits<int>::min(), 0}, {std::numeric_limits<int>::max(), 90}};
    for (const auto &[given, expected] : opacities) {
        EXPECT_EQ(OverlaySettingsModel::normalizedBackgroundOpacityPercent(given), expected) << given;
    }
    EXPECT_EQ(OverlaySettingsModel::normalizedTextSizePoints(3), 8);
    EXPECT_EQ(OverlaySettingsModel::normalizedTextSizePoints(40), 40);
    EXPECT_EQ(OverlaySettingsModel::normalizedTextSizePoints(100), 72);
}

TEST_F(OverlaySettingsModelTest, FreshInstallationPublishesTheDefaultsAndStoresNothing)
{
    auto model = makeModel();
    EXPECT_EQ(model->backgroundOpacityPercent(), 55);
    EXPECT_EQ(model->sourceTextSizePoints(), 12);
    EXPECT_EQ(model->translationTextSizePoints(), 15);

    // Setting the value already shown changes and writes nothing.
    QSignalSpy opacity(model.get(), &OverlaySettingsModel::backgroundOpacityPercentChanged);
    model->setBackgroundOpacityPercent(55);
    model->setBackgroundOpacityPercent(57);
    EXPECT_EQ(opacity.size(), 0);
    EXPECT_FALSE(defaults.contains(opacityKey));
    EXPECT_FALSE(defaults.contains(sourceKey));
    EXPECT_FALSE(defaults.contains(translationKey));
}

TEST_F(OverlaySettingsModelTest, OutOfRangeValuesAreCorrectedAndWrittenBack)
{
    defaults.setValue(opacityKey, 93);
    defaults.setValue(sourceKey, 3);
    defaults.setValue(translationKey, 100);
    auto model = makeModel();
    EXPECT_EQ(model->backgroundOpacityPercent(), 90);
    EXPECT_EQ(model->sourceTextSizePoints(), 8);
    EXPECT_EQ(model->translationTextSizePoints(), 72);
    EXPECT_EQ(defaults.object(opacityKey), QVariant(qint64(90)));
    EXPECT_EQ(defaults.object(sourceKey), QVariant(qint64(8)));
    EXPECT_EQ(defaults.object(translationKey), QVariant(qint64(72)));

    // Numbers of other kinds read as their integer part; anything else as nothing stored,
    // and such a value stays in place.
    defaults.setValue(opacityKey, 12.9);
    defaults.setValue(sourceKey, QStringLiteral("20"));
    defaults.setValue(translationKey, true);
    model = makeModel();
    EXPECT_EQ(model->backgroundOpacityPercent(), 10);
    EXPECT_EQ(defaults.object(opacityKey), QVariant(qint64(10)));
    EXPECT_EQ(model->sourceTextSizePoints(), 12);
    EXPECT_EQ(defaults.object(sourceKey), QVariant(QStringLiteral("20")));
    EXPECT_EQ(model->translationTextSizePoints(), 8);
    EXPECT_EQ(defaults.object(translationKey), QVariant(qint64(8)));

    // A value within its range is left alone (a stored 55.0 stays a fraction).
    defaults.setValue(opacityKey, 55.0);
    EXPECT_EQ(makeModel()->backgroundOpacityPercent(), 55);
    EXPECT_EQ(defaults.object(opacityKey).typeId(), QMetaType::Double);
    defaults.setValue(opacityKey, 55);
    defaults.setValue(sourceKey, QByteArray("20"));
    UserDefaultsOverlaySettingsStore store(defaults);
    EXPECT_EQ(store.backgroundOpacityPercent(), 55);
    EXPECT_EQ(store.sourceTextSizePoints(), std::nullopt);
    defaults.setValue(opacityKey, -20);
    EXPECT_EQ(makeModel()->backgroundOpacityPercent(), 0);
    EXPECT_EQ(defaults.object(opacityKey), QVariant(qint64(0)));
}

TEST_F(OverlaySettingsModelTest, SettersPublishThenStoreAndResetRemovesTheKeys)
{
    auto model = makeModel();
    QSignalSpy opacity(model.get(), &OverlaySettingsModel::backgroundOpacityPercentChanged);
    QSignalSpy source(model.get(), &OverlaySettingsModel::sourceTextSizePointsChanged);
    QSignalSpy translation(model.get(), &OverlaySettingsModel::translationTextSizePointsChanged);

    model->setBackgroundOpacityPercent(13);
    EXPECT_EQ(model->backgroundOpacityPercent(), 15);
    EXPECT_EQ(defaults.object(opacityKey), QVariant(qint64(15)));
    model->setBackgroundOpacityPercent(14);
    EXPECT_EQ(opacity.size(), 1);
    model->setSourceTextSizePoints(80);
    model->setTranslationTextSizePoints(20);
    EXPECT_EQ(defaults.object(sourceKey), QVariant(qint64(72)));
    EXPECT_EQ(defaults.object(translationKey), QVariant(qint64(20)));

    model->resetToDefaults();
    EXPECT_FALSE(defaults.contains(opacityKey));
    EXPECT_FALSE(defaults.contains(sourceKey));
    EXPECT_FALSE(defaults.contains(translationKey));
    EXPECT_EQ(opacity.size(), 2);
    EXPECT_EQ(opacity.last().first().toInt(), 55);
    EXPECT_EQ(source.size(), 2);
    EXPECT_EQ(translation.size(), 2);
    // Announced even when already at the default.
    model->resetToDefaults();
    EXPECT_EQ(opacity.size(), 3);
    EXPECT_EQ(source.size(), 3);
    EXPECT_EQ(translation.last().first().toInt(), 15);

    // A later launch starts from the defaults again.
    auto relaunched = makeModel();
    EXPECT_EQ(relaunched->backgroundOpacityPercent(), 55);
    EXPECT_EQ(relaunched->sourceTextSizePoints(), 12);
}

TEST(OverlaySettingsFactory, FixtureModeUsesAnEmptyInMemoryStore)
{
    QTemporaryDir dir;
    UserDefaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    defaults.setValue(opacityKey, 30);
    auto fixture = makeOverlaySettingsModel(true, defaults);
    EXPECT_NE(dynamic_cast<const InMemoryOverlaySettingsStore *>(&fixture->store()), nullptr);
    EXPECT_EQ(fixture->backgroundOpacityPercent(), 55);
    EXPECT_EQ(makeOverlaySettingsModel(false, defaults)->backgroundOpacityPercent(), 30);
}
