#pragma once

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QSize>

#include <cstdint>

namespace veyra {

// The snapshot as the canvas draws it: one pixmap scaled to the size it is shown at, so
// that a paint never touches the full image (a 4K snapshot would take tens of
// milliseconds each time). A new size first gets a quick nearest-pixel version at once;
// the smoothly scaled one is made on the CPU work pool and announced by `ready()`.
class ScaledSnapshotCache : public QObject
{
    Q_OBJECT

public:
    explicit ScaledSnapshotCache(QObject *parent = nullptr);

    void setImage(QImage image);
    const QImage &image() const { return m_image; }

    // The pixmap to draw for a size in device pixels; null without an image or for an
    // empty size.
    QPixmap pixmapFor(QSize size);

    // Whether the pixmap held now is the smooth one for its size.
    bool isSmooth() const { return m_isSmooth; }
    QSize pixmapSize() const { return m_pixmap.size(); }

Q_SIGNALS:
    // A smooth pixmap for the wanted size has arrived; draw again.
    void ready();

private:
    void startSmoothScaling();

    QImage m_image;
    QPixmap m_pixmap;
    bool m_isSmooth = false;
    QSize m_wantedSize;
    bool m_isScaling = false;
    // Changes with every new image; a result for an older image is dropped.
    std::uint64_t m_imageGeneration = 0;
};

} // namespace veyra
