#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <qcoro/qcorotask.h>

namespace veyra {

// The encoded frame sent with a report of a wrong translation.
struct TranslationReportScreenshot
{
    QByteArray data;
    QString mediaType; // "image/jpeg"
    QString fileName; // "capture.jpg"

    bool operator==(const TranslationReportScreenshot &) const = default;
};

// Encodes a frame for reports. Called on the GUI thread; the encoding itself runs off it.
class TranslationReportScreenshotEncoding
{
public:
    virtual ~TranslationReportScreenshotEncoding() = default;
    virtual QCoro::Task<TranslationReportScreenshot> encode(QImage image) = 0;
};

} // namespace veyra
