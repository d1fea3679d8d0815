#include "brand/BrandTextStyles.h"

namespace veyra {

QFont brandTextFont(BrandTextStyle style, const QFont &base)
{
    QFont font = base;
    const qreal basePoints = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (style) {
    case BrandTextStyle::largeTitle:
        font.setPointSizeF(basePoints * 2.0);
        font.setWeight(QFont::Bold);
        break;
    case BrandTextStyle::title:
        font.setPointSizeF(basePoints * 1.4);
        font.setWeight(QFont::DemiBold);
        break;
    case BrandTextStyle::headline:
        font.setPointSizeF(basePoints * 1.1);
        font.setWeight(QFont::DemiBold);
        break;
    case BrandTextStyle::body:
        font.setPointSizeF(basePoints);
        break;
    case BrandTextStyle::callout:
        font.setPointSizeF(basePoints * 0.95);
        break;
    case BrandTextStyle::caption:
        font.setPointSizeF(basePoints * 0.85);
        break;
    }
    return font;
}

} // namespace veyra
