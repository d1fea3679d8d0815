#include "notes/model/GameMemoLibraryModel.h"

#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"
#include "notes/store/GameMemoStoreDocument.h"

#include <QCoreApplication>
#include <QDir>

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

// The instant `nanoseconds` after `from`, without overflowing on huge delays.
Sleeper::Clock::time_point deadlineAfter(Sleeper::Clock::time_point from, std::uint64_t nanoseconds)
{
    const auto room = static_cast<std::uint64_t>((Sleeper::Clock::time_point::max() - from).count());
    return from + Sleeper::Clock::duration(static_cast<Sleeper::Clock::rep>(std::min(nanoseconds, room)));
}

// A text shown as it is, in every language (a path).
ErrorMessage verbatim(const QString &text)
{
    return ErrorMessage::describing(std::make_exception_ptr(Error(text)));
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
    std::shared_ptr<Sleeper> sleeper, Now now, SteadyNow steadyNow, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_debounceNanoseconds(debounceNanoseconds)
    , m_sleeper(std::move(sleeper))
    , m_now(now ? std::move(now) : Now([] { return QDateTime::currentDateTimeUtc(); }))
    , m_steadyNow(steadyNow ? std::move(steadyNow) : SteadyNow([] { return Sleeper::Clock::now(); }))
{
    if (!load()) {
        m_errorMessage = m_loadFailure;
        qCWarning(Logger("GameMemoLibrary")).noquote()
            << QStringLiteral("Veyra couldn't load the game notes from %1: %2 Nothing will be written over them; "
                              "notes typed meanwhile are kept beside them.")
                   .arg(m_store->location(), m_loadFailure->localized());
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
    std::sort(entries.begin(), entries.end(), [](const GameMemoEntry &a, const GameMemoEntry &b) {
        if (a.updatedAt != b.updatedAt) {
            return a.updatedAt > b.updatedAt;
        }
        return a.key < b.key;
    });
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
    entry.text.truncate(GameMemoEntry::maximumTextLength);
    entry.updatedAt = m_now();
    m_entriesByKey.insert(entry.key, std::move(entry));
    m_hasUnsavedEdits = true;
    m_keptAsideIsCurrent = false;
    if (!m_firstUnwrittenEditAt) {
        m_firstUnwrittenEditAt = m_steadyNow();
    }
    Q_EMIT entriesByKeyChanged();
    setErrorMessage(std::nullopt);
    scheduleSave();
}

void GameMemoLibraryModel::scheduleSave()
{
    if (m_saveTask) {
        m_saveTask->cancel();
    }
    // The delay starts again at every edit, but never runs past the longest wait after the
    // first edit that is not written yet.
    const Sleeper::Clock::time_point deadline = std::min(deadlineAfter(m_steadyNow(), m_debounceNanoseconds),
        deadlineAfter(m_firstUnwrittenEditAt.value_or(m_steadyNow()), longestWaitNanoseconds));
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
    m_firstUnwrittenEditAt.reset();
    if (!m_hasLoaded && !load()) {
        m_lastSaveFailure = m_loadFailure;
        setErrorMessage(sortedEntries().isEmpty() ? saveFailureMessage(*m_loadFailure) : keepAside(*m_loadFailure));
        setSaving(false);
        return;
    }
    const QVector<GameMemoEntry> entries = sortedEntries();
    try {
        m_store->save(entries);
    } catch (...) {
        m_lastSaveFailure = currentErrorDescription();
        setErrorMessage(saveFailureMessage(*m_lastSaveFailure));
        setSaving(false);
        return;
    }
    QHash<GameWindowProfileKey, GameMemoEntry> saved;
    for (const GameMemoEntry &entry : entries) {
        saved.insert(entry.key, entry);
    }
    m_hasUnsavedEdits = false;
    m_lastSaveFailure.reset();
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
    if (!m_saveTask && !m_hasUnsavedEdits) {
        return;
    }
    flushPendingSave();
    if (m_hasUnsavedEdits && m_lastSaveFailure && !sortedEntries().isEmpty()) {
        keepAside(*m_lastSaveFailure);
    }
}

ErrorMessage GameMemoLibraryModel::keepAside(const ErrorMessage &reason)
{
    const auto keptMessage = [this, &reason] {
        return ErrorMessage::text(
            QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save the note: %@ What you typed is kept in “%@”."),
            {reason, verbatim(QDir::toNativeSeparators(m_keptAsidePath))});
    };
    if (m_keptAsideIsCurrent) {
        return keptMessage();
    }
    try {
        m_keptAsidePath = m_store->keepAside(sortedEntries(), m_now(), m_keptAsidePath);
    } catch (...) {
        const ErrorMessage failure = currentErrorDescription();
        qCCritical(Logger("GameMemoLibrary")).noquote()
            << QStringLiteral("Veyra couldn't write the game notes to %1 (%2) nor keep them aside: %3")
                   .arg(m_store->location(), reason.localized(), failure.localized());
        return saveFailureMessage(reason);
    }
    m_keptAsideIsCurrent = true;
    qCWarning(Logger("GameMemoLibrary")).noquote()
        << QStringLiteral("Veyra couldn't write the game notes to %1 (%2); the notes typed are kept in %3")
               .arg(m_store->location(), reason.localized(), m_keptAsidePath);
    return keptMessage();
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
