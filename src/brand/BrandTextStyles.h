#pragma once

#include <QFont>

namespace veyra {

// The few text styles the brand screens use, derived from the application's base font so
// that they follow the desktop's font settings.
enum class BrandTextStyle {
    largeTitle, // screen titles
    title, // card and section titles
    headline, // emphasised body text, lockup titles
    body, // running text
    callout, // secondary running text
    caption, // small print, the orange signal
};

QFont brandTextFont(BrandTextStyle style, const QFont &base);

} // namespace veyra
