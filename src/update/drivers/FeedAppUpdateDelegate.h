#pragma once

#include "update/updater/AppUpdaterDelegate.h"

#include <QPointer>

namespace veyra {

class AppUpdateModel;

// Turns the updater's reports into operations of the update model, which it holds weakly
// (a report after the model has gone changes nothing):
// - an update found: recordFoundUpdate;
// - nothing found: handleNoUpdateFound, except for a background check during a required
//   install (only the user's attempt may fail it);
// - a user-initiated cycle finished: finishUpdateCycle (failed when it ended with an
//   error). A background cycle never ends the model's update session, which belongs to
//   the user's check.
class FeedAppUpdateDelegate : public AppUpdaterDelegate
{
public:
    explicit FeedAppUpdateDelegate(AppUpdateModel *model);

    void didFindValidUpdate(const AppcastItem &item, UpdateCheck check) override;
    void didNotFindUpdate(UpdateCheck check) override;
    void didFinishUpdateCycle(UpdateCheck check, const AppUpdaterError *error) override;

private:
    QPointer<AppUpdateModel> m_model;
};

} // namespace veyra
