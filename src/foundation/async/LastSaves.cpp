#include "foundation/async/LastSaves.h"

#include "foundation/errors/Error.h"
#include "foundation/logging/Logger.h"

#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace veyra {

namespace {

struct Registered
{
    quint64 id;
    std::thread::id thread;
    std::shared_ptr<const std::function<void()>> save;
};

struct Registry
{
    std::mutex mutex;
    quint64 lastID = 0;
    std::vector<Registered> saves;
};

Registry &registry()
{
    static auto *instance = new Registry; // never destroyed: the process's end runs the saves
    return *instance;
}

// Set on a thread while it runs its saves.
thread_local bool t_running = false;

void unregister(quint64 id)
{
    if (id == 0) {
        return;
    }
    Registry &all = registry();
    const std::lock_guard lock(all.mutex);
    std::erase_if(all.saves, [id](const Registered &entry) { return entry.id == id; });
}

} // namespace

LastSave::LastSave(std::function<void()> save)
{
    Registry &all = registry();
    const std::lock_guard lock(all.mutex);
    m_id = ++all.lastID;
    all.saves.push_back(
        {m_id, std::this_thread::get_id(), std::make_shared<const std::function<void()>>(std::move(save))});
}

LastSave::~LastSave()
{
    unregister(m_id);
}

LastSave::LastSave(LastSave &&other) noexcept
    : m_id(std::exchange(other.m_id, 0))
{ }

LastSave &LastSave::operator=(LastSave &&other) noexcept
{
    if (this != &other) {
        unregister(m_id);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

void runLastSaves()
{
    if (t_running) {
        return;
    }
    t_running = true;
    std::vector<Registered> saves;
    {
        Registry &all = registry();
        const std::lock_guard lock(all.mutex);
        saves = all.saves;
    }
    const Logger logger("LastSaves");
    int elsewhere = 0;
    for (const Registered &entry : saves) {
        if (entry.thread != std::this_thread::get_id()) {
            ++elsewhere;
            continue;
        }
        try {
            (*entry.save)();
        } catch (const std::exception &error) {
            qCCritical(logger).noquote() << QStringLiteral("A last save failed: %1").arg(describeError(error));
        } catch (...) {
            qCCritical(logger).noquote() << QStringLiteral("A last save failed with an unknown error");
        }
    }
    if (elsewhere > 0) {
        qCCritical(logger).noquote()
            << QStringLiteral("%1 last saves belong to another thread and were left out").arg(elsewhere);
    }
    t_running = false;
}

} // namespace veyra
