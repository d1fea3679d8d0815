#include "update/configuration/StandardBase64.h"

namespace veyra {

namespace {
bool isBase64AlphabetCharacter(QChar character)
{
    const char16_t c = character.unicode();
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'/';
}
} // namespace

std::optional<QByteArray> decodeStandardBase64(QStringView text)
{
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    // At most two "=" and only at the very end.
    qsizetype padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == u'=') {
        ++padding;
    }
    const QStringView data = text.first(text.size() - padding);
    for (const QChar character : data) {
        if (!isBase64AlphabetCharacter(character)) {
            return std::nullopt;
        }
    }
    const auto result = QByteArray::fromBase64Encoding(
        text.toLatin1(), QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (result.decodingStatus != QByteArray::Base64DecodingStatus::Ok) {
        return std::nullopt;
    }
    return result.decoded;
}

} // namespace veyra
