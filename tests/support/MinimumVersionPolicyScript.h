#pragma once

#include "foundation/identity/AppIdentity.h"
#include "policy-sign/PolicySigning.h"
#include "support/ServiceStandIn.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace veyra::test {

// Where the stand-in publishes the minimum-version policy and its signature file.
inline const QString minimumVersionPolicyPath = QStringLiteral("/releases/minimum-version.json");
inline const QString minimumVersionSignaturePath = minimumVersionPolicyPath + QStringLiteral(".sig");

// The key the tests sign with; a fixed seed, so that a failure reproduces.
inline PolicySigningKey testPolicySigningKey()
{
    return PolicySigningKey::fromSeed(QByteArray(32, '\x2a'));
}

// A policy document as an operator publishes it (compact JSON, members sorted).
inline QByteArray policyDocument(
    qint64 revision, const QString &build, const QString &version = QStringLiteral("1.0.0"))
{
    const QJsonObject object{
        {QStringLiteral("schema_version"), 1},
        {QStringLiteral("policy_revision"), revision},
        {QStringLiteral("minimum_supported_build"), build},
        {QStringLiteral("minimum_supported_version"), version},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The signature file of a document under the test key.
inline QByteArray testSignatureFile(const QByteArray &document)
{
    return signatureFile(testPolicySigningKey().sign(document));
}

// The bundle configuration of a policy published by the stand-in under the test key.
inline InfoDictionary policyInfoDictionary(const ServiceStandIn &standIn)
{
    return {
        {QStringLiteral("MinimumVersionPolicyURL"), standIn.url(minimumVersionPolicyPath).toString()},
        {QStringLiteral("SUPublicEDKey"), QString::fromLatin1(testPolicySigningKey().publicKeyBase64())},
    };
}

// Queues one answer for each of the two files.
inline void enqueuePolicy(ServiceStandIn &standIn, ScriptedResponse policy, ScriptedResponse signature)
{
    standIn.enqueueResponse("GET", minimumVersionPolicyPath, std::move(policy));
    standIn.enqueueResponse("GET", minimumVersionSignaturePath, std::move(signature));
}

// Queues a document and its signature file, both answered 200.
inline void enqueueSignedPolicy(ServiceStandIn &standIn, const QByteArray &document)
{
    enqueuePolicy(standIn, ScriptedResponse::raw(200, document),
        ScriptedResponse::raw(200, testSignatureFile(document), "text/plain"));
}

} // namespace veyra::test
