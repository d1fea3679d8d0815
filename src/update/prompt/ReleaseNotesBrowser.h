#pragma once

#include <QTextBrowser>

namespace veyra {

struct ReleaseNotes;

// Shows release notes as selectable text. Notes come from the network, so nothing they
// refer to is ever loaded (no image, style sheet or other resource, remote or local) and
// no link is followed.
class ReleaseNotesBrowser : public QTextBrowser
{
    Q_OBJECT

public:
    explicit ReleaseNotesBrowser(QWidget *parent = nullptr);

    void setReleaseNotes(const ReleaseNotes &notes);

    // Refuses every resource (an empty one: a missing value would let the document read
    // local files itself).
    QVariant loadResource(int type, const QUrl &name) override;
};

} // namespace veyra
