#pragma once

#include <QByteArray>
#include <QStringView>

#include <optional>

namespace veyra {

// Decodes standard Base64 (the RFC 4648 alphabet, padded with "=" to a multiple of four
// characters) and nothing else: no blank, line break, other character or unpadded form is
// accepted. Nothing when the text is not of that form.
std::optional<QByteArray> decodeStandardBase64(QStringView text);

} // namespace veyra
