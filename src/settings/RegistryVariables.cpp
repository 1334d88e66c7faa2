#include "settings/RegistryVariables.h"

#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

namespace veltra {

namespace {

std::string KeyOfCompany(const std::string& subkey)
{
    return std::string("Software/") + CompanyName + "/" + subkey;
}

// Settings access never fails loudly: every store error, returned or thrown, leaves things as
// they were.
template <typename Operation> auto Silently(Operation operation) -> decltype(operation())
{
    try {
        return operation();
    } catch (...) {
        return {};
    }
}

} // namespace

std::string ProgramKey()
{
    return KeyOfCompany(ExecutableName());
}

std::string AppPathsKey()
{
    return KeyOfCompany("App Paths");
}

void RegisterAppPath()
{
    RegisterAppPath(*DefaultSettingsStore());
}

void RegisterAppPath(TSettingsStore& store)
{
    Silently([&] { return store.WriteString(AppPathsKey(), ExecutableName(), ExecutablePath()); });
}

std::string LookUpAppPath(const std::string& name)
{
    return LookUpAppPath(*DefaultSettingsStore(), name);
}

std::string LookUpAppPath(TSettingsStore& store, const std::string& name)
{
    return Silently([&] { return store.ReadString(AppPathsKey(), name); }).value_or("");
}

TRegistryVariable::TRegistryVariable(std::shared_ptr<TSettingsStore> store, std::string name)
    : store_(store ? std::move(store) : DefaultSettingsStore()), name_(std::move(name)),
      key_(ProgramKey())
{
}

std::optional<std::int32_t> TRegistryVariable::ReadInteger()
{
    return Silently([&]() -> std::optional<std::int32_t> {
        if (!store_->KeyExists(key_))
            return std::nullopt;
        return store_->ReadInteger(key_, name_);
    });
}

std::optional<std::string> TRegistryVariable::ReadString()
{
    return Silently([&]() -> std::optional<std::string> {
        if (!store_->KeyExists(key_))
            return std::nullopt;
        return store_->ReadString(key_, name_);
    });
}

void TRegistryVariable::WriteInteger(std::int32_t value)
{
    Silently([&] { return store_->WriteInteger(key_, name_, value); });
}

void TRegistryVariable::WriteString(const std::string& value)
{
    Silently([&] { return store_->WriteString(key_, name_, value); });
}

TRegistryBoolean::TRegistryBoolean(std::string name, bool defaultValue)
    : TRegistryBoolean(nullptr, std::move(name), defaultValue)
{
}

TRegistryBoolean::TRegistryBoolean(std::shared_ptr<TSettingsStore> store, std::string name,
                                   bool defaultValue)
    : TRegistryVariable(std::move(store), std::move(name)), Value(defaultValue)
{
    if (const auto stored = ReadInteger())
        Value = *stored != 0;
}

void TRegistryBoolean::Save()
{
    WriteInteger(Value ? 1 : 0);
}

TRegistryInteger::TRegistryInteger(std::string name, std::int32_t defaultValue)
    : TRegistryInteger(nullptr, std::move(name), defaultValue)
{
}

TRegistryInteger::TRegistryInteger(std::shared_ptr<TSettingsStore> store, std::string name,
                                   std::int32_t defaultValue)
    : TRegistryVariable(std::move(store), std::move(name)), Value(defaultValue)
{
    if (const auto stored = ReadInteger())
        Value = *stored;
}

void TRegistryInteger::Save()
{
    WriteInteger(Value);
}

TRegistryString::TRegistryString(std::string name, std::string defaultValue)
    : TRegistryString(nullptr, std::move(name), std::move(defaultValue))
{
}

TRegistryString::TRegistryString(std::shared_ptr<TSettingsStore> store, std::string name,
                                 std::string defaultValue)
    : TRegistryVariable(std::move(store), std::move(name)), Value(std::move(defaultValue))
{
    if (auto stored = ReadString())
        Value = std::move(*stored);
}

void TRegistryString::Save()
{
    WriteString(Value);
}

} // namespace veltra
