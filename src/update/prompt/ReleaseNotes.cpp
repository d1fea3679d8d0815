#include "update/prompt/ReleaseNotes.h"

#include "update/updater/AppUpdateUserDriving.h"

#include <QStringDecoder>

namespace veyra {

std::optional<ReleaseNotes> makeReleaseNotes(const QString &text, const std::optional<QString> &format)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    ReleaseNotes notes{ReleaseNotes::Format::plainText, trimmed};
    if (!format) {
        return notes;
    }
    const QString lowered = format->toLower();
    const QString essence = lowered.section(QLatin1Char(';'), 0, 0).trimmed();
    if (essence == QLatin1String("html") || essence == QLatin1String("text/html")
        || essence == QLatin1String("application/xhtml+xml")) {
        notes.format = ReleaseNotes::Format::html;
    } else if (lowered.contains(QLatin1String("markdown"))) {
        notes.format = ReleaseNotes::Format::markdown;
    }
    return notes;
}

std::optional<ReleaseNotes> makeReleaseNotes(const UpdateDownloadData &downloadData)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (downloadData.textEncodingName) {
        QStringDecoder named(downloadData.textEncodingName->toLatin1().constData(), QStringDecoder::Flag::Stateless);
        if (named.isValid()) {
            decoder = std::move(named);
        }
    }
    const QString text = decoder.decode(downloadData.data);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return makeReleaseNotes(text, downloadData.mimeType);
}

} // namespace veyra
