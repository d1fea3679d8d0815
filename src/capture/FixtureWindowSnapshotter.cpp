#include "capture/FixtureWindowSnapshotter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

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

    // One path, stroked once: where lines cross the white is laid down once.
    QPainterPath grid;
    for (int x = 80; x <= 880; x += 80) {
        grid.moveTo(x, 90);
        grid.lineTo(x, 630);
    }
    for (int y = 90; y <= 630; y += 60) {
        grid.moveTo(80, y);
        grid.lineTo(880, y);
    }
    QColor line(Qt::white);
    line.setAlphaF(0.22F);
    QPen pen(line, 2.0);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(grid);
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
