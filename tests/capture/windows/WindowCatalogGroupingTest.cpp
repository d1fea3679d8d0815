// Test label: unit
// How the catalog turns running applications and window records into the picker's
// groups: which applications and windows count, and the order of both.
#include "capture/windows/WindowCatalogGrouping.h"
#include "foundation/language/ClientLanguage.h"

#include <gtest/gtest.h>

using namespace veyra;

namespace {

constexpr std::int32_t ownProcess = 100;
const QStringList ownBundles{QStringLiteral("io.veyra.obrisk"), QStringLiteral("io.veyra.obrisk.debug")};

RunningApplicationRecord application(
    std::int32_t processID, const QString &name, std::optional<QString> bundle = std::nullopt, bool regular = true)
{
    RunningApplicationRecord record;
    record.processID = processID;
    record.applicationName = name;
    record.bundleIdentifier = std::move(bundle);
    record.executableURL = QUrl::fromLocalFile(QStringLiteral("/usr/games/%1").arg(processID));
    record.isRegularApplication = regular;
    return record;
}

WindowRecord window(std::uint32_t windowID, std::int32_t processID, const QString &title,
    QRectF frame = QRectF(0, 0, 640, 480), int layer = 0, bool shareable = true)
{
    WindowRecord record;
    record.windowID = windowID;
    record.processID = processID;
    record.title = title;
    record.frame = frame;
    record.layer = layer;
    record.isShareable = shareable;
    return record;
}

QVector<std::uint32_t> windowIDs(const QVector<CaptureApplicationGroup> &groups)
{
    QVector<std::uint32_t> ids;
    for (const CaptureApplicationGroup &group : groups) {
        for (const CaptureTarget &target : group.windows) {
            ids.append(target.windowID);
        }
    }
    return ids;
}

QVector<std::int32_t> processIDs(const QVector<CaptureApplicationGroup> &groups)
{
    QVector<std::int32_t> ids;
    for (const CaptureApplicationGroup &group : groups) {
        ids.append(group.processID);
    }
    return ids;
}

class LanguageScope
{
public:
    explicit LanguageScope(ClientLanguage language) { setCurrentClientLanguage(language); }
    ~LanguageScope() { setCurrentClientLanguage(ClientLanguage::english); }
};

} // namespace

