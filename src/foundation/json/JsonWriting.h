#pragma once

#include <QByteArray>
#include <QJsonValue>

namespace veyra {

struct JsonWritingOptions
{
    // Indented by two spaces, one member or element per line, "key" : value.
    bool prettyPrinted = false;
    // Writes "/" as "\/" unless set.
    bool withoutEscapingSlashes = false;
};

// UTF-8 JSON text of `value` with the keys of every object in sorted order and no
// trailing newline. Strings escape the quotation mark, the reverse solidus, the control
// characters (\b \f \n \r \t, else \u00xx) and, unless told otherwise, the solidus;
// every other character is written as it is. Integers are written without a fraction.
// (QJsonDocument indents by four spaces and never escapes "/"; Veyra's files are written
// in this form instead.)
QByteArray writeJson(const QJsonValue &value, JsonWritingOptions options = {});

} // namespace veyra
