#pragma once

#include "foundation/logging/Logger.h"
#include "translation/http/HTTPTransport.h"
#include "translation/http/ServerConfiguration.h"
#include "translation/reports/TranslationErrorReporting.h"

#include <memory>

class QNetworkAccessManager;

namespace veyra {

// Uploads reports to the server's POST v1/app/translations/<id>/error-reports as one
// multipart/form-data part named "screenshot", with a fresh boundary per report. Only
// status 204 counts as accepted; any other status is logged and thrown. Holds no state
// besides its configuration, transport and logger.
class HTTPTranslationErrorReporter : public TranslationErrorReporting
{
public:
    // The transport is the given one; without it, one over the given session; without
    // either, one over a session of the reporter's own.
    explicit HTTPTranslationErrorReporter(ServerConfiguration configuration,
        std::shared_ptr<QNetworkAccessManager> session = nullptr, std::shared_ptr<HTTPTransport> transport = nullptr);

    // Throws TranslationErrorReportClientError (invalidScreenshot before anything is
    // sent, unexpectedStatusCode, invalidResponse) or a transport error unchanged.
    QCoro::Task<void> report(
        QUuid translationID, TranslationReportScreenshot screenshot, CancellationToken token) override;

    // "Obrisk-" and a fresh random UUID in upper case.
    static QString makeBoundary();
    // The request body: the one part, delimited by the boundary.
    static QByteArray multipartBody(const QString &boundary, const TranslationReportScreenshot &screenshot);
    // True when the text can stand in a part header as it is: no control character and
    // no quotation mark.
    static bool isSafeHeaderText(const QString &text);

    const ServerConfiguration &configuration() const { return m_configuration; }
    const std::shared_ptr<HTTPTransport> &transport() const { return m_transport; }

private:
    const ServerConfiguration m_configuration;
    const std::shared_ptr<HTTPTransport> m_transport;
    const Logger m_logger;
};

} // namespace veyra
