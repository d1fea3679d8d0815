#include "translation/reports/HTTPTranslationErrorReporter.h"

#include "translation/http/QtNetworkHTTPTransport.h"
#include "translation/reports/TranslationErrorReportClientError.h"

#include <algorithm>

namespace veyra {

HTTPTranslationErrorReporter::HTTPTranslationErrorReporter(ServerConfiguration configuration,
    std::shared_ptr<QNetworkAccessManager> session, std::shared_ptr<HTTPTransport> transport)
    : m_configuration(std::move(configuration))
    , m_transport(chooseHTTPTransport(std::move(transport), std::move(session)))
    , m_logger("TranslationErrorReport")
{ }

QString HTTPTranslationErrorReporter::makeBoundary()
{
    return QStringLiteral("Obrisk-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool HTTPTranslationErrorReporter::isSafeHeaderText(const QString &text)
{
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t unit = c.unicode();
        return unit < 0x20 || unit == 0x7f || unit == u'"';
    });
}

QByteArray HTTPTranslationErrorReporter::multipartBody(
    const QString &boundary, const TranslationReportScreenshot &screenshot)
{
    const QByteArray delimiter = "--" + boundary.toUtf8();
    QByteArray body;
    body.reserve(screenshot.data.size() + 256);
    body += delimiter + "\r\n";
    body
        += "Content-Disposition: form-data; name=\"screenshot\"; filename=\"" + screenshot.fileName.toUtf8() + "\"\r\n";
    body += "Content-Type: " + screenshot.mediaType.toUtf8() + "\r\n\r\n";
    body += screenshot.data;
    body += "\r\n" + delimiter + "--\r\n";
    return body;
}

QCoro::Task<void> HTTPTranslationErrorReporter::report(
    QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token)
{
    if (!isSafeHeaderText(screenshot.fileName) || !isSafeHeaderText(screenshot.mediaType)) {
        throw TranslationErrorReportClientError(TranslationErrorReportClientError::Kind::invalidScreenshot);
    }
    const QString boundary = makeBoundary();

    HTTPRequest request;
    request.method = "POST";
    request.url
        = m_configuration.endpointURL({QStringLiteral("v1"), QStringLiteral("app"), QStringLiteral("translations"),
            translationID.toString(QUuid::WithoutBraces).toLower(), QStringLiteral("error-reports")});
    request.headers.set("Accept", "application/json");
    request.headers.set("Content-Type", "multipart/form-data; boundary=" + boundary.toUtf8());
    request.body = multipartBody(boundary, screenshot);
    request.timeout = defaultHTTPRequestTimeout;

    // The transport and logger live as long as this call: the caller holds the reporter.
    const std::shared_ptr<HTTPTransport> transport = m_transport;
    const Logger logger = m_logger;
    const HTTPResponse response = co_await transport->data(std::move(request), token);

    if (!response.statusCode) {
        throw TranslationErrorReportClientError(TranslationErrorReportClientError::Kind::invalidResponse);
    }
    if (*response.statusCode != 204) {
        qCCritical(logger).noquote()
            << QStringLiteral("Translation error report failed with HTTP status %1.").arg(*response.statusCode);
        throw TranslationErrorReportClientError::unexpectedStatusCode(*response.statusCode);
    }
}

} // namespace veyra
