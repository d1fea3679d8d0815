#include "capture/FixtureWindowCatalog.h"

#include <algorithm>

namespace veyra {

namespace {

CaptureApplicationGroup fixtureGroup(std::int32_t processID, const QString &bundleIdentifier, const QString &executable,
    const QString &name, const QVector<std::pair<std::uint32_t, std::pair<QString, QRectF>>> &windows)
{
    CaptureApplicationGroup group;
    group.processID = processID;
    group.bundleIdentifier = bundleIdentifier;
    group.executableURL = QUrl::fromLocalFile(executable);
    group.applicationName = name;
    for (const auto &[windowID, window] : windows) {
        CaptureTarget target;
        target.windowID = windowID;
        target.processID = processID;
        target.bundleIdentifier = group.bundleIdentifier;
        target.executableURL = group.executableURL;
        target.applicationName = name;
        target.windowTitle = window.first;
        target.frame = window.second;
        group.windows.append(target);
    }
    return group;
}

} // namespace

const QVector<CaptureApplicationGroup> &FixtureWindowCatalog::fixtureApplicationGroups()
{
    static const QVector<CaptureApplicationGroup> groups{
        fixtureGroup(4242, QStringLiteral("io.pixelharbor.PixelHarbor"),
            QStringLiteral("/opt/PixelHarbor/bin/pixelharbor"), QStringLiteral("Pixel Harbor"),
            {{9001, {QStringLiteral("Starlight Voyage"), QRectF(100, 120, 960, 720)}},
                {9002, {QString(), QRectF(180, 160, 640, 480)}}}),
        fixtureGroup(4243, QStringLiteral("org.gnome.TextEditor"), QStringLiteral("/usr/bin/gnome-text-editor"),
            QStringLiteral("Text Editor"), {{9003, {QStringLiteral("Notes"), QRectF(300, 200, 700, 500)}}}),
    };
    return groups;
}

QCoro::Task<QVector<CaptureApplicationGroup>> FixtureWindowCatalog::applicationGroups()
{
    ++m_loadCount;
    co_return fixtureApplicationGroups();
}

QCoro::Task<bool> FixtureWindowCatalog::isAvailable(CaptureTarget target)
{
    const auto &groups = fixtureApplicationGroups();
    co_return std::any_of(groups.begin(), groups.end(), [&target](const CaptureApplicationGroup &group) {
        return std::any_of(group.windows.begin(), group.windows.end(), [&target](const CaptureTarget &window) {
            return window.windowID == target.windowID && window.processID == target.processID;
        });
    });
}

} // namespace veyra
