#include "account/views/GoogleSignInButton.h"

#include "foundation/language/LocalizedString.h"

#include <QPainter>
#include <QPainterPath>

namespace veyra {

namespace {

const QColor googleBlue(0x42, 0x85, 0xf4);
const QColor googleGreen(0x34, 0xa8, 0x53);
const QColor googleYellow(0xfb, 0xbc, 0x05);
const QColor googleRed(0xea, 0x43, 0x35);

// The "G": four arcs of a ring (angles counter-clockwise from three o'clock) and the bar.
void paintGoogleMark(QPainter &painter, const QRectF &box)
{
    const qreal stroke = box.width() * 0.2;
    const QRectF ring = box.adjusted(stroke / 2, stroke / 2, -stroke / 2, -stroke / 2);
    const struct
    {
        qreal from;
        qreal span;
        QColor colour;
    } arcs[] = {
        {42, 100, googleRed},
        {140, 78, googleYellow},
        {216, 98, googleGreen},
        {312, 48, googleBlue},
    };
    for (const auto &arc : arcs) {
        painter.setPen(QPen(arc.colour, stroke, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(ring, static_cast<int>(arc.from * 16), static_cast<int>(arc.span * 16));
    }
    const QRectF bar(box.center().x(), box.center().y() - stroke / 2, box.right() - box.center().x(), stroke);
    painter.fillRect(bar, googleBlue);
}

} // namespace

GoogleSignInButton::GoogleSignInButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    refreshText();
}

void GoogleSignInButton::refreshText()
{
    const QString text = localizedString(QT_TRANSLATE_NOOP("Veyra", "Sign in with Google"));
    setText(text);
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize GoogleSignInButton::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return QSize(12 + 20 + 10 + textWidth + 16, buttonHeight);
}

void GoogleSignInButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = Qt::white;
    if (!isEnabled()) {
        fill = QColor(0xff, 0xff, 0xff, 0x99);
    } else if (isDown()) {
        fill = QColor(0xe8, 0xea, 0xed);
    } else if (underMouse()) {
        fill = QColor(0xf8, 0xf9, 0xfa);
    }
    painter.setBrush(fill);
    painter.setPen(QPen(hasFocus() ? googleBlue : QColor(0x74, 0x77, 0x75), 1));
    painter.drawRoundedRect(frame, 4, 4);

    painter.setOpacity(isEnabled() ? 1.0 : 0.38);
    const QRectF mark(12, (height() - 18) / 2.0, 18, 18);
    paintGoogleMark(painter, mark);

    QFont label = font();
    label.setWeight(QFont::Medium);
    painter.setFont(label);
    painter.setPen(QColor(0x1f, 0x1f, 0x1f));
    const QRectF textArea = QRectF(rect()).adjusted(mark.right() + 10, 0, -12, 0);
    painter.drawText(textArea, Qt::AlignCenter, text());
}

} // namespace veyra
