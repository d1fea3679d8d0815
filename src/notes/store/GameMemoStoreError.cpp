#include "notes/store/GameMemoStoreError.h"

#include "foundation/language/LocalizedString.h"

#include <QDir>

namespace veyra {

namespace {

const char *patternFor(GameMemoStoreError::Kind kind)
{
    switch (kind) {
    case GameMemoStoreError::Kind::damaged:
        return QT_TRANSLATE_NOOP("Veyra", "The game notes file “%@” is damaged, so Veyra left it as it is.");
    case GameMemoStoreError::Kind::unsupportedSchema:
        break;
    }
    return QT_TRANSLATE_NOOP("Veyra", "The saved game notes use an unsupported format.");
}

} // namespace

GameMemoStoreError::GameMemoStoreError(Kind kind)
    : GameMemoStoreError(kind, QString(), LocalizableText())
{ }

GameMemoStoreError::GameMemoStoreError(Kind kind, QString path, LocalizableText detail)
    : LocalizedError(withDetail(formatPlaceholders(QString::fromUtf8(patternFor(kind)), {path}), detail.english()))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_detail(std::move(detail))
{ }

QString GameMemoStoreError::localizedDescription() const
{
    return withDetail(localizedFormat(patternFor(m_kind), {QDir::toNativeSeparators(m_path)}), m_detail.localized());
}

GameMemoRuleError::GameMemoRuleError(const char *reasonKey, QStringList arguments)
    : DecodingError(formatPlaceholders(QString::fromUtf8(reasonKey), arguments))
    , m_reason(LocalizableText::marked(reasonKey, std::move(arguments)))
{ }

} // namespace veyra
