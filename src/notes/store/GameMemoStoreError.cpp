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
    : GameMemoStoreError(kind, QString(), QString())
{ }

GameMemoStoreError::GameMemoStoreError(Kind kind, QString path, QString detail)
    : LocalizedError(withDetail(formatPlaceholders(QString::fromUtf8(patternFor(kind)), {path}), detail))
    , m_kind(kind)
    , m_path(std::move(path))
    , m_detail(std::move(detail))
{ }

GameMemoStoreError::GameMemoStoreError(Kind kind, QString path, const char *detailKey, QStringList detailArguments)
    : GameMemoStoreError(kind, std::move(path), formatPlaceholders(QString::fromUtf8(detailKey), detailArguments))
{
    m_detailKey = detailKey;
    m_detailArguments = std::move(detailArguments);
}

QString GameMemoStoreError::localizedDescription() const
{
    const QString detail = m_detailKey ? localizedFormat(m_detailKey, m_detailArguments) : m_detail;
    return withDetail(localizedFormat(patternFor(m_kind), {QDir::toNativeSeparators(m_path)}), detail);
}

GameMemoRuleError::GameMemoRuleError(const char *reasonKey, QStringList arguments)
    : DecodingError(formatPlaceholders(QString::fromUtf8(reasonKey), arguments))
    , m_reasonKey(reasonKey)
    , m_arguments(std::move(arguments))
{ }

} // namespace veyra
