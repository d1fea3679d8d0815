#include "brand/InterfaceFont.h"

#include <QApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QStyle>
#include <QWidget>

namespace veyra {

namespace {

QFontDatabase::WritingSystem writingSystem(ClientLanguage language)
{
    return language == ClientLanguage::japanese ? QFontDatabase::Japanese : QFontDatabase::Korean;
}

} // namespace

QStringList preferredFamilies(ClientLanguage language)
{
    QStringList candidates;
    switch (language) {
    case ClientLanguage::japanese:
        candidates = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
            QStringLiteral("Source Han Sans JP"), QStringLiteral("IPAexGothic"), QStringLiteral("IPAPGothic")};
        break;
    case ClientLanguage::korean:
        candidates = {QStringLiteral("Noto Sans CJK KR"), QStringLiteral("Noto Sans KR"),
            QStringLiteral("Source Han Sans KR"), QStringLiteral("NanumGothic"), QStringLiteral("UnDotum")};
        break;
    case ClientLanguage::english:
        return {};
    }
    QStringList installed;
    for (const QString &family : candidates) {
        if (QFontDatabase::hasFamily(family)
            && QFontDatabase::writingSystems(family).contains(writingSystem(language))) {
            installed.append(family);
        }
    }
    return installed;
}

QFont interfaceFont(const QFont &desktopFont, ClientLanguage language)
{
    if (language == ClientLanguage::english) {
        return desktopFont;
    }
    // The family Qt draws the desktop's font in (the desktop may name an alias, "Sans Serif").
    const QString desktopFamily = QFontInfo(desktopFont).family();
    if (QFontDatabase::writingSystems(desktopFamily).contains(writingSystem(language))) {
        return desktopFont;
    }
    const QStringList families = preferredFamilies(language);
    if (families.isEmpty()) {
        return desktopFont;
    }
    QFont font = desktopFont;
    font.setFamilies({families.first(), desktopFamily});
    return font;
}

InterfaceFontFollower::InterfaceFontFollower(QObject *parent)
    : QObject(parent)
    , m_desktopFont(QApplication::font())
{
    QCoreApplication::instance()->installEventFilter(this);
    apply();
}

InterfaceFontFollower::~InterfaceFontFollower()
{
    setApplicationFont(m_desktopFont);
}

bool InterfaceFontFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::LanguageChange) {
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void InterfaceFontFollower::apply()
{
    setApplicationFont(interfaceFont(m_desktopFont, currentClientLanguage()));
}

void InterfaceFontFollower::setApplicationFont(const QFont &font)
{
    const QFont previous = QApplication::font();
    if (previous == font) {
        return;
    }
    QApplication::setFont(font);
    for (QWidget *widget : QApplication::allWidgets()) {
        followFamilies(*widget, previous.families(), font.families());
    }
}

void InterfaceFontFollower::followFamilies(QWidget &widget, const QStringList &previous, const QStringList &families)
{
    // A font made from the application's font (a style of it, set on the widget) names the
    // application's families itself, so the widget no longer takes them from the
    // application: it is given the new ones.
    if (widget.testAttribute(Qt::WA_SetFont)) {
        QFont font = widget.font();
        if ((font.resolveMask() & (QFont::FamilyResolved | QFont::FamiliesResolved)) != 0
            && font.families() == previous) {
            font.setFamilies(families);
            widget.setFont(font);
        }
    }
    // A widget drawn through a style sheet (its own or an ancestor's) takes its font when it
    // is polished and does not follow the application's font after that.
    QStyle *style = widget.style();
    if (style != nullptr && style->inherits("QStyleSheetStyle")) {
        style->unpolish(&widget);
        style->polish(&widget);
    }
}

} // namespace veyra
