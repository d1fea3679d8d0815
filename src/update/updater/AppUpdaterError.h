#pragma once

#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"

namespace veyra {

// Why an update cycle of the updater failed. The message is for the user (the standard
// user driver shows it after a user-initiated check); the detail only goes to the log.
class AppUpdaterError : public LocalizedError
{
public:
    enum class Kind {
        // The updater cannot run: no running build, or an unusable feed URL or key.
        invalidConfiguration,
        // The feed did not arrive (network failure, an error status).
        feedUnavailable,
        // The feed is not a readable appcast.
        invalidFeed,
        // The update's archive did not arrive whole.
        downloadFailed,
        // The update's archive could not be written to the disk (too little free space, a
        // quota, a failing disk): made with downloadNotSaved(), which says where and why.
        downloadNotSaved,
        // The archive's signature does not verify against the configured key.
        invalidSignature,
        // The archive could not replace the running application.
        installFailed,
        // This copy cannot replace itself; the download page was opened instead.
        installUnsupported,
        // The release notes did not arrive.
        releaseNotesUnavailable,
    };

    explicit AppUpdaterError(Kind kind, QString detail = {});
    // The archive could not be written in `folder`, for `reason` (the system's, worded in
    // the interface language when it is a common one (systemReason()), or one of Veyra's
    // own), shown after the sentence.
    static AppUpdaterError downloadNotSaved(QString folder, LocalizableText reason, QString detail);

    Kind kind() const { return m_kind; }
    const QString &detail() const { return m_detail; }
    static QString caseName(Kind kind);
    // The case name and the detail, for the log.
    QString logDescription() const;

    QString localizedDescription() const override;

private:
    AppUpdaterError(Kind kind, QString detail, QString folder, LocalizableText reason);

    Kind m_kind;
    QString m_detail;
    QString m_folder;
    LocalizableText m_reason;
};

} // namespace veyra
