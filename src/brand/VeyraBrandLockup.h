#pragma once

#include <QWidget>

class QLabel;

namespace veyra {

class VeyraAppIcon;

// The application icon followed by a title, read as one element. It sets no colour of its
// own: the title takes the parent's foreground.
class VeyraBrandLockup : public QWidget
{
    Q_OBJECT

public:
    VeyraBrandLockup(const QString &title, qreal iconSize, QWidget *parent = nullptr);

    QString title() const;

private:
    VeyraAppIcon *m_icon;
    QLabel *m_title;
};

} // namespace veyra
