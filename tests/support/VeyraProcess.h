#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <memory>

namespace veyra::test {

class XvfbSession;

// The veyra executable of this build, started as a separate process on a test X server
// the way a desktop starts it, with what a product test gives it: folders of its own,
// replaced information-dictionary values (the loopback servers), programs first on PATH
// (a stand-in browser) and the test's session bus when there is one (the keyring tests'
// private bus), else none. Its output is kept for the test to show.
class VeyraProcess
{
public:
    struct Options
    {
        QStringList arguments;
        // Holds its XDG_CONFIG_HOME, XDG_DATA_HOME, XDG_CACHE_HOME, XDG_STATE_HOME and
        // XDG_RUNTIME_DIR ("config", "data", "cache", "state", "runtime"): two processes of
        // one home folder are one user's two starts of Veyra, on one display or on two.
        QString homeFolder;
        // Written to a file that VEYRA_INFO_OVERRIDE_FILE names; nothing when empty.
        QJsonObject infoOverrides;
        // Searched before PATH.
        QString pathPrefix;
        // More variables of its environment.
        QProcessEnvironment extraEnvironment;
    };

    // The data folder of a home folder (its XDG_DATA_HOME).
    static QString dataFolder(const QString &homeFolder);

    VeyraProcess(const XvfbSession &session, Options options);
    // Ends it like quit(), or kills it.
    ~VeyraProcess();

    VeyraProcess(const VeyraProcess &) = delete;
    VeyraProcess &operator=(const VeyraProcess &) = delete;

    bool isRunning() const;
    QString errorString() const { return m_error; }
    qint64 processID() const;

    // Asks it to quit as a desktop session does (SIGTERM) and waits (a scaled limit) until
    // it has exited.
    // True when it exited normally with status 0 (a sanitizer report makes it fail).
    bool quit(int timeoutMs = 60000);
    // Waits until it exits by itself (the limit is scaled as every wait of the tests).
    // True when it did, normally and with status 0.
    bool waitForExit(int timeoutMs = 60000);
    int exitCode() const;
    // Ends it as a crash does (SIGKILL), leaving behind whatever it left, and waits.
    void crash();

    // Everything it wrote to stdout and stderr so far.
    QString output();

private:
    std::unique_ptr<QProcess> m_process;
    QString m_overrideFile;
    QByteArray m_output;
    QString m_error;
};

} // namespace veyra::test
