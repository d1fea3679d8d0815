#include "notes/model/GameMemoLibraryModel.h"

#include "foundation/errors/Error.h"
#include "foundation/language/LocalizedString.h"
#include "foundation/logging/Logger.h"
#include "foundation/text/Graphemes.h"
#include "notes/model/GameMemoMerge.h"
#include "notes/store/GameMemoStoreDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QSet>

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

const char *const broughtBackNotice
    = QT_TRANSLATE_NOOP("Veyra", "The notes kept aside earlier are back in your notes.");
const char *const leftAloneNotice = QT_TRANSLATE_NOOP(
    "Veyra", "Some notes kept beside “%@” couldn't be brought back, so Veyra left their files as they are.");
const char *const broughtBackAndLeftAloneNotice = QT_TRANSLATE_NOOP("Veyra",
    "The notes kept aside earlier are back in your notes, but some kept beside “%@” couldn't be brought back, so "
    "Veyra left their files as they are.");
const char *const noRoomNotice = QT_TRANSLATE_NOOP("Veyra",
    "Some notes kept aside couldn't be brought back: with them, your notes would take more than the notes file may "
    "hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its "
    "next start.");
const char *const broughtBackButNoRoomNotice = QT_TRANSLATE_NOOP("Veyra",
    "The notes kept aside earlier are back in your notes, except some that would take more than the notes file may "
    "hold. Veyra left their files as they are; once you delete notes you no longer need, it brings them back at its "
    "next start.");
// Two sentences of a notice, one after the other.
const char *const twoSentences = QT_TRANSLATE_NOOP("Veyra", "%@ %@");
const char *const changedElsewhereNotice = QT_TRANSLATE_NOOP("Veyra",
    "Your notes were also changed elsewhere (on another computer, say): where the same note was changed on both "
    "sides, Veyra kept both texts in it, the newest first.");
const char *const keptChangingReason = QT_TRANSLATE_NOOP(
    "Veyra", "Another program kept changing the game notes file “%@” while Veyra was saving the notes.");

// The note under `key`, or none.
const GameMemoEntry *noteOf(const QHash<GameWindowProfileKey, GameMemoEntry> &notes, const GameWindowProfileKey &key)
{
    const auto found = notes.constFind(key);
    return found == notes.constEnd() ? nullptr : &*found;
}

// Those of `notes` that `held` does not hold as they say (blank ones: that it holds
// with text): new, changed and cleared ones.
QVector<GameMemoEntry> notesNotHeld(const QVector<GameMemoEntry> &notes, const QVector<GameMemoEntry> &held)
{
    const QHash<GameWindowProfileKey, GameMemoEntry> heldByKey = gameMemosByKey(held);
    QVector<GameMemoEntry> missing;
    for (const GameMemoEntry &note : notes) {
        if (!sameGameMemoContent(&note, noteOf(heldByKey, note.key))) {
            missing.append(note);
        }
    }
    return missing;
}

// The keys whose notes say something else in `notes` than in `other` (either way).
QSet<GameWindowProfileKey> keysThatDiffer(
    const QHash<GameWindowProfileKey, GameMemoEntry> &notes, const QHash<GameWindowProfileKey, GameMemoEntry> &other)
{
    QSet<GameWindowProfileKey> keys;
    for (const QHash<GameWindowProfileKey, GameMemoEntry> *side : {&notes, &other}) {
        for (auto note = side->cbegin(); note != side->cend(); ++note) {
            if (!sameGameMemoContent(noteOf(notes, note.key()), noteOf(other, note.key()))) {
                keys.insert(note.key());
            }
        }
    }
    return keys;
}

bool isNewer(const GameMemoEntry &a, const GameMemoEntry &b)
{
    if (a.updatedAt != b.updatedAt) {
        return a.updatedAt > b.updatedAt;
    }
    return a.key < b.key;
}

