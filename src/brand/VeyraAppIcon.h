#pragma once

#include <QWidget>

namespace veyra {

// The running application's icon (QApplication::windowIcon(), read anew on every paint),
// fitted into a `size` x `size` square keeping its aspect ratio.
class VeyraAppIcon : public QWidget
{
    Q_OBJECT

public:
    explicit VeyraAppIcon(qreal size, QWidget *parent = nullptr);

    qreal iconSize() const { return m_size; }

    // The label assistive technologies read for the icon.
    static QString accessibilityLabel();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_size;
};

} // namespace veyra
