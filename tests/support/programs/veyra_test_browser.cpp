// A stand-in for the user's web browser. The product tests put it first on PATH under the
// name of the desktop's URL opener ("xdg-open", which Qt runs to open a web page on a
// desktop without a desktop environment), so that the application's own call opens the
// sign-in page here: it loads the URL it is given and follows every redirect, as a
// browser does (each a real HTTP request), down to the page the last one leads to.
//
//   veyra_test_browser URL
//
// Each visit is appended to the file named by VEYRA_TEST_BROWSER_LOG, one line each:
//   opened <url>
//   loaded <HTTP status> <final url>     or     failed <error text>
// It exits with 0 once the last page is loaded, 1 otherwise.
#include <QCoreApplication>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

void record(const QString &line)
{
    const QString path = qEnvironmentVariable("VEYRA_TEST_BROWSER_LOG");
    if (path.isEmpty()) {
        return;
    }
    QFile log(path);
    if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
        log.write(line.toUtf8() + '\n');
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        record(QStringLiteral("failed usage: %1 URL").arg(arguments.value(0)));
        return 1;
    }
    const QUrl url = QUrl::fromEncoded(arguments[1].toUtf8(), QUrl::StrictMode);
    record(QStringLiteral("opened ") + url.toString(QUrl::FullyEncoded));

    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(30000);
    QNetworkReply *reply = network.get(request);
    int exitCode = 1;
    QObject::connect(reply, &QNetworkReply::finished, &application, [reply, &exitCode] {
        if (reply->error() == QNetworkReply::NoError) {
            record(QStringLiteral("loaded %1 %2")
                       .arg(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt())
                       .arg(reply->url().toString(QUrl::FullyEncoded)));
            exitCode = 0;
        } else {
            record(QStringLiteral("failed ") + reply->errorString());
        }
        reply->deleteLater();
        QCoreApplication::quit();
    });
    QCoreApplication::exec();
    return exitCode;
}
