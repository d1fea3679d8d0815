#include "update/configuration/InfoDictionaryText.h"

#include <QVariant>

namespace veyra {

QString trimmedInfoDictionaryText(const InfoDictionary &info, const QString &key)
{
    const auto it = info.constFind(key);
    if (it == info.constEnd() || it->typeId() != QMetaType::QString) {
        return {};
    }
    // QString::trimmed() removes exactly the whitespace-and-newline set: tab, line feed,
    // vertical tab, form feed, carriage return, U+0085 and the separators Zs, Zl and Zp.
    return it->toString().trimmed();
}

} // namespace veyra
