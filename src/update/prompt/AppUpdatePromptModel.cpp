#include "update/prompt/AppUpdatePromptModel.h"

namespace veyra {

AppUpdatePromptModel::AppUpdatePromptModel(AvailableAppUpdate update, std::optional<AppVersionInfo> currentVersion,
    std::optional<ReleaseNotes> releaseNotes, QObject *parent)
    : QObject(parent)
    , m_update(std::move(update))
    , m_currentVersion(std::move(currentVersion))
    , m_releaseNotes(std::move(releaseNotes))
{ }

void AppUpdatePromptModel::setReleaseNotes(std::optional<ReleaseNotes> notes)
{
    m_releaseNotesFailed = !notes.has_value();
    m_releaseNotes = std::move(notes);
    emit releaseNotesChanged();
}

} // namespace veyra
