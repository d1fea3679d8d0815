#pragma once

#include "capture/pipeline/CaptureFrameProcessing.h"
#include "support/ScriptedCalls.h"

#include <QVector>

#include <deque>
#include <functional>

namespace veyra::test {

// Answers each call with the next result queued by the test (or the default result once
// the queue is empty, or what the responder computes from the call). It does not consult
// the token: a stale caller gets results, as it could from a call that was already done,
// so that the caller's own checks are what a test sees. Calls marked with holdNext()
// wait at gate(); the result is chosen when the call begins.
class FakeCaptureFrameProcessor : public CaptureFrameProcessing
{
public:
    struct Call
    {
        QImage frame;
        CaptureAreaProfile profile;
        CancellationToken token;
        std::shared_ptr<CaptureFrameRecognitionCache> cache;
    };
    using Responder = std::function<QVector<CaptureAreaText>(const Call &)>;

    QCoro::Task<QVector<CaptureAreaText>> process(QImage frame, CaptureAreaProfile profile, CancellationToken token,
        std::shared_ptr<CaptureFrameRecognitionCache> cache) override
    {
        QVector<CaptureAreaText> result
            = record(std::move(frame), std::move(profile), std::move(token), std::move(cache));
        co_await m_script.play();
        co_return result;
    }

    void enqueue(QVector<CaptureAreaText> result) { m_results.push_back(std::move(result)); }
    void setDefaultResult(QVector<CaptureAreaText> result) { m_defaultResult = std::move(result); }
    void setResponder(Responder responder) { m_responder = std::move(responder); }
    void holdNext(int count = 1) { m_script.holdNext(count); }
    TestGate &gate() { return m_script.gate(); }

    const QVector<Call> &calls() const { return m_calls; }
    int callCount() const { return static_cast<int>(m_calls.size()); }

private:
    QVector<CaptureAreaText> record(QImage frame, CaptureAreaProfile profile, CancellationToken token,
        std::shared_ptr<CaptureFrameRecognitionCache> cache)
    {
        m_calls.append(Call{std::move(frame), std::move(profile), std::move(token), std::move(cache)});
        if (!m_results.empty()) {
            QVector<CaptureAreaText> result = m_results.front();
            m_results.pop_front();
            return result;
        }
        return m_responder ? m_responder(m_calls.last()) : m_defaultResult;
    }

    std::deque<QVector<CaptureAreaText>> m_results;
    QVector<CaptureAreaText> m_defaultResult;
    Responder m_responder;
    ScriptedCalls m_script;
    QVector<Call> m_calls;
};

} // namespace veyra::test
