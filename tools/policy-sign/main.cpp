// policy-sign: makes the key pair of the minimum-version policy and signs policy files.
//
//   policy-sign generate-key <secret-key-file>
//       Writes a new secret key (readable by its owner only; an existing file is never
//       replaced) and prints the public key for "SUPublicEDKey".
//   policy-sign public-key <secret-key-file>
//       Prints the public key of a secret key.
//   policy-sign sign <secret-key-file> <policy-file> [<signature-file>]
//       Signs the policy file's bytes exactly as they are and writes the signature file
//       (Base64 and a line feed) to <signature-file>, or to standard output.
#include "policy-sign/PolicySigning.h"

#include <QFile>
#include <QStringList>

#include <cstdio>

using veyra::PolicySigningError;
using veyra::PolicySigningKey;

namespace {

class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw PolicySigningError(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()).toStdString());
    }
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &contents, bool secret)
{
    QFile file(path);
    const bool opened = secret
        ? file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)
        : file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!opened || file.write(contents) != contents.size() || !file.flush()) {
        throw PolicySigningError(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()).toStdString());
    }
}

void writeOutput(const QByteArray &contents)
{
    std::fwrite(contents.constData(), 1, static_cast<size_t>(contents.size()), stdout);
}

int run(const QStringList &arguments)
{
    const QString command = arguments.value(0);
    if (command == QLatin1String("generate-key") && arguments.size() == 2) {
        const PolicySigningKey key = PolicySigningKey::generate();
        writeFile(arguments[1], key.secretKeyFile(), true);
        writeOutput(key.publicKeyBase64() + '\n');
        return 0;
    }
    if (command == QLatin1String("public-key") && arguments.size() == 2) {
        writeOutput(PolicySigningKey::fromSecretKeyFile(readFile(arguments[1])).publicKeyBase64() + '\n');
        return 0;
    }
    if (command == QLatin1String("sign") && (arguments.size() == 3 || arguments.size() == 4)) {
        const PolicySigningKey key = PolicySigningKey::fromSecretKeyFile(readFile(arguments[1]));
        const QByteArray signature = veyra::signatureFile(key.sign(readFile(arguments[2])));
        if (arguments.size() == 4) {
            writeFile(arguments[3], signature, false);
        } else {
            writeOutput(signature);
        }
        return 0;
    }
    throw UsageError("usage:\n"
                     "  policy-sign generate-key <secret-key-file>\n"
                     "  policy-sign public-key <secret-key-file>\n"
                     "  policy-sign sign <secret-key-file> <policy-file> [<signature-file>]");
}

} // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    try {
        return run(arguments);
    } catch (const UsageError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 2;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "policy-sign: %s\n", error.what());
        return 1;
    }
}
