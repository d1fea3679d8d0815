#include "settings/account/AccountInitials.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace veyra {

namespace {
QString firstCharacter(const QString &piece)
{
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, piece);
    const qsizetype end = graphemes.toNextBoundary();
    return piece.left(end > 0 ? end : 1);
}
} // namespace

QString accountInitials(const CurrentUser &user)
{
    const QString source = user.displayName.value_or(user.email);
    const QStringList pieces = source.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QString initials;
    for (qsizetype index = 0; index < pieces.size() && index < 2; ++index) {
        initials += firstCharacter(pieces.at(index));
    }
    return initials.toUpper();
}

} // namespace veyra
