#pragma once

#include <QString>

class QWidget;

namespace veyra::test {

// Saves a picture of the widget as <folder>/<fileName> for a person to look at, only when
// VEYRA_TEST_SCREENSHOTS names a folder (made when missing); otherwise nothing is grabbed
// or written, so parallel and repeated runs leave no files behind.
void saveScreenshot(QWidget &widget, const QString &fileName);

} // namespace veyra::test
