#pragma once

#include <QImage>
#include <QRect>
#include <QRectF>
#include <QSize>

#include <optional>

namespace veyra {

// The whole pixels of an image of `imageSize` that `rect` touches: rounded outward and
// intersected with the image; nothing when that is empty (or `rect` is not finite).
std::optional<QRect> cropRect(QSize imageSize, const QRectF &rect);

// The pixels of `rect` (inside the image) without a copy: a read-only image over the
// image's own memory, valid only while `image` (or a copy sharing its pixels) lives.
// Images of other than 32 bits a pixel are copied.
QImage pixelView(const QImage &image, QRect rect);

// Whether two images show the same pixels: same size, same format, same colour in every
// pixel (the unused byte of QImage::Format_RGB32 pixels left out, as QImage::operator==
// does), at the speed of the memory rather than pixel by pixel.
bool samePixels(const QImage &a, const QImage &b);

} // namespace veyra
