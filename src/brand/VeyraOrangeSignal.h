#pragma once

#include <QWidget>

class QLabel;

namespace veyra {

// The brand mark (18 x 16) followed by a short text, both in bright orange, read as one
// element. The text is shown verbatim: callers pass it already localised.
class VeyraOrangeSignal : public QWidget
{
    Q_OBJECT

public:
    explicit VeyraOrangeSignal(const QString &text, QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    static constexpr int markWidth = 18;
    static constexpr int markHeight = 16;

private:
    QWidget *m_mark;
    QLabel *m_text;
};

} // namespace veyra
