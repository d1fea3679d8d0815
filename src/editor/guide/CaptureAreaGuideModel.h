#pragma once

#include "editor/guide/CaptureAreaGuideStoring.h"

#include <QObject>

#include <memory>

namespace veyra {

// Whether the capture-area guide is on screen: shown automatically the first time an
// editor reaches a snapshot while the user has not closed the current guide version, and
// on demand; closing it records the current version.
class CaptureAreaGuideModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isPresented READ isPresented WRITE setPresented NOTIFY isPresentedChanged)

public:
    explicit CaptureAreaGuideModel(std::shared_ptr<CaptureAreaGuideStoring> store, QObject *parent = nullptr);

    bool isPresented() const { return m_isPresented; }
    // Shows or hides the guide without touching the store (the "Editing Guide" button).
    void setPresented(bool presented);
    const std::shared_ptr<CaptureAreaGuideStoring> &store() const { return m_store; }

    // Shows the guide unless it is up already or the user closed the current version.
    void presentIfNeeded();
    // Hides the guide and records the current version as seen.
    void close();

Q_SIGNALS:
    void isPresentedChanged(bool isPresented);

private:
    bool m_isPresented = false;
    std::shared_ptr<CaptureAreaGuideStoring> m_store;
};

} // namespace veyra
