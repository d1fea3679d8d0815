#include "notes/model/GameMemoMerge.h"

#include <QMap>

#include <algorithm>

namespace veyra {

namespace {

const QString separator = QStringLiteral("\n\n");

QString besideSuffix(int number)
{
    return QStringLiteral(" (%1)").arg(number);
}

// Whether `key` is the note of `base`, or one made beside it for text it could not hold:
// only the names besideSuffix() gives count, not another window's own title that happens
// to go on in brackets ("Alpha (Remastered)" beside "Alpha").
bool belongsTo(const GameWindowProfileKey &key, const GameWindowProfileKey &base)
{
    if (!(key.applicationIdentity == base.applicationIdentity)) {
        return false;
    }
    if (key.windowTitle == base.windowTitle) {
        return true;
    }
    const QString prefix = base.windowTitle + QStringLiteral(" (");
    if (!key.windowTitle.startsWith(prefix) || !key.windowTitle.endsWith(QLatin1Char(')'))) {
        return false;
    }
    const QStringView number = QStringView(key.windowTitle).sliced(prefix.size()).chopped(1);
    bool isNumber = false;
    const int value = number.toInt(&isNumber);
    return isNumber && value >= 2 && number == QString::number(value);
}

// The versions that hold text no other one (nor a note beside) holds, newest first.
QVector<GameMemoEntry> distinctVersions(QVector<GameMemoEntry> candidates, const QStringList &besideTexts)
{
    // Longer texts first, so that a text held by another one meets it already kept.
    std::stable_sort(candidates.begin(), candidates.end(),
        [](const GameMemoEntry &a, const GameMemoEntry &b) { return a.text.size() > b.text.size(); });
    QVector<GameMemoEntry> kept;
    for (const GameMemoEntry &candidate : candidates) {
        const auto holds = [&candidate](const QString &text) { return text.contains(candidate.text); };
        const bool held = std::any_of(kept.cbegin(), kept.cend(), [&holds](const GameMemoEntry &entry) {
            return holds(entry.text);
        }) || std::any_of(besideTexts.cbegin(), besideTexts.cend(), holds);
        if (!held) {
            kept.append(candidate);
        }
    }
    std::stable_sort(kept.begin(), kept.end(),
        [](const GameMemoEntry &a, const GameMemoEntry &b) { return a.updatedAt > b.updatedAt; });
    return kept;
}

// Joins the versions, newest first, into as few notes as hold them: the first under
// `first`'s key, the next ones beside it.
QVector<GameMemoEntry> packedNotes(const QVector<GameMemoEntry> &versions)
{
    QVector<GameMemoEntry> notes;
    for (const GameMemoEntry &version : versions) {
        bool placed = false;
        for (GameMemoEntry &note : notes) {
            if (note.text.size() + separator.size() + version.text.size() <= GameMemoEntry::maximumTextLength) {
                note.text += separator + version.text;
                placed = true;
                break;
            }
        }
        if (!placed) {
            notes.append(version);
        }
    }
    return notes;
}

// The note under `key`, unless there is none or it is blank.
const GameMemoEntry *nonBlankNote(
    const QHash<GameWindowProfileKey, GameMemoEntry> &notes, const GameWindowProfileKey &key)
{
    const auto found = notes.constFind(key);
    return found == notes.constEnd() || found->hasBlankText() ? nullptr : &*found;
}

// `note` under the names of `names`.
GameMemoEntry withNamesOf(GameMemoEntry note, const GameMemoEntry &names)
{
    note.applicationName = names.applicationName;
    note.windowTitle = names.windowTitle;
    note.representativeGameName = names.representativeGameName;
    return note;
}

} // namespace

QHash<GameWindowProfileKey, GameMemoEntry> gameMemosByKey(const QVector<GameMemoEntry> &notes)
{
    QHash<GameWindowProfileKey, GameMemoEntry> result;
    for (const GameMemoEntry &entry : notes) {
        result.insert(entry.key, entry);
    }
    return result;
}

bool sameGameMemoContent(const GameMemoEntry *a, const GameMemoEntry *b)
{
    if (a != nullptr && a->hasBlankText()) {
        a = nullptr;
    }
    if (b != nullptr && b->hasBlankText()) {
        b = nullptr;
    }
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return a->text == b->text && a->applicationName == b->applicationName && a->windowTitle == b->windowTitle
        && a->representativeGameName == b->representativeGameName;
}

GameMemoChangesMerge mergedWithChangesElsewhere(const QHash<GameWindowProfileKey, GameMemoEntry> &base,
    const QVector<GameMemoEntry> &stored, const QHash<GameWindowProfileKey, GameMemoEntry> &changedHere)
{
    const QHash<GameWindowProfileKey, GameMemoEntry> storedByKey = gameMemosByKey(stored);
    GameMemoChangesMerge merge;
    for (const GameMemoEntry &entry : stored) {
        if (!entry.hasBlankText()) {
            merge.notes.insert(entry.key, entry);
        }
    }
    QVector<GameMemoEntry> alsoChangedThere;
    for (auto change = changedHere.cbegin(); change != changedHere.cend(); ++change) {
        const GameWindowProfileKey &key = change.key();
        const GameMemoEntry *before = nonBlankNote(base, key);
        const GameMemoEntry *here = change->hasBlankText() ? nullptr : &*change;
        const GameMemoEntry *there = nonBlankNote(storedByKey, key);
        if (sameGameMemoContent(here, before)) {
            // Not changed here after all (a key typed and taken back): the store's note
            // stays, whatever happened to it there, and nothing is written from memory.
            continue;
        }
        if (sameGameMemoContent(there, before) || there == nullptr) {
            // Changed only here (there at most its date), or deleted there and written
            // again here.
            if (here != nullptr) {
                merge.notes.insert(key, *here);
            } else {
                merge.notes.remove(key);
            }
        } else if (here == nullptr) {
            // Cleared here but changed there: the text written there stays.
            merge.keptBothTexts = true;
        } else if (before != nullptr && here->text == before->text) {
            // Only the names changed here: the text written there, under them.
            merge.notes.insert(key, withNamesOf(*there, *here));
        } else if (here->text != there->text) {
            alsoChangedThere.append(*here);
        }
        // The same text on both sides: the store's note stays.
    }
    if (!alsoChangedThere.isEmpty()) {
        const qsizetype notes = merge.notes.size();
        merge.notes = mergedGameMemos(merge.notes.values(), alsoChangedThere);
        // Unless the text here held the one there (names changed there, say).
        merge.keptBothTexts = merge.keptBothTexts || merge.notes.size() != notes
            || std::any_of(alsoChangedThere.cbegin(), alsoChangedThere.cend(),
                [&merge](const GameMemoEntry &here) { return merge.notes.value(here.key).text != here.text; });
    }
    return merge;
}

QHash<GameWindowProfileKey, GameMemoEntry> mergedGameMemos(
    const QVector<GameMemoEntry> &stored, const QVector<GameMemoEntry> &versions)
{
    QHash<GameWindowProfileKey, GameMemoEntry> merged = gameMemosByKey(stored);
    // The added versions of each game, in the order of the keys so that notes beside
    // are named the same way whatever the order of the versions.
    QMap<GameWindowProfileKey, QVector<GameMemoEntry>> added;
    for (const GameMemoEntry &version : versions) {
        if (!version.hasBlankText()) {
            added[version.key].append(version);
        }
    }
    for (auto group = added.cbegin(); group != added.cend(); ++group) {
        const GameWindowProfileKey &key = group.key();
        QVector<GameMemoEntry> candidates = group.value();
        const auto existing = merged.constFind(key);
        if (existing != merged.cend() && !existing->hasBlankText()) {
            candidates.prepend(*existing);
        }
        QStringList besideTexts;
        for (const GameMemoEntry &entry : std::as_const(merged)) {
            if (!(entry.key == key) && belongsTo(entry.key, key)) {
                besideTexts.append(entry.text);
            }
        }
        const QVector<GameMemoEntry> distinct = distinctVersions(candidates, besideTexts);
        if (distinct.isEmpty()) {
            continue;
        }
        const QVector<GameMemoEntry> notes = packedNotes(distinct);
        merged.insert(key, notes.first());
        int number = 2;
        for (qsizetype index = 1; index < notes.size(); ++index) {
            GameMemoEntry beside = notes.at(index);
            while (merged.contains({key.applicationIdentity, key.windowTitle + besideSuffix(number)})) {
                ++number;
            }
            beside.key = {key.applicationIdentity, key.windowTitle + besideSuffix(number)};
            beside.windowTitle += besideSuffix(number);
            if (beside.representativeGameName && !beside.representativeGameName->trimmed().isEmpty()) {
                *beside.representativeGameName += besideSuffix(number);
            }
            merged.insert(beside.key, beside);
        }
    }
    return merged;
}

QHash<GameWindowProfileKey, GameMemoEntry> withKeptGameMemos(const QHash<GameWindowProfileKey, GameMemoEntry> &notes,
    const QVector<GameMemoEntry> &kept, const std::optional<QVector<GameMemoEntry>> &lastRead)
{
    if (!lastRead) {
        return mergedGameMemos(notes.values(), kept);
    }
    QHash<GameWindowProfileKey, GameMemoEntry> merged
        = mergedWithChangesElsewhere(gameMemosByKey(*lastRead), notes.values(), gameMemosByKey(kept)).notes;
    // The blank notes held stay as they were.
    for (auto note = notes.cbegin(); note != notes.cend(); ++note) {
        if (note->hasBlankText() && !merged.contains(note.key())) {
            merged.insert(note.key(), *note);
        }
    }
    return merged;
}

} // namespace veyra