// The non-blank notes.
QVector<GameMemoEntry> withoutBlankNotes(const QVector<GameMemoEntry> &notes)
{
    QVector<GameMemoEntry> result;
    for (const GameMemoEntry &entry : notes) {
        if (!entry.hasBlankText()) {
            result.append(entry);
        }
    }
    return result;
}

QVector<GameMemoEntry> newestFirst(const QHash<GameWindowProfileKey, GameMemoEntry> &notes)
{
    QVector<GameMemoEntry> entries;
    entries.reserve(notes.size());
    for (const GameMemoEntry &entry : notes) {
        if (!entry.hasBlankText()) {
            entries.append(entry);
        }
    }
    std::sort(entries.begin(), entries.end(), isNewer);
    return entries;
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
        qCWarning(Logger("GameMemoLibrary")).noquote()
            << QStringLiteral("Veyra couldn't load the game notes from %1: %2 Nothing will be written over them; "
                              "notes typed meanwhile are kept beside them.")
                   .arg(m_store->location(), m_loadFailure->localized());
        // Read again shortly: the file may have been caught while it was written. Only then
        // is the player told.
        readFailed(*m_loadFailure, FailedRead::mayBeRetried);
    } else if (m_hasUnsavedEdits) {
        // Notes kept aside came back: written at once, so that their copies can go.
        saveNow();
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
    cancelRetry();
}

bool GameMemoLibraryModel::load()
{
    QVector<GameMemoEntry> stored;
    try {
        stored = m_store->load();
        requireUniqueGameMemoKeys(stored);
    } catch (...) {
        m_loadFailure = currentErrorDescription();
        return false;
    }
    forgetFailedReads();
    // Everything typed meanwhile is a version to add; the empty notes of open editors stay.
    QVector<GameMemoEntry> versions;
    QHash<GameWindowProfileKey, GameMemoEntry> empty;
    for (const GameMemoEntry &entry : std::as_const(m_entriesByKey)) {
        if (entry.hasBlankText()) {
            empty.insert(entry.key, entry);
        } else {
            versions.append(entry);
        }
    }
    const bool typedMeanwhile = !versions.isEmpty();
    const QHash<GameWindowProfileKey, GameMemoEntry> storedByKey = gameMemosByKey(stored);
    QHash<GameWindowProfileKey, GameMemoEntry> notes = storedByKey;
    const bool broughtBack = bringBackKeptCopies(stored, versions, notes);
    m_entriesByKey = mergedGameMemos(notes.values(), versions);
    for (const GameMemoEntry &entry : std::as_const(empty)) {
        if (!m_entriesByKey.contains(entry.key)) {
            m_entriesByKey.insert(entry.key, entry);
        }
    }
    if (typedMeanwhile || broughtBack) {
        m_hasUnsavedEdits = true;
        // Cleared notes included: a copy may have cleared a note.
        m_unsavedKeys.unite(keysThatDiffer(m_entriesByKey, storedByKey));
        // The copies hold parts of what memory holds now.
        m_keptAsideIsCurrent = false;
    }
    m_baseByKey = storedByKey;
    m_hasLoaded = true;
    m_loadFailure.reset();
    Q_EMIT entriesByKeyChanged();
    return true;
}

