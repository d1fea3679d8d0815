#include "editor/canvas/ScaledSnapshotCache.h"

#include "foundation/async/AsyncTask.h"

namespace veyra {

ScaledSnapshotCache::ScaledSnapshotCache(QObject *parent)
    : QObject(parent)
{ }

void ScaledSnapshotCache::setImage(QImage image)
{
    m_image = std::move(image);
    m_pixmap = QPixmap();
    m_isSmooth = false;
    m_wantedSize = QSize();
    ++m_imageGeneration;
}

QPixmap ScaledSnapshotCache::pixmapFor(QSize size)
{
    if (m_image.isNull() || size.isEmpty()) {
        return {};
    }
    if (m_pixmap.size() == size && (m_isSmooth || m_wantedSize == size)) {
        return m_pixmap;
    }
    m_wantedSize = size;
    if (size == m_image.size()) {
        m_pixmap = QPixmap::fromImage(m_image);
        m_isSmooth = true;
        return m_pixmap;
    }
    // Nearest-pixel scaling costs about one read per drawn pixel: cheap enough for a paint.
    m_pixmap = QPixmap::fromImage(m_image.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    m_isSmooth = false;
    startSmoothScaling();
    return m_pixmap;
}

void ScaledSnapshotCache::startSmoothScaling()
{
    if (m_isScaling) {
        // The running scaling starts the next one for the size wanted by then.
        return;
    }
    m_isScaling = true;
    const QImage image = m_image;
    const QSize size = m_wantedSize;
    const std::uint64_t generation = m_imageGeneration;
    startDetachedTask(
        this,
        [image, size, generation](QPointer<ScaledSnapshotCache> self) -> QCoro::Task<void> {
            auto scale = [image, size] { return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); };
            QImage scaled;
            try {
                scaled = co_await runOnWorker(cpuWorkPool(), std::move(scale));
            } catch (...) { }
            if (!self) {
                co_return;
            }
            self->m_isScaling = false;
            if (generation != self->m_imageGeneration || size != self->m_wantedSize) {
                // The image or the size changed meanwhile: scale for what is wanted now.
                if (!self->m_isSmooth && !self->m_image.isNull() && self->m_wantedSize.isValid()) {
                    self->startSmoothScaling();
                }
                co_return;
            }
            if (scaled.isNull()) {
                // Out of memory: the quick version stays.
                self->m_isSmooth = true;
                co_return;
            }
            self->m_pixmap = QPixmap::fromImage(std::move(scaled));
            self->m_isSmooth = true;
            Q_EMIT self->ready();
        },
        Logger("CaptureAreaEditor"));
}

} // namespace veyra
