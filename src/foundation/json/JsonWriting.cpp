#include "foundation/json/JsonWriting.h"

#include "foundation/json/JsonDecoding.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLocale>

namespace veyra {

namespace {

class JsonWriter
{
public:
    explicit JsonWriter(JsonWritingOptions options)
        : m_options(options)
    { }

    QByteArray take() { return std::move(m_out); }

    void write(const QJsonValue &value)
    {
        switch (value.type()) {
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            m_out += "null";
            break;
        case QJsonValue::Bool:
            m_out += value.toBool() ? "true" : "false";
            break;
        case QJsonValue::Double:
            writeNumber(value);
            break;
        case QJsonValue::String:
            writeString(value.toString());
            break;
        case QJsonValue::Array:
            writeArray(value.toArray());
            break;
        case QJsonValue::Object:
            writeObject(value.toObject());
            break;
        }
    }

private:
    void writeNumber(const QJsonValue &value)
    {
        if (const auto integer = jsonInt64(value)) {
            m_out += QByteArray::number(*integer);
        } else {
            m_out += QByteArray::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
        }
    }

    void writeString(const QString &text)
    {
        static const char hexDigits[] = "0123456789abcdef";
        const QByteArray utf8 = text.toUtf8();
        m_out += '"';
        for (const char c : utf8) {
            const auto byte = static_cast<unsigned char>(c);
            switch (byte) {
            case '"':
                m_out += "\\\"";
                break;
            case '\\':
                m_out += "\\\\";
                break;
            case '/':
                m_out += m_options.withoutEscapingSlashes ? "/" : "\\/";
                break;
            case '\b':
                m_out += "\\b";
                break;
            case '\f':
                m_out += "\\f";
                break;
            case '\n':
                m_out += "\\n";
                break;
            case '\r':
                m_out += "\\r";
                break;
            case '\t':
                m_out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    m_out += "\\u00";
                    m_out += hexDigits[byte >> 4];
                    m_out += hexDigits[byte & 0xf];
                } else {
                    m_out += c;
                }
            }
        }
        m_out += '"';
    }

    void writeArray(const QJsonArray &array)
    {
        m_out += '[';
        openLevel();
        bool first = true;
        for (const QJsonValue &element : array) {
            separate(first);
            write(element);
        }
        closeLevel();
        m_out += ']';
    }

    void writeObject(const QJsonObject &object)
    {
        // QJsonObject keeps its keys sorted.
        m_out += '{';
        openLevel();
        bool first = true;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            separate(first);
            writeString(it.key());
            m_out += m_options.prettyPrinted ? " : " : ":";
            write(it.value());
        }
        closeLevel();
        m_out += '}';
    }

    void openLevel()
    {
        if (m_options.prettyPrinted) {
            m_out += '\n';
            ++m_depth;
        }
    }

    void separate(bool &first)
    {
        if (!first) {
            m_out += m_options.prettyPrinted ? ",\n" : ",";
        }
        first = false;
        indent();
    }

    void closeLevel()
    {
        if (m_options.prettyPrinted) {
            m_out += '\n';
            --m_depth;
            indent();
        }
    }

    void indent()
    {
        if (m_options.prettyPrinted) {
            m_out.append(2 * m_depth, ' ');
        }
    }

    JsonWritingOptions m_options;
    QByteArray m_out;
    int m_depth = 0;
};

} // namespace

QByteArray writeJson(const QJsonValue &value, JsonWritingOptions options)
{
    JsonWriter writer(options);
    writer.write(value);
    return writer.take();
}

} // namespace veyra
