#pragma once

#include "capture/recognition/TextRecognizing.h"

#include <QStringList>
#include <QVector>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace veyra::test {

// Reads an image with the reader given by the test (which may throw). A call whose text
// the test holds blocks its worker thread until the test releases that text, so a test
// can see how many recognitions run at once. Thread-safe, like the real recogniser.
class FakeTextRecognizer : public TextRecognizing
{
public:
    using Reader = std::function<QString(const QImage &)>;

    explicit FakeTextRecognizer(Reader reader)
        : m_reader(std::move(reader))
    { }

    QString recognizeText(const QImage &image) const override
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_callCount;
            m_images.append(image);
        }
        const QString text = m_reader(image);
        std::unique_lock lock(m_mutex);
        m_started.append(text);
        ++m_inFlight;
        m_maxInFlight = std::max(m_maxInFlight, m_inFlight);
        m_changed.wait(lock, [&] { return !m_held.contains(text); });
        --m_inFlight;
        m_finished.append(text);
        return text;
    }

    // Records the box's colour, then reads as recognizeText does.
    QString recognizeDialogueText(const QImage &box, const DialogueBackgroundPattern &pattern) const override
    {
        {
            std::lock_guard lock(m_mutex);
            m_patterns.append(pattern);
        }
        return recognizeText(box);
    }

    void hold(const QString &text)
    {
        std::lock_guard lock(m_mutex);
        m_held.append(text);
    }
    void release(const QString &text)
    {
        {
            std::lock_guard lock(m_mutex);
            m_held.removeAll(text);
        }
        m_changed.notify_all();
    }

    int callCount() const
    {
        std::lock_guard lock(m_mutex);
        return m_callCount;
    }
    int inFlight() const
    {
        std::lock_guard lock(m_mutex);
        return m_inFlight;
    }
    int maxInFlight() const
    {
        std::lock_guard lock(m_mutex);
        return m_maxInFlight;
    }
    // The texts of the calls that got past the reader, in the order they began and ended.
    QStringList started() const
    {
        std::lock_guard lock(m_mutex);
        return m_started;
    }
    QStringList finished() const
    {
        std::lock_guard lock(m_mutex);
        return m_finished;
    }
    QVector<QImage> images() const
    {
        std::lock_guard lock(m_mutex);
        return m_images;
    }
    QVector<DialogueBackgroundPattern> patterns() const
    {
        std::lock_guard lock(m_mutex);
        return m_patterns;
    }

private:
    Reader m_reader;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    mutable QStringList m_held;
    mutable int m_callCount = 0;
    mutable int m_inFlight = 0;
    mutable int m_maxInFlight = 0;
    mutable QStringList m_started;
    mutable QStringList m_finished;
    mutable QVector<QImage> m_images;
    mutable QVector<DialogueBackgroundPattern> m_patterns;
};

} // namespace veyra::test
