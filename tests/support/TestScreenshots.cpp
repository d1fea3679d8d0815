#include "support/TestScreenshots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace veyra::test {

void saveScreenshot(QWidget &widget, const QString &fileName)
{
    const QString folder = qEnvironmentVariable("VEYRA_TEST_SCREENSHOTS");
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        return;
    }
    widget.grab().save(QDir(folder).filePath(fileName));
}

} // namespace veyra::test
