#pragma once

#include "foundation/language/ClientLanguage.h"

#include <QFont>
#include <QObject>
#include <QStringList>

class QWidget;

namespace veyra {

// The font every text of the interface is drawn in, for an interface language.
//
// Qt draws each script of a line in the first font that has its letters: with a desktop
// font that writes only Latin (DejaVu Sans, the default of most desktops), the Japanese or
// Korean of a line comes from another family (Noto Sans CJK) and the Latin beside it from
// the desktop font. Both faces are of the weight asked for, but the two families' weights
// are drawn differently: Noto Sans CJK's Regular is darker than DejaVu Sans Book beside it,
// and its Bold lighter than DejaVu Sans Bold, so in Japanese and Korean a semibold heading
// looks no heavier than the text around it, and "Google" in "Google 로그인 다시 시도" looks
// thin. In Japanese and Korean the interface's font is therefore a family that writes the
// language, Latin included, in one design (the desktop's own when it writes the language,
// else the first installed of `preferredFamilies`), with the desktop's family after it for
// anything it lacks; every weight then looks alike in every script. English keeps the
// desktop's font.
QFont interfaceFont(const QFont &desktopFont, ClientLanguage language);

// The installed families, best first, that write `language` with Latin in the same design
// (Noto Sans CJK is what `scripts/bootstrap` installs); none for English.
QStringList preferredFamilies(ClientLanguage language);

// Keeps the application's font at `interfaceFont` of the desktop's font (as it was when
// this was made) for the current interface language: at once, and again on every change
// of the language (`QEvent::LanguageChange` at the application), widgets whose own font was
// made from the application's font and widgets drawn through style sheets included. Gives
// the desktop's font back when it goes. GUI thread; one at a time.
class InterfaceFontFollower : public QObject
{
    Q_OBJECT

public:
    explicit InterfaceFontFollower(QObject *parent = nullptr);
    ~InterfaceFontFollower() override;

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();
    static void setApplicationFont(const QFont &font);
    static void followFamilies(QWidget &widget, const QStringList &previous, const QStringList &families);

    QFont m_desktopFont;
};

} // namespace veyra
