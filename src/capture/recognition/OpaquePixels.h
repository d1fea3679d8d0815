#pragma once

#include <QImage>
#include <QRgb>

namespace veyra {

// Reads the pixels of any QImage as opaque RGB, the way the image looks when drawn onto
// black: colours with transparency are premultiplied by their alpha. Frames arrive as
// Format_RGB32 or Format_ARGB32(_Premultiplied), which are read straight from the scan
// lines; every other format goes through QImage::pixel().
class OpaquePixels
{
public:
    explicit OpaquePixels(const QImage &image)
        : m_image(image)
        , m_format(image.format())
    { }

    // Which scan line to read; call before rgbAt() for that row.
    const QRgb *row(int y) const
    {
        if (m_format == QImage::Format_RGB32 || m_format == QImage::Format_ARGB32
            || m_format == QImage::Format_ARGB32_Premultiplied) {
            return reinterpret_cast<const QRgb *>(m_image.constScanLine(y));
        }
        return nullptr;
    }

    // The opaque colour at (x, y); `scanLine` is row(y).
    QRgb rgbAt(const QRgb *scanLine, int x, int y) const
    {
        switch (m_format) {
        case QImage::Format_RGB32:
        case QImage::Format_ARGB32_Premultiplied:
            return scanLine[x];
        case QImage::Format_ARGB32:
            return qPremultiply(scanLine[x]);
        default:
            return qPremultiply(m_image.pixel(x, y));
        }
    }

private:
    const QImage &m_image;
    QImage::Format m_format;
};

} // namespace veyra
