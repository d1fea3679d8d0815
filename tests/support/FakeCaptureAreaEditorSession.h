#pragma once

#include "editor/session/CaptureAreaEditorSessionProviding.h"

#include <QVector>

namespace veyra::test {

// The application session as the capture-area editor sees it: a target set by the test,
// and a record of what the editor asked for.
class FakeCaptureAreaEditorSession : public CaptureAreaEditorSessionProviding
{
public:
    std::optional<CaptureTarget> selectedTarget() const override { return target; }
    bool isTerminating() const override { return terminating; }
    void prepareOverlay(CaptureTarget preparedTarget) override { preparedTargets.append(std::move(preparedTarget)); }
    void chooseAnotherWindow() override { ++chooseAnotherWindowCount; }

    std::optional<CaptureTarget> target;
    bool terminating = false;
    QVector<CaptureTarget> preparedTargets;
    int chooseAnotherWindowCount = 0;
};

} // namespace veyra::test
