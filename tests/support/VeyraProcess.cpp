#include "support/VeyraProcess.h"

#include "foundation/identity/AppIdentity.h"
#include "support/TestPaths.h"
#include "support/TimeLimits.h"
#include "support/XvfbSession.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <csignal>

namespace veyra::test {

QString VeyraProcess::dataFolder(const QString &homeFolder)
{
    return homeFolder + QStringLiteral("/data");
}

VeyraProcess::VeyraProcess(const XvfbSession &session, Options options)
    : m_process(std::make_unique<QProcess>())
{
    QProcessEnvironment environment = session.environment();
    // The keyring tests run inside a private session bus with the Secret Service.
    if (const QString bus = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"); !bus.isEmpty()) {
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
    }
    for (const auto &[variable, folder] : {std::pair{"XDG_CONFIG_HOME", "config"}, std::pair{"XDG_DATA_HOME", "data"},
             std::pair{"XDG_CACHE_HOME", "cache"}, std::pair{"XDG_STATE_HOME", "state"},
             std::pair{"XDG_RUNTIME_DIR", "runtime"}}) {
        const QString path = options.homeFolder + QLatin1Char('/') + QLatin1String(folder);
        QDir().mkpath(path);
        environment.insert(QLatin1String(variable), path);
    }
    // A runtime folder belongs to its user alone.
    QFile::setPermissions(options.homeFolder + QStringLiteral("/runtime"),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!options.infoOverrides.isEmpty()) {
        m_overrideFile = options.homeFolder + QStringLiteral("/info-overrides.json");
        QFile file(m_overrideFile);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || file.write(QJsonDocument(options.infoOverrides).toJson()) < 0) {
            m_error = QStringLiteral("cannot write %1").arg(m_overrideFile);
            return;
        }
        environment.insert(QString::fromLatin1(infoOverrideFileVariable), m_overrideFile);
    }
    if (!options.pathPrefix.isEmpty()) {
        environment.insert(
            QStringLiteral("PATH"), options.pathPrefix + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
    }
    for (const QString &variable : options.extraEnvironment.keys()) {
        environment.insert(variable, options.extraEnvironment.value(variable));
    }
    m_process->setProcessEnvironment(environment);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(
        m_process.get(), &QProcess::readyRead, m_process.get(), [this] { m_output += m_process->readAll(); });
    m_process->start(veyraExecutablePath(), options.arguments);
    if (!m_process->waitForStarted(scaledMs(30000))) {
        m_error = QStringLiteral("veyra did not start: %1").arg(m_process->errorString());
    }
}

VeyraProcess::~VeyraProcess()
{
    if (isRunning() && !quit()) {
        m_process->kill();
        m_process->waitForFinished(scaledMs(10000));
    }
}

bool VeyraProcess::isRunning() const
{
    return m_process->state() == QProcess::Running;
}

qint64 VeyraProcess::processID() const
{
    return m_process->processId();
}

bool VeyraProcess::quit(int timeoutMs)
{
    if (isRunning()) {
        ::kill(static_cast<pid_t>(m_process->processId()), SIGTERM);
        if (!m_process->waitForFinished(scaledMs(timeoutMs))) {
            m_error = QStringLiteral("veyra did not quit within %1 ms").arg(timeoutMs);
            return false;
        }
    }
    m_output += m_process->readAll();
    return m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

bool VeyraProcess::waitForExit(int timeoutMs)
{
    if (isRunning() && !m_process->waitForFinished(scaledMs(timeoutMs))) {
        m_error = QStringLiteral("veyra did not exit within %1 ms").arg(timeoutMs);
        return false;
    }
    m_output += m_process->readAll();
    return m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
}

int VeyraProcess::exitCode() const
{
    return m_process->exitCode();
}

void VeyraProcess::crash()
{
    m_process->kill();
    m_process->waitForFinished(scaledMs(30000));
    m_output += m_process->readAll();
}

QString VeyraProcess::output()
{
    m_output += m_process->readAll();
    return QString::fromUtf8(m_output);
}

} // namespace veyra::test
