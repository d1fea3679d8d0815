#include "editor/guide/CaptureAreaGuideModel.h"

namespace veyra {

CaptureAreaGuideModel::CaptureAreaGuideModel(std::shared_ptr<CaptureAreaGuideStoring> store, QObject *parent)
    : QObject(parent)
    , m_store(std::move(store))
{ }

void CaptureAreaGuideModel::setPresented(bool presented)
{
    if (m_isPresented != presented) {
        m_isPresented = presented;
        Q_EMIT isPresentedChanged(presented);
    }
}

void CaptureAreaGuideModel::presentIfNeeded()
{
    if (m_isPresented) {
        return;
    }
    const std::optional<qint64> seen = m_store->lastSeenVersion();
    if (!seen || *seen < currentGuideVersion) {
        setPresented(true);
    }
}

void CaptureAreaGuideModel::close()
{
    setPresented(false);
    m_store->setLastSeenVersion(currentGuideVersion);
}

} // namespace veyra