bool GameMemoLibraryModel::bringBackKeptCopies(const QVector<GameMemoEntry> &stored,
    const QVector<GameMemoEntry> &versions, QHash<GameWindowProfileKey, GameMemoEntry> &notes)
{
    const Logger logger("GameMemoLibrary");
    QVector<KeptGameMemoCopy> copies;
    try {
        copies = m_store->loadKeptAside();
    } catch (...) {
        qCWarning(logger).noquote() << QStringLiteral("Veyra couldn't look for notes kept aside beside %1: %2")
                                           .arg(m_store->location(), currentErrorDescription().localized());
        return false;
    }
    bool leftAlone = false;
    QVector<const KeptGameMemoCopy *> readable;
    for (const KeptGameMemoCopy &copy : std::as_const(copies)) {
        // This run's own copies hold nothing that memory lacks; they go with the next save.
        if (m_keptAsidePaths.contains(copy.location)) {
            continue;
        }
        if (copy.error) {
            leftAlone = true;
            qCWarning(logger).noquote() << QStringLiteral("Veyra couldn't bring back the notes kept in %1: %2 The file "
                                                          "is left as it is.")
                                               .arg(copy.location, ErrorMessage::describing(copy.error).localized());
            continue;
        }
        readable.append(&copy);
    }
    // What comes back must be written back: the copies come back only as far as the
    // store holds them with the notes (all at once, as a rule), and the others stay as
    // they are until a later start finds room for them.
    const auto canHoldWithTyped = [this, &versions](const QHash<GameWindowProfileKey, GameMemoEntry> &merged) {
        return m_store->canHold(newestFirst(mergedGameMemos(merged.values(), versions)));
    };
    QHash<GameWindowProfileKey, GameMemoEntry> all = notes;
    for (const KeptGameMemoCopy *copy : std::as_const(readable)) {
        all = withKeptGameMemos(all, copy->entries, copy->lastRead);
    }
    const bool allFit = readable.isEmpty() || canHoldWithTyped(all);
    bool leftForRoom = false;
    for (const KeptGameMemoCopy *copy : std::as_const(readable)) {
        QHash<GameWindowProfileKey, GameMemoEntry> with = withKeptGameMemos(notes, copy->entries, copy->lastRead);
        if (!allFit && !canHoldWithTyped(with)) {
            leftForRoom = true;
            qCWarning(logger).noquote() << QStringLiteral("Veyra left the notes kept in %1 for later: with them, the "
                                                          "game notes would take more than %2 may hold.")
                                               .arg(copy->location, m_store->location());
            keepOnlyWhatIsNotStored(*copy, stored);
            continue;
        }
        notes = std::move(with);
        m_broughtBackPaths.append(copy->location);
        qCInfo(logger).noquote() << QStringLiteral("Veyra brought back the notes kept in %1.").arg(copy->location);
    }
    const bool broughtBack = !m_broughtBackPaths.isEmpty() || (!m_keptAsidePaths.isEmpty() && !versions.isEmpty());
    const ErrorMessage notesFile = verbatim(QDir::toNativeSeparators(m_store->location()));
    std::optional<ErrorMessage> notice;
    if (leftForRoom) {
        notice = ErrorMessage::text(broughtBack ? broughtBackButNoRoomNotice : noRoomNotice);
        if (leftAlone) {
            notice = ErrorMessage::text(twoSentences, {*notice, ErrorMessage::text(leftAloneNotice, {notesFile})});
        }
    } else if (broughtBack && leftAlone) {
        notice = ErrorMessage::text(broughtBackAndLeftAloneNotice, {notesFile});
    } else if (broughtBack) {
        notice = ErrorMessage::text(broughtBackNotice);
    } else if (leftAlone) {
        notice = ErrorMessage::text(leftAloneNotice, {notesFile});
    }
    if (notice) {
        setNotice(std::move(notice));
    }
    return !m_broughtBackPaths.isEmpty();
}

void GameMemoLibraryModel::keepOnlyWhatIsNotStored(const KeptGameMemoCopy &copy, const QVector<GameMemoEntry> &stored)
{
    // A copy made of all the notes (by an earlier version, or while the file could not be
    // read) holds notes the file holds as they are: without them, it comes back once there
    // is room for the rest, and brings back no note deleted since.
    const QVector<GameMemoEntry> unstored = notesNotHeld(copy.entries, stored);
    if (unstored.isEmpty() || unstored.size() == copy.entries.size()) {
        return;
    }
    try {
        m_store->keepAside(unstored, copy.lastRead, m_now(), {copy.location});
    } catch (...) {
        qCWarning(Logger("GameMemoLibrary")).noquote()
            << QStringLiteral("Veyra couldn't take the notes stored in %1 out of %2: %3")
                   .arg(m_store->location(), copy.location, currentErrorDescription().localized());
    }
}

