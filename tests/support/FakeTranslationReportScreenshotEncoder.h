#pragma once

#include "capture/TranslationReportScreenshot.h"
#include "support/TestGate.h"

#include <QVector>

#include <deque>
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
        std::exception_ptr failure;
        if (!m_failures.empty()) {
            failure = m_failures.front();
            m_failures.pop_front();
        }
        if (m_holds > 0) {
            --m_holds;
            co_await m_gate.wait();
        }
        if (failure) {
            std::rethrow_exception(failure);
        }
        co_return screenshot;
    }

    // What call `number` returns when it succeeds.
    static TranslationReportScreenshot screenshotNumber(qsizetype number)
    {
        return {QByteArray("jpeg-") + QByteArray::number(number), QStringLiteral("image/jpeg"),
            QStringLiteral("capture.jpg")};
    }

    void failNext(std::exception_ptr failure) { m_failures.push_back(std::move(failure)); }
    void holdNext(int count = 1) { m_holds += count; }
    TestGate &gate() { return m_gate; }

    int callCount() const { return static_cast<int>(m_images.size()); }
    const QVector<QImage> &images() const { return m_images; }

private:
    std::deque<std::exception_ptr> m_failures;
    int m_holds = 0;
    TestGate m_gate;
    QVector<QImage> m_images;
};

} // namespace veyra::test
