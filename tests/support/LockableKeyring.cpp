#include "support/LockableKeyring.h"

#include "support/TimeLimits.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QUuid>

namespace {

const QString serviceName = QStringLiteral("org.freedesktop.secrets");
const QString servicePath = QStringLiteral("/org/freedesktop/secrets");
const QString serviceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QString toolInterface = QStringLiteral("org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface");

// A secret as the Secret Service carries it: (session, parameters, value, content type).
struct TransferredSecret
{
    QDBusObjectPath session;
    QByteArray parameters;
    QByteArray value;
    QString contentType;
};

QDBusArgument &operator<<(QDBusArgument &argument, const TransferredSecret &secret)
{
    argument.beginStructure();
    argument << secret.session << secret.parameters << secret.value << secret.contentType;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, TransferredSecret &secret)
{
    argument.beginStructure();
    argument >> secret.session >> secret.parameters >> secret.value >> secret.contentType;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(TransferredSecret)

namespace veyra::test {

namespace {

const QByteArray collectionPassword = "veyra-test-collection";

QVariant password(const QDBusObjectPath &session)
{
    return QVariant::fromValue(TransferredSecret{session, {}, collectionPassword, QStringLiteral("text/plain")});
}

} // namespace

LockableKeyring::LockableKeyring()
{
    qDBusRegisterMetaType<TransferredSecret>();
    QVariantList answer;
    // Secrets travel in the clear over the private test bus.
    if (!call(serviceInterface, servicePath, QStringLiteral("OpenSession"),
            {QStringLiteral("plain"), QVariant::fromValue(QDBusVariant(QString()))}, &answer)
        || answer.size() < 2) {
        return;
    }
    m_session = answer.at(1).value<QDBusObjectPath>();
    const QVariantMap properties{{QStringLiteral("org.freedesktop.Secret.Collection.Label"),
        QStringLiteral("Veyra test %1").arg(QUuid::createUuid().toString(QUuid::WithoutBraces))}};
    if (!call(toolInterface, servicePath, QStringLiteral("CreateWithMasterPassword"), {properties, password(m_session)},
            &answer)
        || answer.isEmpty()) {
        return;
    }
    m_collection = answer.at(0).value<QDBusObjectPath>();
    if (!call(serviceInterface, servicePath, QStringLiteral("ReadAlias"), {QStringLiteral("default")}, &answer)
        || answer.isEmpty()) {
        return;
    }
    m_previousDefault = answer.at(0).value<QDBusObjectPath>();
    m_valid = call(serviceInterface, servicePath, QStringLiteral("SetAlias"),
        {QStringLiteral("default"), QVariant::fromValue(m_collection)});
}

LockableKeyring::~LockableKeyring()
{
    if (!m_previousDefault.path().isEmpty()) {
        call(serviceInterface, servicePath, QStringLiteral("SetAlias"),
            {QStringLiteral("default"), QVariant::fromValue(m_previousDefault)});
    }
    if (!m_collection.path().isEmpty()) {
        unlock();
        call(QStringLiteral("org.freedesktop.Secret.Collection"), m_collection.path(), QStringLiteral("Delete"), {});
    }
}

bool LockableKeyring::lock()
{
    return call(serviceInterface, servicePath, QStringLiteral("Lock"),
        {QVariant::fromValue(QList<QDBusObjectPath>{m_collection})});
}

bool LockableKeyring::unlock()
{
    return call(toolInterface, servicePath, QStringLiteral("UnlockWithMasterPassword"),
        {QVariant::fromValue(m_collection), password(m_session)});
}

bool LockableKeyring::call(const QString &interface, const QString &path, const QString &method,
    const QVariantList &arguments, QVariantList *answer)
{
    QDBusMessage message = QDBusMessage::createMethodCall(serviceName, path, interface, method);
    message.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(message, QDBus::Block, scaledMs(30000));
    if (reply.type() != QDBusMessage::ReplyMessage) {
        m_error = QStringLiteral("%1.%2: %3").arg(interface, method, reply.errorMessage());
        return false;
    }
    if (answer) {
        *answer = reply.arguments();
    }
    return true;
}

} // namespace veyra::test