QVector<GameMemoEntry> GameMemoLibraryModel::sortedEntries() const
{
    return newestFirst(m_entriesByKey);
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
    entry.text.truncate(wholeCharactersLength(entry.text, GameMemoEntry::maximumTextLength));
    entry.updatedAt = m_now();
    m_unsavedKeys.insert(entry.key);
    m_entriesByKey.insert(entry.key, std::move(entry));
    m_hasUnsavedEdits = true;
    m_hasUnkeptEdits = true;
    m_keptAsideIsCurrent = false;
    if (!m_firstUnwrittenEditAt) {
        m_firstUnwrittenEditAt = m_steadyNow();
    }
    Q_EMIT entriesByKeyChanged();
    setErrorMessage(std::nullopt);
    setNotice(std::nullopt);
    scheduleSave();
}

void GameMemoLibraryModel::scheduleSave()
{
    if (m_saveTask) {
        m_saveTask->cancel();
    }
    // The save of the edit tries again as well.
    cancelRetry();
    // The delay starts again at every edit, but never runs past the longest wait after the
    // first edit that is not written yet.
    const Sleeper::Clock::time_point deadline = std::min(deadlineAfter(m_steadyNow(), m_debounceNanoseconds),
        deadlineAfter(m_firstUnwrittenEditAt.value_or(m_steadyNow()), longestWaitNanoseconds));
    m_saveTask = startAt(deadline, &GameMemoLibraryModel::m_saveTask, &GameMemoLibraryModel::saveNow);
}

void GameMemoLibraryModel::scheduleRetry()
{
    if (m_retryTask || m_saveTask) {
        return;
    }
    const Sleeper::Clock::time_point deadline = deadlineAfter(m_steadyNow(), retryNanoseconds);
    m_retryTask = startAt(deadline, &GameMemoLibraryModel::m_retryTask, &GameMemoLibraryModel::retry);
}

void GameMemoLibraryModel::retry()
{
    if (m_hasUnsavedEdits) {
        saveNow();
    }
}

void GameMemoLibraryModel::scheduleReread(Sleeper::Clock::time_point settledAt)
{
    // A pending save reads again anyway.
    if (m_saveTask) {
        return;
    }
    cancelRetry();
    ++m_rereads;
    const Sleeper::Clock::time_point deadline = std::min(deadlineAfter(m_steadyNow(), rereadNanoseconds), settledAt);
    m_retryTask = startAt(deadline, &GameMemoLibraryModel::m_retryTask, &GameMemoLibraryModel::saveNow);
}

void GameMemoLibraryModel::forgetFailedReads()
{
    m_readsFailingSince.reset();
    m_rereads = 0;
}

void GameMemoLibraryModel::readFailed(const ErrorMessage &reason, FailedRead failedRead)
{
    // With nothing changed here there is nothing to write nor to keep: the notes stay as
    // last read, and nothing is said. Only notes never loaded are read again (a file
    // caught while it is written as Veyra starts).
    const bool changed = !changedHereNotes().isEmpty();
    if (!changed && m_hasLoaded) {
        return;
    }
    const Sleeper::Clock::time_point now = m_steadyNow();
    if (!m_readsFailingSince) {
        m_readsFailingSince = now;
    }
    const Sleeper::Clock::time_point settledAt = deadlineAfter(*m_readsFailingSince, readSettleNanoseconds);
    // Counted as well as timed, so that the grace ends after as many reads however the
    // clock goes.
    constexpr std::uint64_t maximumRereads = readSettleNanoseconds / rereadNanoseconds;
    if (failedRead == FailedRead::mayBeRetried && m_rereads < maximumRereads && now < settledAt) {
        // Not yet a verdict (a file caught while another program writes it in place, say):
        // read again shortly, and only then keep the changes aside and say so.
        scheduleReread(settledAt);
        return;
    }
    if (!changed) {
        // Nothing to decide: the next failure gets its own time. Notes never loaded are
        // not there to show: that is said now.
        if (!m_hasLoaded) {
            setErrorMessage(reason);
        }
        forgetFailedReads();
        return;
    }
    // The failure counts from now on, until a read succeeds.
    m_rereads = maximumRereads;
    saveFailed(reason);
}

