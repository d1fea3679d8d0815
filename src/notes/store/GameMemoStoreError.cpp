#include "notes/store/GameMemoStoreError.h"

#include "foundation/language/LocalizedString.h"

namespace veyra {

namespace {
QString messageFor(GameMemoStoreError::Kind kind)
{
    switch (kind) {
    case GameMemoStoreError::Kind::unsupportedSchema:
        break;
    }
    return QString::fromUtf8(QT_TRANSLATE_NOOP("Veyra", "The saved game notes use an unsupported format."));
}
} // namespace

GameMemoStoreError::GameMemoStoreError(Kind kind)
    : LocalizedError(messageFor(kind))
    , m_kind(kind)
{ }

} // namespace veyra
