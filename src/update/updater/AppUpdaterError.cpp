#include "update/updater/AppUpdaterError.h"

#include "foundation/files/FileIO.h"

#include <QCoreApplication>
#include <QDir>

namespace veyra {

namespace {

const char *messageOf(AppUpdaterError::Kind kind)
{
    using Kind = AppUpdaterError::Kind;
    switch (kind) {
    case Kind::invalidConfiguration:
        return QT_TRANSLATE_NOOP("Veyra", "Software updates aren't set up for this copy of Veyra.");
    case Kind::feedUnavailable:
        return QT_TRANSLATE_NOOP(
            "Veyra", "Veyra couldn't check for updates. Check your internet connection and try again.");
    case Kind::invalidFeed:
        return QT_TRANSLATE_NOOP("Veyra", "The update information couldn't be read. Try again later.");
    case Kind::downloadFailed:
        return QT_TRANSLATE_NOOP(
            "Veyra", "Veyra couldn't download the update. Check your internet connection and try again.");
    case Kind::downloadNotSaved:
        return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save the update in “%@”.");
    case Kind::invalidSignature:
        return QT_TRANSLATE_NOOP("Veyra", "The downloaded update isn't signed correctly, so Veyra didn't install it.");
    case Kind::installFailed:
        return QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't install the update.");
    case Kind::installUnsupported:
        return QT_TRANSLATE_NOOP(
            "Veyra", "This copy of Veyra can't update itself. The download page has opened in your browser.");
    case Kind::releaseNotesUnavailable:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "Release notes are unavailable.");
}

} // namespace

AppUpdaterError::AppUpdaterError(Kind kind, QString detail)
    : AppUpdaterError(kind, std::move(detail), QString(), LocalizableText())
{ }

AppUpdaterError::AppUpdaterError(Kind kind, QString detail, QString folder, LocalizableText reason)
    : LocalizedError(kind == Kind::downloadNotSaved
            ? withDetail(formatPlaceholders(QString::fromUtf8(messageOf(kind)), {folder}), reason.english())
            : QString::fromUtf8(messageOf(kind)))
    , m_kind(kind)
    , m_detail(std::move(detail))
    , m_folder(std::move(folder))
    , m_reason(std::move(reason))
{ }

AppUpdaterError AppUpdaterError::downloadNotSaved(QString folder, LocalizableText reason, QString detail)
{
    return AppUpdaterError(
        Kind::downloadNotSaved, std::move(detail), std::move(folder), systemReason(std::move(reason)));
}

QString AppUpdaterError::localizedDescription() const
{
    if (m_kind != Kind::downloadNotSaved) {
        return LocalizedError::localizedDescription();
    }
    return withDetail(localizedFormat(messageOf(m_kind), {QDir::toNativeSeparators(m_folder)}), m_reason.localized());
}

QString AppUpdaterError::caseName(Kind kind)
{
    switch (kind) {
    case Kind::invalidConfiguration:
        return QStringLiteral("invalidConfiguration");
    case Kind::feedUnavailable:
        return QStringLiteral("feedUnavailable");
    case Kind::invalidFeed:
        return QStringLiteral("invalidFeed");
    case Kind::downloadFailed:
        return QStringLiteral("downloadFailed");
    case Kind::downloadNotSaved:
        return QStringLiteral("downloadNotSaved");
    case Kind::invalidSignature:
        return QStringLiteral("invalidSignature");
    case Kind::installFailed:
        return QStringLiteral("installFailed");
    case Kind::installUnsupported:
        return QStringLiteral("installUnsupported");
    case Kind::releaseNotesUnavailable:
        break;
    }
    return QStringLiteral("releaseNotesUnavailable");
}

QString AppUpdaterError::logDescription() const
{
    return m_detail.isEmpty() ? caseName(m_kind) : QStringLiteral("%1 (%2)").arg(caseName(m_kind), m_detail);
}

} // namespace veyra
