// Test label: unit
#include "support/MinimumVersionPolicyScript.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/PolicyDigest.h"
#include "update/policy/VerifiedMinimumVersionPolicy.h"

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using Kind = MinimumVersionPolicyError::Kind;

namespace {

const QByteArray publicKey = testPolicySigningKey().publicKey;

// The error a verification ends with, or nothing when it succeeds.
std::optional<Kind> verificationError(
    const QByteArray &document, const QByteArray &signature, const QByteArray &key = publicKey)
{
    try {
        VerifiedMinimumVersionPolicy::verify(document, signature, key);
    } catch (const MinimumVersionPolicyError &error) {
        return error.kind();
    }
    return std::nullopt;
}

// The error of a document signed correctly.
std::optional<Kind> signedDocumentError(const QByteArray &document)
{
    return verificationError(document, testSignatureFile(document));
}

QByteArray base64(const QByteArray &bytes)
{
    return bytes.toBase64();
}

} // namespace

TEST(MinimumVersionPolicyVerificationTest, AGoodSignatureGivesThePolicyAndTheDigestOfTheBytes)
{
    const QByteArray document
        = R"({"schema_version":1,"policy_revision":3,"minimum_supported_build":"120","minimum_supported_version":"1.2.0","note":"x"})";
    const QByteArray signature = signatureFile(testPolicySigningKey().sign(document));
    ASSERT_TRUE(signature.endsWith("==\n"));
    ASSERT_EQ(signature.size(), 89);

    const VerifiedMinimumVersionPolicy verified = VerifiedMinimumVersionPolicy::verify(document, signature, publicKey);
    EXPECT_EQ(verified.policy, (MinimumVersionPolicy{1, 3, QStringLiteral("120"), QStringLiteral("1.2.0")}));
    EXPECT_EQ(verified.digest, sha256HexDigest(document));

    // Whitespace and line ends around the Base64 text are ignored.
    const QByteArray bare = signature.trimmed();
    for (const QByteArray &spaced : {bare, " \t" + bare + "\r\n", "\n" + bare + "  "}) {
        EXPECT_EQ(verificationError(document, spaced), std::nullopt) << spaced.constData();
    }

    // The digest: SHA-256, 64 lowercase hexadecimal digits.
    EXPECT_EQ(
        sha256HexDigest("abc"), QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
    EXPECT_EQ(sha256HexDigest({}), QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
}

TEST(MinimumVersionPolicyVerificationTest, TamperedBytesWrongKeysAndMalformedSignaturesAreInvalidSignatures)
{
    const QByteArray document = policyDocument(2, QStringLiteral("120"));
    const QByteArray signatureBytes = testPolicySigningKey().sign(document);
    const QByteArray signature = signatureFile(signatureBytes);
    ASSERT_EQ(verificationError(document, signature), std::nullopt);

    // Any change to the signed bytes, a trailing newline included.
    QByteArray flipped = document;
    flipped[10] = static_cast<char>(flipped[10] ^ 0x01);
    EXPECT_EQ(verificationError(document + "\n", signature), Kind::invalidSignature);
    EXPECT_EQ(verificationError(flipped, signature), Kind::invalidSignature);
    QByteArray flippedSignature = signatureBytes;
    flippedSignature[0] = static_cast<char>(flippedSignature[0] ^ 0x01);
    EXPECT_EQ(verificationError(document, base64(flippedSignature)), Kind::invalidSignature);

    // Another key, and keys of the wrong length.
    const PolicySigningKey other = PolicySigningKey::fromSeed(QByteArray(32, '\x07'));
    EXPECT_EQ(verificationError(document, signature, other.publicKey), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, signatureFile(other.sign(document))), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, signature, publicKey.left(31)), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, signature, publicKey + '\0'), Kind::invalidSignature);

    // Signatures of the wrong length.
    EXPECT_EQ(verificationError(document, base64(signatureBytes.left(63))), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, base64(signatureBytes + 'x')), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, {}), Kind::invalidSignature);

    // Base64 that is not exactly the padded standard form.
    const QByteArray text = signature.trimmed();
    EXPECT_EQ(verificationError(document, text.left(40) + "\n" + text.mid(40)), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, text.left(40) + " " + text.mid(40)), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, text.chopped(2)), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, text + "="), Kind::invalidSignature);
    QByteArray otherAlphabet = text;
    otherAlphabet[0] = '-';
    EXPECT_EQ(verificationError(document, otherAlphabet), Kind::invalidSignature);
    EXPECT_EQ(verificationError(document, "\xef\xbb\xbf" + text), Kind::invalidSignature);
    // Not UTF-8.
    EXPECT_EQ(verificationError(document, text + "\xff"), Kind::invalidSignature);
}

