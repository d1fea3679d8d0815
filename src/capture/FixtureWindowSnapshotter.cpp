#include "capture/FixtureWindowSnapshotter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QRegion>

namespace veyra {

namespace {

const QColor indigo(88, 86, 214);

} // namespace

QImage FixtureWindowSnapshotter::fixtureImage()
{
    QImage image(960, 720, QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    image.fill(QGuiApplication::palette().color(QPalette::Window).rgb());
    QPainter painter(&image);
    QColor panel = indigo;
    panel.setAlphaF(0.35F);
    painter.fillRect(QRect(80, 90, 800, 540), panel);

    // Lines 2 pixels wide centred on whole coordinates, without caps, cover whole pixel
    // columns and rows; as one region, the white is laid down once where lines cross.
    QRegion grid;
    for (int x = 80; x <= 880; x += 80) {
        grid += QRect(x - 1, 90, 2, 540);
    }
    for (int y = 90; y <= 630; y += 60) {
        grid += QRect(80, y - 1, 800, 2);
    }
    QColor line(Qt::white);
    line.setAlphaF(0.22F);
    painter.setClipRegion(grid);
    painter.fillRect(image.rect(), line);
    painter.end();
    return image;
}

QCoro::Task<CapturedWindowSnapshot> FixtureWindowSnapshotter::capture(CaptureTarget)
{
    QImage image = fixtureImage();
    if (image.isNull()) {
        throw WindowSnapshotError(WindowSnapshotError::Kind::captureFailed);
    }
    co_return CapturedWindowSnapshot{std::move(image)};
}

} // namespace veyra
