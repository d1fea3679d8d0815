#pragma once

#include "update/prompt/ReleaseNotes.h"
#include "update/version/AppVersionInfo.h"
#include "update/version/AvailableAppUpdate.h"

#include <QObject>

#include <optional>

namespace veyra {

// The user's answer in the update prompt.
enum class AppUpdatePromptChoice {
    cancel,
    install,
};

// What the update prompt shows: the offered update, the running version, and the release
// notes, which are loading (none, not failed), loaded, or unavailable (failed).
class AppUpdatePromptModel : public QObject
{
    Q_OBJECT

public:
    AppUpdatePromptModel(AvailableAppUpdate update, std::optional<AppVersionInfo> currentVersion,
        std::optional<ReleaseNotes> releaseNotes, QObject *parent = nullptr);

    const AvailableAppUpdate &update() const { return m_update; }
    const std::optional<AppVersionInfo> &currentVersion() const { return m_currentVersion; }
    const std::optional<ReleaseNotes> &releaseNotes() const { return m_releaseNotes; }
    bool releaseNotesFailed() const { return m_releaseNotesFailed; }

    // Loaded notes, or (nothing) unavailable ones.
    void setReleaseNotes(std::optional<ReleaseNotes> notes);

signals:
    void releaseNotesChanged();

private:
    AvailableAppUpdate m_update;
    std::optional<AppVersionInfo> m_currentVersion;
    std::optional<ReleaseNotes> m_releaseNotes;
    bool m_releaseNotesFailed = false;
};

} // namespace veyra
