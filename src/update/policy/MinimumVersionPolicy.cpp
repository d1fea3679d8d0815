#include "update/policy/MinimumVersionPolicy.h"

#include "foundation/json/JsonDecoding.h"
#include "update/policy/MinimumVersionPolicyError.h"

#include <QTextBoundaryFinder>

namespace veyra {

namespace {

// True when every grapheme cluster is "." or begins with a character of a numeric
// category (decimal digits of any script, letter numbers, other numbers such as circled
// digits and vulgar fractions).
bool isNumericBuild(const QString &build)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, build);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView cluster = QStringView(build).sliced(start, end - start);
        if (cluster != u"." && !QChar::isNumber(cluster.toUcs4().constFirst())) {
            return false;
        }
        start = end;
    }
    return true;
}

} // namespace

MinimumVersionPolicy MinimumVersionPolicy::fromJson(const QByteArray &json)
{
    try {
        const QJsonObject object = decodeJsonObject(json);
        return {
            requireInt64(object, QStringLiteral("schema_version")),
            requireInt64(object, QStringLiteral("policy_revision")),
            requireString(object, QStringLiteral("minimum_supported_build")),
            requireString(object, QStringLiteral("minimum_supported_version")),
        };
    } catch (const DecodingError &) {
        throw MinimumVersionPolicyError(MinimumVersionPolicyError::Kind::invalidJSON);
    }
}

void MinimumVersionPolicy::validate() const
{
    using Kind = MinimumVersionPolicyError::Kind;
    if (schemaVersion != 1) {
        throw MinimumVersionPolicyError(Kind::unsupportedSchema);
    }
    const QString build = minimumSupportedBuild.trimmed();
    if (policyRevision < 1 || build.isEmpty() || minimumSupportedVersion.trimmed().isEmpty()
        || !isNumericBuild(build)) {
        throw MinimumVersionPolicyError(Kind::invalidPolicy);
    }
}

} // namespace veyra
