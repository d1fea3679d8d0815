#pragma once

#include <QString>
#include <QWidget>

class QSvgRenderer;

namespace veyra {

// One item of the control strip: a white symbol drawn into the item's bounds less 11 x 10
// points, a title for its tooltip and its accessible name (looked up in the interface
// language each time, and again when it changes), and an accessibility identifier (its
// object name). Reports the pointer entering and leaving it and every press, drag and
// release. Its symbol is drawn at the strip's opacity times the item's own.
class OverlayControlItemView : public QWidget
{
    Q_OBJECT

public:
    // `titleKey` is the English title, marked for translation.
    OverlayControlItemView(
        const QString &symbolPath, const char *titleKey, const QString &identifier, QWidget *parent = nullptr);

    // The title in the current interface language.
    QString title() const;

    // The item's own opacity (0.28 for a disabled action).
    double itemAlpha() const { return m_itemAlpha; }
    void setItemAlpha(double alpha);

    // Whether accessibility reads the item as enabled; an item that runs no action is.
    virtual bool isAccessiblyEnabled() const { return true; }

Q_SIGNALS:
    // True when the pointer entered the item, false when it left.
    void hoverChanged(bool inside);
    // The item was pressed, dragged or released.
    void interacted();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // An empty symbol when the path names none.
    QSvgRenderer *m_symbol;
    const char *m_titleKey;
    double m_itemAlpha = 1.0;
};

// Makes accessibility read strip items as buttons named by their titles, enabled as the
// item says. Installed once, by the first item made.
void installOverlayControlItemAccessibility();

} // namespace veyra
