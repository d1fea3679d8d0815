// Test label: unit
#include "policy-sign/PolicySigning.h"
#include "support/TimeLimits.h"
#include "update/policy/MinimumVersionConfiguration.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/VerifiedMinimumVersionPolicy.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;

namespace {

const QString tool = QStringLiteral(VEYRA_BINARY_DIR "/tools/policy-sign/policy-sign");

struct ToolRun
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(veyra::test::scaledMs(30000)) || process.exitStatus() != QProcess::NormalExit) {
        ADD_FAILURE() << "policy-sign did not finish: " << process.errorString().toStdString();
        return {};
    }
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(contents), contents.size());
}

} // namespace

TEST(PolicySignTest, TheToolMakesAKeyAndSignaturesTheAppVerifies)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString secret = folder.filePath(QStringLiteral("policy.key"));
    const QString policy = folder.filePath(QStringLiteral("minimum-version.json"));
    const QString signature = folder.filePath(QStringLiteral("minimum-version.json.sig"));

    const ToolRun generated = runTool({QStringLiteral("generate-key"), secret});
    ASSERT_EQ(generated.exitCode, 0) << generated.errors.constData();
    // Readable and writable by its owner, by nobody else.
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_EQ(QFile::permissions(secret) & (others | QFileDevice::ReadOwner | QFileDevice::WriteOwner),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray publicKeyText = generated.output.trimmed();
    ASSERT_EQ(publicKeyText.size(), 44);
    EXPECT_EQ(runTool({QStringLiteral("public-key"), secret}).output.trimmed(), publicKeyText);

    // The key is exactly what the bundle configures.
    const MinimumVersionConfiguration configuration = MinimumVersionConfiguration::fromInfoDictionary(
        {{QStringLiteral("MinimumVersionPolicyURL"), QStringLiteral("https://veyra.app/minimum-version.json")},
            {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(publicKeyText)}});

    const QByteArray document
        = R"({"schema_version":1,"policy_revision":2,"minimum_supported_build":"130","minimum_supported_version":"1.3"})"
          "\n";
    writeFile(policy, document);
    const ToolRun signedToFile = runTool({QStringLiteral("sign"), secret, policy, signature});
    ASSERT_EQ(signedToFile.exitCode, 0) << signedToFile.errors.constData();
    const QByteArray signatureFileText = readFile(signature);
    EXPECT_TRUE(signatureFileText.endsWith("==\n"));
    EXPECT_EQ(runTool({QStringLiteral("sign"), secret, policy}).output, signatureFileText);

    const VerifiedMinimumVersionPolicy verified
        = VerifiedMinimumVersionPolicy::verify(document, signatureFileText, configuration.publicKey);
    EXPECT_EQ(verified.policy.minimumSupportedBuild, QStringLiteral("130"));
    EXPECT_THROW(VerifiedMinimumVersionPolicy::verify(document.trimmed(), signatureFileText, configuration.publicKey),
        MinimumVersionPolicyError);

    // The library signs the same way (Ed25519 is deterministic).
    const PolicySigningKey key = PolicySigningKey::fromSecretKeyFile(readFile(secret));
    EXPECT_EQ(key.publicKeyBase64(), publicKeyText);
    EXPECT_EQ(signatureFile(key.sign(document)), signatureFileText);

    // An existing key is never replaced; bad use and bad keys fail.
    const QByteArray secretBefore = readFile(secret);
    EXPECT_EQ(runTool({QStringLiteral("generate-key"), secret}).exitCode, 1);
    EXPECT_EQ(readFile(secret), secretBefore);
    EXPECT_EQ(runTool({QStringLiteral("sign"), secret}).exitCode, 2);
    EXPECT_EQ(runTool({}).exitCode, 2);
    writeFile(folder.filePath(QStringLiteral("short.key")), QByteArray(31, 'k').toBase64());
    EXPECT_EQ(runTool({QStringLiteral("sign"), folder.filePath(QStringLiteral("short.key")), policy}).exitCode, 1);
    EXPECT_THROW(PolicySigningKey::fromSeed(QByteArray(33, 'k')), PolicySigningError);
}
