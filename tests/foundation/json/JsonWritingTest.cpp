// Test label: unit
#include "foundation/json/JsonWriting.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace veyra;

TEST(JsonWriting, EscapesLikeTheFilesAreWrittenAndSortsKeys)
{
    QJsonObject object;
    object.insert(QStringLiteral("z"), QStringLiteral("a/b \"q\" back\\slash \b\f\n\r\t \x01\x1f é 日本 \U0001F600"));
    object.insert(QStringLiteral("a"), QJsonArray{1, -9223372036854775807LL - 1, 2.5, true, false, QJsonValue()});
    object.insert(QStringLiteral("m"), QJsonObject());
    object.insert(QStringLiteral("b"), QJsonArray());

    EXPECT_EQ(writeJson(object),
        QByteArray("{\"a\":[1,-9223372036854775808,2.5,true,false,null],\"b\":[],\"m\":{},"
                   "\"z\":\"a\\/b \\\"q\\\" back\\\\slash \\b\\f\\n\\r\\t \\u0001\\u001f é 日本 \xF0\x9F\x98\x80\"}"));
    EXPECT_EQ(
        writeJson(QJsonValue(QStringLiteral("/path/x")), {.prettyPrinted = false, .withoutEscapingSlashes = true}),
        QByteArray("\"/path/x\""));

    const QJsonObject nested{{QStringLiteral("list"), QJsonArray{QJsonObject{{QStringLiteral("k"), 1}}, 2}},
        {QStringLiteral("empty"), QJsonObject()}};
    EXPECT_EQ(writeJson(nested, {.prettyPrinted = true}),
        QByteArray("{\n"
                   "  \"empty\" : {\n"
                   "\n"
                   "  },\n"
                   "  \"list\" : [\n"
                   "    {\n"
                   "      \"k\" : 1\n"
                   "    },\n"
                   "    2\n"
                   "  ]\n"
                   "}"));

    // What is written reads back as the same value.
    EXPECT_EQ(QJsonDocument::fromJson(writeJson(object, {.prettyPrinted = true})).object(), object);
}
