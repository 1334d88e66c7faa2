#include "settings/SettingsStore.h"

#include <mutex>

namespace veltra {

namespace {

struct TDefaultStore {
    std::mutex lock;
    std::shared_ptr<TSettingsStore> store = std::make_shared<TNullSettingsStore>();
};

TDefaultStore& Installed()
{
    static TDefaultStore installed;
    return installed;
}

} // namespace

void SetDefaultSettingsStore(std::shared_ptr<TSettingsStore> store)
{
    if (!store)
        store = std::make_shared<TNullSettingsStore>();
    TDefaultStore& installed = Installed();
    const std::lock_guard<std::mutex> guard(installed.lock);
    installed.store.swap(store);
}

std::shared_ptr<TSettingsStore> DefaultSettingsStore()
{
    TDefaultStore& installed = Installed();
    const std::lock_guard<std::mutex> guard(installed.lock);
    return installed.store;
}

} // namespace veltra
