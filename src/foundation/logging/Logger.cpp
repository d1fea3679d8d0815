#include "foundation/logging/Logger.h"

#include "foundation/identity/AppIdentity.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <mutex>

namespace veyra {

namespace {

struct Registry
{
    std::mutex mutex;
    // The category keeps a pointer to its name, so both live here for the process.
    std::map<QByteArray, std::pair<std::unique_ptr<QByteArray>, std::unique_ptr<QLoggingCategory>>> entries;
};

const QLoggingCategory *categoryNamed(const QString &component)
{
    static Registry *registry = new Registry; // never destroyed: loggers log during exit
    const QByteArray name = (appBundleIdentifier() + QLatin1Char('.') + component).toUtf8();
    std::lock_guard lock(registry->mutex);
    auto it = registry->entries.find(name);
    if (it == registry->entries.end()) {
        auto storedName = std::make_unique<QByteArray>(name);
        auto category = std::make_unique<QLoggingCategory>(storedName->constData());
        it = registry->entries.emplace(name, std::make_pair(std::move(storedName), std::move(category))).first;
    }
    return it->second.second.get();
}

} // namespace

Logger::Logger(const char *component)
    : Logger(QString::fromUtf8(component))
{ }

Logger::Logger(const QString &component)
    : m_category(categoryNamed(component))
{ }

} // namespace veyra