ActorTask GameMemoLibraryModel::startAt(Sleeper::Clock::time_point deadline,
    std::optional<ActorTask> GameMemoLibraryModel::*task, void (GameMemoLibraryModel::*action)())
{
    return startTaskOnActor(
        this,
        [deadline, task, action](QPointer<GameMemoLibraryModel> self, CancellationToken token) -> QCoro::Task<void> {
            const std::shared_ptr<Sleeper> sleeper = self->m_sleeper;
            co_await sleeper->sleepUntil(deadline, token);
            if (!self || token.isCancelled()) {
                co_return;
            }
            ((*self).*task).reset();
            ((*self).*action)();
        },
        Logger("GameMemoLibrary"));
}

void GameMemoLibraryModel::cancelRetry()
{
    if (m_retryTask) {
        m_retryTask->cancel();
        m_retryTask.reset();
    }
}

void GameMemoLibraryModel::saveNow()
{
    save(FailedRead::mayBeRetried);
}

void GameMemoLibraryModel::save(FailedRead failedRead)
{
    setSaving(true);
    m_firstUnwrittenEditAt.reset();
    if (!m_hasLoaded && !load()) {
        readFailed(*m_loadFailure, failedRead);
        setSaving(false);
        return;
    }
    GameMemoChangesMerge merge;
    for (int round = 1;; ++round) {
        StoredGameMemos stored;
        try {
            stored = m_store->read();
            if (stored.entries) {
                requireUniqueGameMemoKeys(*stored.entries);
            }
        } catch (...) {
            readFailed(currentErrorDescription(), failedRead);
            setSaving(false);
            return;
        }
        forgetFailedReads();
        try {
            merge = mergedWithStored(stored.entries);
            // With nothing of this run's to add, what the store holds stays as it is,
            // replaced from outside (a sync tool, another machine) included, and memory
            // takes it. Otherwise the merge replaces only what it read.
            if (merge.notes == gameMemosByKey(withoutBlankNotes(stored.entries.value_or(QVector<GameMemoEntry>())))
                || m_store->saveIfUnchanged(newestFirst(merge.notes), stored.revision)) {
                break;
            }
        } catch (...) {
            saveFailed(currentErrorDescription());
            setSaving(false);
            return;
        }
        // Written from outside since the read: merged again with what is there now.
        if (round == maximumMergeRounds) {
            readFailed(
                ErrorMessage::text(keptChangingReason, {verbatim(QDir::toNativeSeparators(m_store->location()))}),
                failedRead);
            setSaving(false);
            return;
        }
    }
    saveSucceeded(merge.notes);
    if (merge.keptBothTexts) {
        setNotice(ErrorMessage::text(changedElsewhereNotice));
    }
    setSaving(false);
}

GameMemoChangesMerge GameMemoLibraryModel::mergedWithStored(const std::optional<QVector<GameMemoEntry>> &stored) const
{
    // With nothing stored at all (the file removed from outside, by a sync tool between
    // its removal and its new copy, say) no note was deleted elsewhere: the notes as last
    // read or written come back with the changes made here.
    const QVector<GameMemoEntry> current = stored ? *stored : m_baseByKey.values();
    QHash<GameWindowProfileKey, GameMemoEntry> changedHere;
    for (const GameWindowProfileKey &key : std::as_const(m_unsavedKeys)) {
        changedHere.insert(key, m_entriesByKey.value(key, GameMemoEntry{key, {}, {}, {}, {}, {}}));
    }
    return mergedWithChangesElsewhere(m_baseByKey, current, changedHere);
}

