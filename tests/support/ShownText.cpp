#include "support/ShownText.h"

#include "app/picker/ApplicationGroupSection.h"
#include "notes/views/GameMemoRowDelegate.h"
#include "overlay/views/LineLimitedLabel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>

namespace veyra::test {

QStringList textsShownIn(const QWidget &root)
{
    QStringList texts{root.windowTitle()};
    QList<QWidget *> widgets = root.findChildren<QWidget *>();
    widgets.prepend(const_cast<QWidget *>(&root));
    for (const QWidget *widget : std::as_const(widgets)) {
        if (widget != &root && (!widget->isVisibleTo(&root) || widget->isWindow())) {
            continue;
        }
        texts.append(shownToolTip(*widget));
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            texts.append(shownText(*label));
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            texts.append(button->text());
        } else if (const auto *lines = qobject_cast<const LineLimitedLabel *>(widget)) {
            texts.append(lines->text());
        } else if (const auto *box = qobject_cast<const QComboBox *>(widget)) {
            for (int index = 0; index < box->count(); ++index) {
                texts.append(box->itemText(index));
            }
        } else if (const auto *line = qobject_cast<const QLineEdit *>(widget)) {
            texts.append(line->placeholderText());
        } else if (const auto *editor = qobject_cast<const QPlainTextEdit *>(widget)) {
            texts.append(editor->placeholderText());
        } else if (const auto *list = qobject_cast<const QListView *>(widget)) {
            if (const auto *rows = qobject_cast<const GameMemoRowDelegate *>(list->itemDelegate())) {
                for (int row = 0; row < list->model()->rowCount(); ++row) {
                    texts.append(rows->rowTexts(list->model()->index(row, 0), list->locale()).updated);
                }
            }
        }
        if (const auto *header = qobject_cast<const ApplicationGroupHeader *>(widget)) {
            texts.append(header->windowCountText());
        }
        // What a view paints itself, as it keeps it for the tests (see paintedTexts).
        texts.append(paintedTexts(*widget));
    }
    return texts;
}

} // namespace veyra::test