TEST(WindowCatalogGrouping, TargetsCarryTheirApplicationAndOnlySelectableWindowsOfListedApplicationsCount)
{
    const QVector<RunningApplicationRecord> applications{
        application(1, QStringLiteral("Game"), QStringLiteral(" com.example.game ")),
        application(2, QStringLiteral("Accessory"), std::nullopt, false),
        application(ownProcess, QStringLiteral("Veyra")),
        application(3, QStringLiteral("Veyra release"), QStringLiteral("io.veyra.obrisk")),
        application(4, QStringLiteral("Veyra debug"), QStringLiteral("io.veyra.obrisk.debug")),
        application(5, QString()),
        application(6, QStringLiteral("No bundle")),
        application(7, QStringLiteral("Only palettes")),
    };
    const QVector<WindowRecord> windows{
        window(10, 1, QStringLiteral("Main"), QRectF(10.5, 20, 800, 600)),
        window(11, 1, QStringLiteral("Palette"), QRectF(0, 0, 200, 200), 3),
        window(12, 1, QStringLiteral("Private"), QRectF(0, 0, 200, 200), 0, false),
        window(13, 1, QStringLiteral("Zero width"), QRectF(0, 0, 0, 200)),
        window(14, 1, QStringLiteral("Zero height"), QRectF(0, 0, 200, 0)),
        window(20, 2, QStringLiteral("Accessory window")),
        window(30, ownProcess, QStringLiteral("Own window")),
        window(31, 3, QStringLiteral("Release window")),
        window(32, 4, QStringLiteral("Debug window")),
        window(40, 5, QStringLiteral("Nameless")),
        window(50, 6, QString()),
        window(60, 7, QStringLiteral("Palette"), QRectF(0, 0, 100, 100), 1),
        window(70, 8, QStringLiteral("No application")),
    };

    const QVector<CaptureApplicationGroup> groups
        = groupSelectableWindows(applications, windows, ownProcess, ownBundles);
    ASSERT_EQ(processIDs(groups), (QVector<std::int32_t>{1, 6}));
    const CaptureApplicationGroup &game = groups[0];
    EXPECT_EQ(game.applicationName, QStringLiteral("Game"));
    EXPECT_EQ(game.bundleIdentifier, QStringLiteral(" com.example.game "));
    ASSERT_EQ(game.windows.size(), 1);
    const CaptureTarget &main = game.windows.front();
    EXPECT_EQ(main.windowID, 10u);
    EXPECT_EQ(main.processID, 1);
    EXPECT_EQ(main.bundleIdentifier, game.bundleIdentifier);
    EXPECT_EQ(main.executableURL, game.executableURL);
    EXPECT_EQ(main.applicationName, game.applicationName);
    EXPECT_EQ(main.windowTitle, QStringLiteral("Main"));
    EXPECT_EQ(main.frame, QRectF(10.5, 20, 800, 600));
    // An application without bundle identifier is listed; its untitled window keeps the
    // empty title.
    EXPECT_FALSE(groups[1].bundleIdentifier.has_value());
    EXPECT_EQ(groups[1].windows.front().windowTitle, QString());

    // The re-check ignores the application rules but not the window rules.
    const auto available = [&windows](std::uint32_t windowID, std::int32_t processID) {
        CaptureTarget target;
        target.windowID = windowID;
        target.processID = processID;
        return listsSelectableWindow(windows, target);
    };
    EXPECT_TRUE(available(10, 1));
    EXPECT_TRUE(available(20, 2));
    EXPECT_TRUE(available(31, 3));
    EXPECT_FALSE(available(10, 2));
    EXPECT_FALSE(available(11, 1));
    EXPECT_FALSE(available(12, 1));
    EXPECT_FALSE(available(13, 1));
    EXPECT_FALSE(available(14, 1));
    EXPECT_FALSE(available(99, 1));
}

TEST(WindowCatalogGrouping, SortsByNameAndTitleIgnoringCaseThenByNumber)
{
    const QVector<RunningApplicationRecord> applications{
        application(9, QStringLiteral("beta")),
        application(5, QStringLiteral("Alpha")),
        application(3, QStringLiteral("alpha")),
    };
    const QVector<WindowRecord> windows{
        window(40, 9, QStringLiteral("Zulu")),
        window(31, 9, QStringLiteral("echo")),
        window(30, 9, QStringLiteral("Echo")),
        window(20, 9, QStringLiteral("delta")),
        window(50, 5, QStringLiteral("Only")),
        window(60, 3, QStringLiteral("Only")),
    };
    const QVector<CaptureApplicationGroup> groups
        = groupSelectableWindows(applications, windows, ownProcess, ownBundles);
    EXPECT_EQ(processIDs(groups), (QVector<std::int32_t>{3, 5, 9}));
    EXPECT_EQ(windowIDs(groups), (QVector<std::uint32_t>{60, 50, 20, 30, 31, 40}));
}

TEST(WindowCatalogGrouping, AnUntitledWindowSortsByTheLocalisedUntitledText)
{
    const QVector<RunningApplicationRecord> applications{application(1, QStringLiteral("Game"))};
    const QVector<WindowRecord> windows{window(2, 1, QStringLiteral("(Zebra)")), window(1, 1, QString())};

    // "(Untitled)" comes before "(Zebra)"; "(제목 없음)" and "(名称未設定)" after it.
    EXPECT_EQ(windowIDs(groupSelectableWindows(applications, windows, ownProcess, ownBundles)),
        (QVector<std::uint32_t>{1, 2}));
    {
        LanguageScope korean(ClientLanguage::korean);
        EXPECT_EQ(windowIDs(groupSelectableWindows(applications, windows, ownProcess, ownBundles)),
            (QVector<std::uint32_t>{2, 1}));
    }
    {
        LanguageScope japanese(ClientLanguage::japanese);
        EXPECT_EQ(windowIDs(groupSelectableWindows(applications, windows, ownProcess, ownBundles)),
            (QVector<std::uint32_t>{2, 1}));
    }
}
