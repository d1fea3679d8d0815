#pragma once

#include <QString>

#include <optional>

namespace veyra {

struct UpdateDownloadData;

// Release notes ready to show: their text (trimmed) and how it is to be read.
struct ReleaseNotes
{
    enum class Format {
        plainText,
        html,
        markdown,
    };

    Format format = Format::plainText;
    QString text;

    bool operator==(const ReleaseNotes &) const = default;
};

// Notes from a text and its format (an item's description format, or the media type of
// downloaded notes), compared lower-cased and without parameters: "html", "text/html" and
// "application/xhtml+xml" are HTML; a format containing "markdown" is Markdown; any other,
// or none, is plain text. Nothing when the text is blank.
std::optional<ReleaseNotes> makeReleaseNotes(const QString &text, const std::optional<QString> &format);

// Notes from downloaded data: decoded in the charset it names (UTF-8 when it names none or
// one that is unknown), then read by its media type. Nothing when the bytes are not valid
// in that charset or the text is blank.
std::optional<ReleaseNotes> makeReleaseNotes(const UpdateDownloadData &downloadData);

} // namespace veyra
