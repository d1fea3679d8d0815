#include "foundation/language/InterfaceLanguageChange.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace veyra {

namespace {

// Watches its parent's events; it lives and dies with the parent.
class LanguageChangeWatcher : public QObject
{
public:
    LanguageChangeWatcher(QObject *watched, std::function<void()> relabel)
        : QObject(watched)
        , m_relabel(std::move(relabel))
    {
        watched->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && event->type() == QEvent::LanguageChange && m_relabel) {
            m_relabel();
        }
        return false;
    }

private:
    std::function<void()> m_relabel;
};

} // namespace

void announceInterfaceLanguageChange()
{
    QCoreApplication *application = QCoreApplication::instance();
    if (application == nullptr) {
        return;
    }
    QEvent event(QEvent::LanguageChange);
    QCoreApplication::sendEvent(application, &event);
}

void relabelOnLanguageChange(QObject *object, std::function<void()> relabel)
{
    if (object != nullptr) {
        new LanguageChangeWatcher(object, std::move(relabel));
    }
}

} // namespace veyra
