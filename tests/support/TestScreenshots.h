#pragma once

#include <QString>

#include <functional>

class QImage;
class QWidget;

namespace veyra::test {

// Saves a picture of the widget as <folder>/<fileName> for a person to look at, only when
// VEYRA_TEST_SCREENSHOTS names a folder (made when missing); otherwise nothing is grabbed
// or written, so parallel and repeated runs leave no files behind.
void saveScreenshot(QWidget &widget, const QString &fileName);
// The same for a picture taken otherwise (the whole screen, say), taken only then.
void saveScreenshot(const std::function<QImage()> &picture, const QString &fileName);

} // namespace veyra::test
