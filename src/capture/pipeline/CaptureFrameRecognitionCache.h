#pragma once

#include <QImage>
#include <QString>
#include <QVector>

#include <optional>

namespace veyra {

// The dialogue boxes read on the previous pass of one capture run, with their texts, by
// the area's position in the profile. While a box stays identical to the pixel, its text
// is the text read then (recognition is deterministic), so it is not read again.
// Belongs to one run; used on the GUI thread. Copies of the entries are cheap (images and
// texts are shared) and may be read on any thread.
class CaptureFrameRecognitionCache
{
public:
    struct Entry
    {
        QString areaID;
        // Pixels of its own, never a view of a frame: a frame's memory is reused for
        // the next capture.
        QImage boxImage;
        // The normalised text read from the box; may be empty.
        QString text;
    };
    using Entries = QVector<std::optional<Entry>>;

    const Entries &entries() const { return m_entries; }

    // Replaces everything: what was not read on the latest pass is forgotten.
    void replace(Entries entries) { m_entries = std::move(entries); }

    // What is remembered for the area at `areaIndex` when its box is identical to the
    // pixel (compared at the speed of the memory, so a box may be a view of the frame).
    static std::optional<Entry> remembered(
        const Entries &entries, qsizetype areaIndex, const QString &areaID, const QImage &boxImage);

private:
    Entries m_entries;
};

} // namespace veyra
