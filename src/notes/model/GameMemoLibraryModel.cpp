#include "notes/model/GameMemoLibraryModel.h"

#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"
#include "notes/store/GameMemoStoreDocument.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>

namespace veyra {

namespace {

ErrorMessage currentErrorDescription()
{
    return ErrorMessage::describing(std::current_exception());
}

ErrorMessage saveFailureMessage(ErrorMessage reason)
{
    return ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save the note: %@"), {std::move(reason)});
}

// The steady-clock instant `nanoseconds` from now, without overflowing on huge delays.
Sleeper::Clock::time_point deadlineAfter(std::uint64_t nanoseconds)
{
    const Sleeper::Clock::time_point now = Sleeper::Clock::now();
    const auto room = static_cast<std::uint64_t>((Sleeper::Clock::time_point::max() - now).count());
    return now + Sleeper::Clock::duration(static_cast<Sleeper::Clock::rep>(std::min(nanoseconds, room)));
}

// The notes typed while the stored ones could not be read, added to the stored notes
// once they can: a note of a game the file has no note for comes in whole; a note of a
// game that has one is added below the stored text, so neither text is lost.
QHash<GameWindowProfileKey, GameMemoEntry> mergedNotes(
    const QVector<GameMemoEntry> &stored, const QHash<GameWindowProfileKey, GameMemoEntry> &typed)
{
    QHash<GameWindowProfileKey, GameMemoEntry> merged;
    for (const GameMemoEntry &entry : stored) {
        merged.insert(entry.key, entry);
    }
    for (const GameMemoEntry &entry : typed) {
        if (entry.hasBlankText()) {
            continue;
        }
        const auto existing = merged.find(entry.key);
        if (existing == merged.end() || existing->hasBlankText()) {
            merged.insert(entry.key, entry);
        } else if (existing->text != entry.text) {
            GameMemoEntry joined = entry;
            joined.text = existing->text + QStringLiteral("\n\n") + entry.text;
            *existing = joined;
        }
    }
    return merged;
}

} // namespace

GameMemoLibraryModel::GameMemoLibraryModel(std::unique_ptr<GameMemoStoring> store, std::uint64_t debounceNanoseconds,
    std::shared_ptr<Sleeper> sleeper, Now now, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_debounceNanoseconds(debounceNanoseconds)
    , m_sleeper(std::move(sleeper))
    , m_now(now ? std::move(now) : Now([] { return QDateTime::currentDateTimeUtc(); }))
{
    if (!load()) {
        m_errorMessage = m_loadFailure;
    }
    if (const QCoreApplication *application = QCoreApplication::instance()) {
        connect(application, &QCoreApplication::aboutToQuit, this, &GameMemoLibraryModel::saveBeforeQuit);
    }
}

GameMemoLibraryModel::~GameMemoLibraryModel()
{
    if (m_saveTask) {
        m_saveTask->cancel();
    }
}

bool GameMemoLibraryModel::load()
{
    try {
        const QVector<GameMemoEntry> entries = m_store->load();
        requireUniqueGameMemoKeys(entries);
        if (m_loadFailure) {
            m_entriesByKey = mergedNotes(entries, m_entriesByKey);
            m_hasUnsavedEdits = true;
        } else {
            for (const GameMemoEntry &entry : entries) {
                m_entriesByKey.insert(entry.key, entry);
            }
        }
        m_hasLoaded = true;
        m_loadFailure.reset();
        Q_EMIT entriesByKeyChanged();
        return true;
    } catch (...) {
        m_loadFailure = currentErrorDescription();
        return false;
    }
}

QVector<GameMemoEntry> GameMemoLibraryModel::sortedEntries() const
{
    QVector<GameMemoEntry> entries;
    entries.reserve(m_entriesByKey.size());
    for (const GameMemoEntry &entry : m_entriesByKey) {
        if (!entry.hasBlankText()) {
            entries.append(entry);
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
        [](const GameMemoEntry &a, const GameMemoEntry &b) { return a.updatedAt > b.updatedAt; });
    return entries;
}

void GameMemoLibraryModel::ensureEntry(const GameMemoContext &context)
{
    if (m_entriesByKey.contains(context.key)) {
        return;
    }
    m_entriesByKey.insert(context.key,
        GameMemoEntry{context.key, context.applicationName, context.windowTitle, context.representativeGameName,
            QString(), m_now()});
    Q_EMIT entriesByKeyChanged();
}

void GameMemoLibraryModel::updateText(const QString &text, const GameMemoContext &context)
{
    GameMemoEntry entry = m_entriesByKey.value(context.key, GameMemoEntry{context.key, {}, {}, {}, {}, {}});
    entry.applicationName = context.applicationName;
    entry.windowTitle = context.windowTitle;
    entry.representativeGameName = context.representativeGameName;
    entry.text = text;
    noteEdited(std::move(entry));
}

void GameMemoLibraryModel::updateText(const QString &text, const GameWindowProfileKey &key)
{
    const auto existing = m_entriesByKey.constFind(key);
    if (existing == m_entriesByKey.constEnd()) {
        return;
    }
    GameMemoEntry entry = *existing;
    entry.text = text;
    noteEdited(std::move(entry));
}

void GameMemoLibraryModel::noteEdited(GameMemoEntry entry)
{
    entry.updatedAt = m_now();
    m_entriesByKey.insert(entry.key, std::move(entry));
    m_hasUnsavedEdits = true;
    Q_EMIT entriesByKeyChanged();
    setErrorMessage(std::nullopt);
    scheduleSave();
}

void GameMemoLibraryModel::scheduleSave()
{
    if (m_saveTask) {
        m_saveTask->cancel();
    }
    const Sleeper::Clock::time_point deadline = deadlineAfter(m_debounceNanoseconds);
    m_saveTask = startTaskOnActor(
        this,
        [deadline](QPointer<GameMemoLibraryModel> self, CancellationToken token) -> QCoro::Task<void> {
            const std::shared_ptr<Sleeper> sleeper = self->m_sleeper;
            co_await sleeper->sleepUntil(deadline, token);
            if (!self || token.isCancelled()) {
                co_return;
            }
            self->m_saveTask.reset();
            self->saveNow();
        },
        Logger("GameMemoLibrary"));
}

void GameMemoLibraryModel::saveNow()
{
    setSaving(true);
    if (!m_hasLoaded && !load()) {
        setErrorMessage(saveFailureMessage(*m_loadFailure));
        setSaving(false);
        return;
    }
    const QVector<GameMemoEntry> entries = sortedEntries();
    try {
        m_store->save(entries);
    } catch (...) {
        setErrorMessage(saveFailureMessage(currentErrorDescription()));
        setSaving(false);
        return;
    }
    QHash<GameWindowProfileKey, GameMemoEntry> saved;
    for (const GameMemoEntry &entry : entries) {
        saved.insert(entry.key, entry);
    }
    m_hasUnsavedEdits = false;
    m_entriesByKey = std::move(saved);
    Q_EMIT entriesByKeyChanged();
    setErrorMessage(std::nullopt);
    setSaving(false);
}

void GameMemoLibraryModel::flushPendingSave()
{
    if (m_saveTask) {
        m_saveTask->cancel();
        m_saveTask.reset();
    }
    saveNow();
}

void GameMemoLibraryModel::saveBeforeQuit()
{
    if (m_saveTask || m_hasUnsavedEdits) {
        flushPendingSave();
    }
}

void GameMemoLibraryModel::setErrorMessage(std::optional<ErrorMessage> message)
{
    if (message == m_errorMessage) {
        return;
    }
    m_errorMessage = std::move(message);
    Q_EMIT errorMessageChanged();
}

void GameMemoLibraryModel::setSaving(bool saving)
{
    if (saving == m_isSaving) {
        return;
    }
    m_isSaving = saving;
    Q_EMIT isSavingChanged(saving);
}

} // namespace veyra
