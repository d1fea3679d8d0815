// Test label: unit
#include "update/policy/MinimumVersionPolicyAcceptance.h"
#include "foundation/settings/UserDefaults.h"
#include "support/MinimumVersionPolicyScript.h"
#include "update/policy/InMemoryMinimumVersionPolicyStore.h"
#include "update/policy/MinimumVersionPolicyError.h"
#include "update/policy/UserDefaultsMinimumVersionPolicyStore.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace veyra;
using namespace veyra::test;
using Kind = MinimumVersionPolicyError::Kind;

namespace {

// Counts its saves, so that a re-save of the same record shows.
class CountingPolicyStore : public InMemoryMinimumVersionPolicyStore
{
public:
    void save(const AcceptedMinimumVersionPolicy &policy) override
    {
        ++saves;
        InMemoryMinimumVersionPolicyStore::save(policy);
    }
    int saves = 0;
};

VerifiedMinimumVersionPolicy verified(qint64 revision, const QString &build)
{
    const QByteArray document = policyDocument(revision, build);
    return VerifiedMinimumVersionPolicy::verify(
        document, testSignatureFile(document), testPolicySigningKey().publicKey);
}

std::optional<Kind> acceptanceError(const VerifiedMinimumVersionPolicy &policy, MinimumVersionPolicyStoring &store)
{
    try {
        acceptMinimumVersionPolicy(policy, store);
    } catch (const MinimumVersionPolicyError &error) {
        return error.kind();
    }
    return std::nullopt;
}

} // namespace

TEST(MinimumVersionPolicyAcceptanceTest, RevisionsOnlyMoveForward)
{
    CountingPolicyStore store;
    const VerifiedMinimumVersionPolicy five = verified(5, QStringLiteral("120"));

    // No record: any revision is accepted and saved.
    EXPECT_EQ(acceptanceError(five, store), std::nullopt);
    EXPECT_EQ(store.acceptedPolicy, (AcceptedMinimumVersionPolicy{5, five.digest}));
    EXPECT_EQ(store.saves, 1);

    // The same file served again is accepted and saved again.
    EXPECT_EQ(acceptanceError(verified(5, QStringLiteral("120")), store), std::nullopt);
    EXPECT_EQ(store.saves, 2);
    EXPECT_EQ(store.acceptedPolicy, (AcceptedMinimumVersionPolicy{5, five.digest}));

    // The same revision with other bytes, and a lower revision, change nothing.
    EXPECT_EQ(acceptanceError(verified(5, QStringLiteral("121")), store), Kind::conflictingRevision);
    EXPECT_EQ(acceptanceError(verified(4, QStringLiteral("120")), store), Kind::rolledBackRevision);
    EXPECT_EQ(acceptanceError(verified(1, QStringLiteral("1")), store), Kind::rolledBackRevision);
    EXPECT_EQ(store.saves, 2);
    EXPECT_EQ(store.acceptedPolicy, (AcceptedMinimumVersionPolicy{5, five.digest}));

    // A higher revision replaces the record, whatever its build.
    const VerifiedMinimumVersionPolicy six = verified(6, QStringLiteral("100"));
    EXPECT_EQ(acceptanceError(six, store), std::nullopt);
    EXPECT_EQ(store.acceptedPolicy, (AcceptedMinimumVersionPolicy{6, six.digest}));
}

TEST(MinimumVersionPolicyAcceptanceTest, TheUserDefaultsRecordIsJSONBytesThatSurviveARestart)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("defaults.json"));
    const VerifiedMinimumVersionPolicy policy = verified(4611686018427387905LL, QStringLiteral("120"));
    {
        UserDefaults defaults(path);
        UserDefaultsMinimumVersionPolicyStore store(defaults);
        EXPECT_EQ(store.load(), std::nullopt);
        EXPECT_EQ(acceptanceError(policy, store), std::nullopt);
        const std::optional<QByteArray> data = defaults.data(UserDefaultsMinimumVersionPolicyStore::key);
        ASSERT_TRUE(data);
        const QJsonObject record = QJsonDocument::fromJson(*data).object();
        EXPECT_EQ(record.size(), 2);
        EXPECT_EQ(record.value(QStringLiteral("digest")).toString(), policy.digest);
        EXPECT_EQ(record.value(QStringLiteral("revision")).toVariant().toLongLong(), 4611686018427387905LL);
        EXPECT_FALSE(data->contains('\n'));
    }
    UserDefaults reopened(path);
    UserDefaultsMinimumVersionPolicyStore store(reopened);
    EXPECT_EQ(store.load(), (AcceptedMinimumVersionPolicy{4611686018427387905LL, policy.digest}));
    EXPECT_EQ(acceptanceError(verified(3, QStringLiteral("1")), store), Kind::rolledBackRevision);

    // Key order does not matter; a damaged record loads as nothing and stays until the next
    // accepted policy replaces it.
    const QString key = UserDefaultsMinimumVersionPolicyStore::key;
    reopened.setValue(key, QByteArray(R"({"revision":2,"digest":"ab"})"));
    EXPECT_EQ(store.load(), (AcceptedMinimumVersionPolicy{2, QStringLiteral("ab")}));
    for (const QVariant &damaged : {QVariant(QStringLiteral(R"({"digest":"ab","revision":2})")),
             QVariant(QByteArray("not json")), QVariant(QByteArray(R"({"digest":"ab","revision":"2"})")),
             QVariant(QByteArray(R"({"revision":2})")), QVariant(7)}) {
        reopened.setValue(key, damaged);
        EXPECT_EQ(store.load(), std::nullopt) << damaged.toString().toStdString();
        EXPECT_EQ(reopened.object(key), damaged);
    }
    EXPECT_EQ(acceptanceError(verified(1, QStringLiteral("1")), store), std::nullopt);
    EXPECT_EQ(store.load()->revision, 1);
}
