#pragma once

#include <QWidget>

class QLabel;

namespace veyra {

// One numbered step of the guide: the number on an orange disc, then the step's text,
// wrapping as far as it needs.
class CaptureAreaGuideStepRow : public QWidget
{
    Q_OBJECT

public:
    CaptureAreaGuideStepRow(int number, QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const;

private:
    QLabel *m_text;
};

} // namespace veyra
