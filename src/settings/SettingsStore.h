#pragma once
// The per-user settings store: keys (paths such as "Software/Brenmoor/Veltra") holding named
// 32-bit integer and string values. Every operation may fail; a failure is a missing result or
// an exception, and the callers (the settings variables) swallow both.
//
// The process has one default store, which the settings variables use unless they are given
// another. Until the application installs one it is a null store, which reads nothing and writes
// nothing: tests and batch tools never touch the user's settings by accident.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace veltra {

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // True when the key holds at least one value, directly or in a key below it.
    virtual bool KeyExists(const std::string& key) = 0;
    // The named value when it exists and is an integer; nothing otherwise.
    virtual std::optional<std::int32_t> ReadInteger(const std::string& key,
                                                    const std::string& name) = 0;
    // The named value when it exists and is a string; nothing otherwise.
    virtual std::optional<std::string> ReadString(const std::string& key,
                                                  const std::string& name) = 0;
    // Write the named value, creating the key when needed; false when the store refused.
    virtual bool WriteInteger(const std::string& key, const std::string& name,
                              std::int32_t value) = 0;
    virtual bool WriteString(const std::string& key, const std::string& name,
                             const std::string& value) = 0;
    // Between the two, writes may be held back and reach the store together at the end (see
    // TSettingsBatch). Nested pairs count.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
    // What the user should be told about the store, one sentence each (a damaged file that
    // was set aside); none by default.
    virtual std::vector<std::string> Notices() { return {}; }
};

// Reads nothing and writes nothing.
class TNullSettingsStore final : public TSettingsStore {
public:
    bool KeyExists(const std::string&) override { return false; }
    std::optional<std::int32_t> ReadInteger(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::optional<std::string> ReadString(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    bool WriteInteger(const std::string&, const std::string&, std::int32_t) override
    {
        return false;
    }
    bool WriteString(const std::string&, const std::string&, const std::string&) override
    {
        return false;
    }
};

// Installs the store the settings variables use from now on; nullptr installs a null store.
// Variables already created keep the store they were created with until they are destroyed.
void SetDefaultSettingsStore(std::shared_ptr<TSettingsStore> store);
// The installed store (never null).
std::shared_ptr<TSettingsStore> DefaultSettingsStore();

// Holds back the writes to the default store while it lives: they reach the file together,
// with one write, when it ends. For the many values a closing window writes back at once,
// each of which would otherwise lock, write and flush the file on its own.
class TSettingsBatch {
public:
    TSettingsBatch() : store_(DefaultSettingsStore()) { store_->BeginBatch(); }
    ~TSettingsBatch() { store_->EndBatch(); }
    TSettingsBatch(const TSettingsBatch&) = delete;
    TSettingsBatch& operator=(const TSettingsBatch&) = delete;

private:
    std::shared_ptr<TSettingsStore> store_;
};

} // namespace veltra
