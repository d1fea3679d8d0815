#pragma once

#include <QWidget>

class QLabel;

namespace veyra {

class ProgressSpinner;

// An indeterminate progress indicator with its label below, centred in the space it is
// given.
class ProgressPane : public QWidget
{
    Q_OBJECT

public:
    ProgressPane(const QString &objectName, QWidget *parent = nullptr);

    QString text() const;
    // The label, already localised.
    void setText(const QString &text);

private:
    ProgressSpinner *m_indicator;
    QLabel *m_label;
};

} // namespace veyra