TEST(MinimumVersionPolicyVerificationTest, TheSignatureIsCheckedBeforeTheJSON)
{
    const QByteArray notJSON = "minimum build 120";
    EXPECT_EQ(verificationError(notJSON, testSignatureFile("something else")), Kind::invalidSignature);
    EXPECT_EQ(signedDocumentError(notJSON), Kind::invalidJSON);

    // Documents that are signed but do not decode.
    for (const QByteArray &document :
        {
            QByteArray(R"([1, 2])"),
            QByteArray(R"({"schema_version":1,"policy_revision":1,"minimum_supported_build":"1"})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":"1","minimum_supported_build":"1","minimum_supported_version":"1"})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":1.5,"minimum_supported_build":"1","minimum_supported_version":"1"})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":9223372036854775808,"minimum_supported_build":"1","minimum_supported_version":"1"})"),
            QByteArray(
                R"({"schema_version":null,"policy_revision":1,"minimum_supported_build":"1","minimum_supported_version":"1"})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":1,"minimum_supported_build":120,"minimum_supported_version":"1"})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":1,"minimum_supported_build":"1","minimum_supported_version":null})"),
            QByteArray(
                R"({"schema_version":1,"policy_revision":1,"minimum_supported_build":"1","minimum_supported_version":"1"} x)"),
        }) {
        EXPECT_EQ(signedDocumentError(document), Kind::invalidJSON) << document.constData();
    }
    // The largest revision still decodes.
    EXPECT_EQ(signedDocumentError(policyDocument(9223372036854775807LL, QStringLiteral("1"))), std::nullopt);
}

TEST(MinimumVersionPolicyVerificationTest, SchemaRevisionBuildAndVersionRules)
{
    const auto document = [](qint64 schema, qint64 revision, const QString &build, const QString &version) {
        const QJsonObject object{
            {QStringLiteral("schema_version"), schema},
            {QStringLiteral("policy_revision"), revision},
            {QStringLiteral("minimum_supported_build"), build},
            {QStringLiteral("minimum_supported_version"), version},
        };
        return QJsonDocument(object).toJson();
    };
    const QString v = QStringLiteral("1.0");

    // The schema is tested first.
    EXPECT_EQ(signedDocumentError(document(2, 0, QStringLiteral("x"), {})), Kind::unsupportedSchema);
    EXPECT_EQ(signedDocumentError(document(0, 1, QStringLiteral("1"), v)), Kind::unsupportedSchema);
    EXPECT_EQ(signedDocumentError(document(1, 0, QStringLiteral("1"), v)), Kind::invalidPolicy);
    EXPECT_EQ(signedDocumentError(document(1, -4, QStringLiteral("1"), v)), Kind::invalidPolicy);

    for (const QString &build : {QString(), QStringLiteral("  \t"), QStringLiteral("12a"), QStringLiteral("1.2-3"),
             QStringLiteral("1 2"), QStringLiteral("v120")}) {
        EXPECT_EQ(signedDocumentError(document(1, 1, build, v)), Kind::invalidPolicy) << build.toStdString();
    }
    for (const QString &build :
        {QStringLiteral("120"), QStringLiteral("1.2.3"), QStringLiteral("."), QStringLiteral("1..2."),
            QStringLiteral("\u0661\u0662\u0660"), QStringLiteral("\u00bd"), QStringLiteral("\u2460")}) {
        EXPECT_EQ(signedDocumentError(document(1, 1, build, v)), std::nullopt) << build.toStdString();
    }
    EXPECT_EQ(signedDocumentError(document(1, 1, QStringLiteral("1"), QStringLiteral(" \n"))), Kind::invalidPolicy);
    EXPECT_EQ(signedDocumentError(document(1, 1, QStringLiteral("1"), QStringLiteral("Spring"))), std::nullopt);

    // Validation looks at trimmed copies; the decoded fields keep their blanks.
    const QByteArray spaced = document(1, 7, QStringLiteral(" 120\n"), QStringLiteral(" 1.2 "));
    const VerifiedMinimumVersionPolicy verified
        = VerifiedMinimumVersionPolicy::verify(spaced, testSignatureFile(spaced), publicKey);
    EXPECT_EQ(verified.policy.minimumSupportedBuild, QStringLiteral(" 120\n"));
    EXPECT_EQ(verified.policy.minimumSupportedVersion, QStringLiteral(" 1.2 "));
    EXPECT_EQ(verified.policy.policyRevision, 7);
}
