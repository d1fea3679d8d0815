#pragma once

#include "capture/pipeline/TranslationReportScreenshot.h"
#include "support/ScriptedCalls.h"

#include <QVector>

#include <exception>

namespace veyra::test {

// Encodes call n (counted from 1) as the bytes "jpeg-n", or throws the failures queued
// with failNext() in order. Calls marked with holdNext() wait at gate().
class FakeTranslationReportScreenshotEncoder : public TranslationReportScreenshotEncoding
{
public:
    QCoro::Task<TranslationReportScreenshot> encode(QImage image) override
    {
        m_images.append(image);
        const TranslationReportScreenshot screenshot = screenshotNumber(m_images.size());
        co_await m_script.play();
        co_return screenshot;
    }

    // What call `number` returns when it succeeds.
    static TranslationReportScreenshot screenshotNumber(qsizetype number)
    {
        return {QByteArray("jpeg-") + QByteArray::number(number), QStringLiteral("image/jpeg"),
            QStringLiteral("capture.jpg")};
    }

    void failNext(std::exception_ptr failure) { m_script.failNext(std::move(failure)); }
    void holdNext(int count = 1) { m_script.holdNext(count); }
    TestGate &gate() { return m_script.gate(); }

    int callCount() const { return static_cast<int>(m_images.size()); }
    const QVector<QImage> &images() const { return m_images; }

private:
    ScriptedCalls m_script;
    QVector<QImage> m_images;
};

} // namespace veyra::test