void GameMemoLibraryModel::saveFailed(const ErrorMessage &reason)
{
    // What was changed here (blank where cleared) is kept aside when it would be lost
    // otherwise (edits not kept yet, or a stored copy that can no longer be read), with
    // what this run last read of it, so that bringing it back merges three ways: a note
    // deleted elsewhere stays deleted, a text not changed here comes not twice. What the
    // store holds as it is, is not kept.
    const QVector<GameMemoEntry> changed = changedHereNotes();
    std::optional<ErrorMessage> keepFailure;
    if (!changed.isEmpty() && !m_keptAsideIsCurrent) {
        QVector<GameMemoEntry> unkept = changed;
        bool storeRead = false;
        if (m_hasLoaded) {
            try {
                const StoredGameMemos held = m_store->read();
                storeRead = true;
                if (held.entries) {
                    unkept = notesNotHeld(changed, *held.entries);
                } else {
                    // No file at all (removed from outside): the notes not changed here are
                    // in memory only, and go too, as notes of their own.
                    QSet<GameWindowProfileKey> keys;
                    for (const GameMemoEntry &note : changed) {
                        keys.insert(note.key);
                    }
                    for (const GameMemoEntry &note : sortedEntries()) {
                        if (!keys.contains(note.key)) {
                            unkept.append(note);
                        }
                    }
                    std::sort(unkept.begin(), unkept.end(), isNewer);
                }
            } catch (...) { }
        }
        if (unkept.isEmpty()) {
            // The store holds every change as it is.
            m_hasUnkeptEdits = false;
        } else if (m_hasUnkeptEdits || !storeRead) {
            QVector<GameMemoEntry> lastRead;
            for (const GameMemoEntry &note : changed) {
                if (const GameMemoEntry *read = noteOf(m_baseByKey, note.key);
                    read != nullptr && !read->hasBlankText()) {
                    lastRead.append(*read);
                }
            }
            try {
                m_keptAsidePaths = m_store->keepAside(unkept, lastRead, m_now(), m_keptAsidePaths);
                m_keptAsideIsCurrent = true;
                m_hasUnkeptEdits = false;
            } catch (...) {
                keepFailure = currentErrorDescription();
            }
        }
    }
    const bool kept = !changed.isEmpty() && m_keptAsideIsCurrent && !m_keptAsidePaths.isEmpty();
    // One failure is one reason with one outcome for the notes; a copy that cannot be made
    // under each new name is still the same failure.
    const QString failure = reason.localized();
    if (keepFailure) {
        logFailureOnce(QtCriticalMsg, failure,
            QStringLiteral("Veyra couldn't write the game notes to %1 (%2) nor keep them aside: %3")
                .arg(m_store->location(), failure, keepFailure->localized()));
        // Nowhere else either: the player must know that quitting now loses the edits.
        setErrorMessage(ErrorMessage::text(QT_TRANSLATE_NOOP("Veyra",
                                               "Veyra couldn't save the note: %@ Nor could it keep what you typed "
                                               "anywhere else, so for now it is only in this window."),
            {reason}));
    } else if (kept) {
        const QString copies = m_keptAsidePaths.join(QStringLiteral(", "));
        logFailureOnce(QtWarningMsg, failure + copies,
            QStringLiteral("Veyra couldn't write the game notes to %1 (%2); the notes typed are kept in %3")
                .arg(m_store->location(), failure, copies));
        setErrorMessage(keptAsideMessage(reason));
    } else {
        logFailureOnce(QtWarningMsg, failure,
            QStringLiteral("Veyra couldn't write the game notes to %1: %2").arg(m_store->location(), failure));
        setErrorMessage(saveFailureMessage(reason));
    }
    if (m_hasUnsavedEdits) {
        scheduleRetry();
    }
}

