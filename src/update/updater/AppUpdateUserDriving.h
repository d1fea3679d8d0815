#pragma once

#include "update/updater/AppcastItem.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace veyra {

class AppUpdaterError;

// The user's answer to an offered update.
enum class UserUpdateChoice {
    skip,
    install,
    dismiss,
};

// How the check that found an update began.
struct UserUpdateState
{
    bool userInitiated = false;
};

// Release notes downloaded from the item's release-notes link.
struct UpdateDownloadData
{
    QByteArray data;
    QUrl url;
    // The charset of the answer's Content-Type, when it names one.
    std::optional<QString> textEncodingName;
    // The answer's media type without parameters, when it has one.
    std::optional<QString> mimeType;
};

// Everything the updater shows or asks: it calls these on the GUI thread while one update
// cycle runs. Every reply, acknowledgement and cancellation closure may be called at most
// once; calls after the first, or after the cycle ended, are ignored.
class AppUpdateUserDriving
{
public:
    virtual ~AppUpdateUserDriving() = default;

    // A user-initiated check began; `cancellation` ends it.
    virtual void showUserInitiatedUpdateCheck(std::function<void()> cancellation) = 0;
    // An update was found; the cycle waits for the reply.
    virtual void showUpdateFound(
        const AppcastItem &item, UserUpdateState state, std::function<void(UserUpdateChoice)> reply)
        = 0;
    // The release notes of the offered update arrived, or failed to.
    virtual void showUpdateReleaseNotes(const UpdateDownloadData &downloadData) = 0;
    virtual void showUpdateReleaseNotesFailedToDownload(const AppUpdaterError &error) = 0;
    // A user-initiated check found nothing newer; the cycle ends once acknowledged.
    virtual void showUpdateNotFound(std::function<void()> acknowledgement) = 0;
    // A user-initiated cycle failed; the cycle ends once acknowledged.
    virtual void showUpdaterError(const AppUpdaterError &error, std::function<void()> acknowledgement) = 0;
    // The archive download began; `cancellation` stops it and ends the cycle.
    virtual void showDownloadInitiated(std::function<void()> cancellation) = 0;
    // `received` of `expected` bytes have arrived.
    virtual void showDownloadProgress(qint64 received, qint64 expected) = 0;
    // The archive arrived; it is being verified and put in place.
    virtual void showInstallingUpdate() = 0;
    // A user check was asked for while this cycle runs: bring its window forward.
    virtual void showUpdateInFocus() = 0;
    // The cycle ended: close whatever it still shows.
    virtual void dismissUpdateInstallation() = 0;
};

} // namespace veyra
