#pragma once

#include "capture/recognition/DialogueRegionDetecting.h"

#include <QVector>

#include <functional>
#include <mutex>

namespace veyra::test {

// Answers with the finder given by the test and records every image it is shown.
// Thread-safe, like the real detector.
class FakeDialogueRegionDetector : public DialogueRegionDetecting
{
public:
    using Finder = std::function<std::optional<QRectF>(const QImage &, const DialogueBackgroundPattern &)>;

    explicit FakeDialogueRegionDetector(Finder finder)
        : m_finder(std::move(finder))
    { }

    std::optional<QRectF> detect(const QImage &image, const DialogueBackgroundPattern &pattern) const override
    {
        {
            std::lock_guard lock(m_mutex);
            m_images.append(image);
            m_patterns.append(pattern);
        }
        return m_finder(image, pattern);
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
    int callCount() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_images.size());
    }

private:
    Finder m_finder;
    mutable std::mutex m_mutex;
    mutable QVector<QImage> m_images;
    mutable QVector<DialogueBackgroundPattern> m_patterns;
};

} // namespace veyra::test