void GameMemoLibraryModel::saveSucceeded(QHash<GameWindowProfileKey, GameMemoEntry> saved)
{
    const Logger logger("GameMemoLibrary");
    // A note held as it is stored keeps its date to the millisecond while the process runs.
    for (auto note = saved.begin(); note != saved.end(); ++note) {
        const auto held = m_entriesByKey.constFind(note.key());
        if (held != m_entriesByKey.constEnd() && held->toJson() == note->toJson()) {
            *note = *held;
        }
    }
    m_hasUnsavedEdits = false;
    m_hasUnkeptEdits = false;
    m_unsavedKeys.clear();
    cancelRetry();
    if (!m_loggedFailure.isEmpty()) {
        qCInfo(logger).noquote() << QStringLiteral("Veyra wrote the game notes to %1 again.").arg(m_store->location());
        m_loggedFailure.clear();
    }
    // The copies kept aside hold nothing the stored notes lack now.
    for (const QString &copy : m_broughtBackPaths + m_keptAsidePaths) {
        try {
            m_store->removeKeptAside(copy);
        } catch (...) {
            qCWarning(logger).noquote() << QStringLiteral("Veyra couldn't remove %1, whose notes are written to %2: %3")
                                               .arg(copy, m_store->location(), currentErrorDescription().localized());
        }
    }
    m_broughtBackPaths.clear();
    m_keptAsidePaths.clear();
    m_keptAsideIsCurrent = false;
    m_baseByKey = saved;
    if (saved != m_entriesByKey) {
        m_entriesByKey = std::move(saved);
        Q_EMIT entriesByKeyChanged();
    }
    setErrorMessage(std::nullopt);
}

QVector<GameMemoEntry> GameMemoLibraryModel::changedHereNotes() const
{
    QVector<GameMemoEntry> changed;
    for (const GameWindowProfileKey &key : m_unsavedKeys) {
        const GameMemoEntry *here = noteOf(m_entriesByKey, key);
        const GameMemoEntry *read = noteOf(m_baseByKey, key);
        // Typed and taken back, or only dated anew: not changed.
        if (sameGameMemoContent(here, read)) {
            continue;
        }
        GameMemoEntry note = here != nullptr ? *here : *read;
        if (here == nullptr) {
            note.text.clear();
        }
        changed.append(std::move(note));
    }
    std::sort(changed.begin(), changed.end(), isNewer);
    return changed;
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
    if (m_saveTask) {
        m_saveTask->cancel();
        m_saveTask.reset();
    }
    // A failed save keeps the edits aside at once; nothing is tried again after the quit.
    save(FailedRead::isAVerdict);
    cancelRetry();
}

ErrorMessage GameMemoLibraryModel::keptAsideMessage(const ErrorMessage &reason) const
{
    if (m_keptAsidePaths.size() == 1) {
        return ErrorMessage::text(
            QT_TRANSLATE_NOOP("Veyra", "Veyra couldn't save the note: %@ What you typed is kept in “%@”."),
            {reason, verbatim(QDir::toNativeSeparators(m_keptAsidePaths.first()))});
    }
    return ErrorMessage::text(
        QT_TRANSLATE_NOOP(
            "Veyra", "Veyra couldn't save the note: %@ What you typed is kept in the files from “%@” to “%@”."),
        {reason, verbatim(QDir::toNativeSeparators(m_keptAsidePaths.first())),
            verbatim(QDir::toNativeSeparators(m_keptAsidePaths.last()))});
}

void GameMemoLibraryModel::logFailureOnce(QtMsgType type, const QString &failure, const QString &line)
{
    const QString logged = QString::number(type) + QLatin1Char(' ') + failure;
    if (logged == m_loggedFailure) {
        return;
    }
    m_loggedFailure = logged;
    const Logger logger("GameMemoLibrary");
    if (type == QtCriticalMsg) {
        qCCritical(logger).noquote() << line;
    } else {
        qCWarning(logger).noquote() << line;
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

void GameMemoLibraryModel::setNotice(std::optional<ErrorMessage> notice)
{
    if (notice == m_notice) {
        return;
    }
    m_notice = std::move(notice);
    Q_EMIT noticeChanged();
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
