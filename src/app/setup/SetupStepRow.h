#pragma once

#include <QWidget>

class QLabel;

namespace veyra {

// One numbered step in the set-up screen's sidebar: a circle with a checkmark (complete)
// or the step's number, beside the step's title and status. The step is highlighted
// (orange circle, full-white title) when it is complete or current; the current step's
// title is semibold and its status bright orange. Read as one element.
class SetupStepRow : public QWidget
{
    Q_OBJECT

public:
    SetupStepRow(int number, QWidget *parent = nullptr);

    int number() const { return m_number; }
    bool isComplete() const { return m_complete; }
    bool isCurrent() const { return m_current; }
    bool isHighlighted() const { return m_complete || m_current; }
    QString title() const;
    QString status() const;

    // Texts already localised.
    void setStep(const QString &title, const QString &status, bool isComplete, bool isCurrent);

private:
    int m_number;
    bool m_complete = false;
    bool m_current = false;
    QWidget *m_indicator;
    QLabel *m_title;
    QLabel *m_status;
};

} // namespace veyra
