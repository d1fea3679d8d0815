#include "capture/windows/WindowCatalogGrouping.h"

#include "foundation/language/LocalizedString.h"

#include <QCollator>
#include <QHash>

#include <algorithm>

namespace veyra {

namespace {

bool isListedApplication(
    const RunningApplicationRecord &application, std::int32_t ownProcessID, const QStringList &ownBundleIdentifiers)
{
    return application.isRegularApplication && application.processID != ownProcessID
        && !ownBundleIdentifiers.contains(application.bundleIdentifier.value_or(QString()))
        && !application.applicationName.isEmpty();
}

} // namespace

QVector<CaptureApplicationGroup> groupSelectableWindows(const QVector<RunningApplicationRecord> &applications,
    const QVector<WindowRecord> &windows, std::int32_t ownProcessID, const QStringList &ownBundleIdentifiers)
{
    QHash<std::int32_t, const RunningApplicationRecord *> listed;
    for (const RunningApplicationRecord &application : applications) {
        if (isListedApplication(application, ownProcessID, ownBundleIdentifiers)
            && !listed.contains(application.processID)) {
            listed.insert(application.processID, &application);
        }
    }

    QVector<CaptureApplicationGroup> groups;
    QHash<std::int32_t, qsizetype> groupIndex;
    for (const WindowRecord &window : windows) {
        const RunningApplicationRecord *application = listed.value(window.processID, nullptr);
        if (application == nullptr || !isSelectable(window)) {
            continue;
        }
        auto found = groupIndex.constFind(window.processID);
        if (found == groupIndex.constEnd()) {
            CaptureApplicationGroup group;
            group.processID = application->processID;
            group.bundleIdentifier = application->bundleIdentifier;
            group.executableURL = application->executableURL;
            group.applicationName = application->applicationName;
            group.icon = application->icon;
            groups.append(std::move(group));
            found = groupIndex.insert(window.processID, groups.size() - 1);
        }
        CaptureTarget target;
        target.windowID = window.windowID;
        target.processID = application->processID;
        target.bundleIdentifier = application->bundleIdentifier;
        target.executableURL = application->executableURL;
        target.applicationName = application->applicationName;
        target.windowTitle = window.title;
        target.frame = window.frame;
        groups[*found].windows.append(std::move(target));
    }

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QString untitled = localizedString(QT_TRANSLATE_NOOP("Veyra", "(Untitled)"));
    const auto displayTitle = [&untitled](const CaptureTarget &target) -> const QString & {
        return target.windowTitle.isEmpty() ? untitled : target.windowTitle;
    };
    for (CaptureApplicationGroup &group : groups) {
        std::sort(group.windows.begin(), group.windows.end(),
            [&collator, &displayTitle](const CaptureTarget &a, const CaptureTarget &b) {
                const int order = collator.compare(displayTitle(a), displayTitle(b));
                return order != 0 ? order < 0 : a.windowID < b.windowID;
            });
    }
    std::sort(
        groups.begin(), groups.end(), [&collator](const CaptureApplicationGroup &a, const CaptureApplicationGroup &b) {
            const int order = collator.compare(a.applicationName, b.applicationName);
            return order != 0 ? order < 0 : a.processID < b.processID;
        });
    return groups;
}

bool listsSelectableWindow(const QVector<WindowRecord> &windows, const CaptureTarget &target)
{
    return std::any_of(windows.begin(), windows.end(), [&target](const WindowRecord &window) {
        return window.windowID == target.windowID && window.processID == target.processID && isSelectable(window);
    });
}

} // namespace veyra
