#include "update/drivers/FeedAppUpdateDelegate.h"

#include "update/model/AppUpdateModel.h"

namespace veyra {

FeedAppUpdateDelegate::FeedAppUpdateDelegate(AppUpdateModel *model)
    : m_model(model)
{ }

void FeedAppUpdateDelegate::didFindValidUpdate(const AppcastItem &item, UpdateCheck)
{
    if (m_model) {
        m_model->recordFoundUpdate(item.displayVersionString, item.versionString);
    }
}

void FeedAppUpdateDelegate::didNotFindUpdate(UpdateCheck check)
{
    if (!m_model || (check == UpdateCheck::background && m_model->requiredInstallMode())) {
        return;
    }
    m_model->handleNoUpdateFound();
}

void FeedAppUpdateDelegate::didFinishUpdateCycle(UpdateCheck check, const AppUpdaterError *error)
{
    if (m_model && check == UpdateCheck::userInitiated) {
        m_model->finishUpdateCycle(error != nullptr);
    }
}

} // namespace veyra
