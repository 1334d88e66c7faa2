#pragma once
// Settings that outlive a run of the program. Each is a small object that reads its value once
// when it is created, holds it in the public field Value while the program runs, and writes it
// back once when it is destroyed. Nothing here reports an error: a missing key or value, a value
// of another type or a store that cannot be read or written leaves the default (on reading) or
// the previously stored value (on writing) in place.
//
// Where the values live: under the program key "Software/Brenmoor/<executable name without
// extension>" (so "Software/Brenmoor/Veltra" for the viewer) of the settings store. Which store:
// the process-wide default (see SettingsStore.h) unless one is passed to the constructor.
//
// At start the application calls, once and before creating any setting:
//     SetExecutablePath(QCoreApplication::applicationFilePath().toStdString());
//     SetDefaultSettingsStore(std::make_shared<TJsonSettingsStore>());
// A batch run that must neither read nor write settings installs a null store instead:
//     SetDefaultSettingsStore(std::make_shared<TNullSettingsStore>());
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "base/Executable.h"
#include "settings/SettingsStore.h"

namespace veltra {

inline constexpr const char* CompanyName = "Brenmoor";

// "Software/Brenmoor/" + ExecutableName().
std::string ProgramKey();
// "Software/Brenmoor/App Paths": each program of the maker keeps its executable path there under
// its executable name.
std::string AppPathsKey();

// Writes this executable's full path under AppPathsKey(), named after ExecutableName().
void RegisterAppPath();
void RegisterAppPath(TSettingsStore& store);
// The path registered under AppPathsKey() by the program of that name; "" when there is none.
std::string LookUpAppPath(const std::string& name);
std::string LookUpAppPath(TSettingsStore& store, const std::string& name);

// One named value under the program key. The key is taken from the executable name when the
// variable is created, so renaming the executable gives it another set of settings. The
// constructors without a store, or given a null one, use the default store; the variable keeps
// that store until it is destroyed.
class TRegistryVariable {
public:
    virtual ~TRegistryVariable() = default;
    TRegistryVariable(const TRegistryVariable&) = delete;
    TRegistryVariable& operator=(const TRegistryVariable&) = delete;

    // Writes Value under Name, creating the program key when needed. Failures are ignored.
    virtual void Save() = 0;

    const std::string& Name() const { return name_; }
    const std::string& Key() const { return key_; }

protected:
    TRegistryVariable(std::shared_ptr<TSettingsStore> store, std::string name);

    // Reads of the named value under the program key: nothing when the key does not exist, the
    // value is missing or of another type, or the store fails.
    std::optional<std::int32_t> ReadInteger();
    std::optional<std::string> ReadString();
    void WriteInteger(std::int32_t value);
    void WriteString(const std::string& value);

private:
    std::shared_ptr<TSettingsStore> store_;
    std::string name_;
    std::string key_;
};

// Kept as an integer 0 or 1; any non-zero integer reads back as true.
class TRegistryBoolean final : public TRegistryVariable {
public:
    TRegistryBoolean(std::string name, bool defaultValue);
    TRegistryBoolean(std::shared_ptr<TSettingsStore> store, std::string name, bool defaultValue);
    ~TRegistryBoolean() override { Save(); }
    void Save() override;

    bool Value;
};

class TRegistryInteger final : public TRegistryVariable {
public:
    TRegistryInteger(std::string name, std::int32_t defaultValue);
    TRegistryInteger(std::shared_ptr<TSettingsStore> store, std::string name,
                     std::int32_t defaultValue);
    ~TRegistryInteger() override { Save(); }
    void Save() override;

    std::int32_t Value;
};

class TRegistryString final : public TRegistryVariable {
public:
    TRegistryString(std::string name, std::string defaultValue);
    TRegistryString(std::shared_ptr<TSettingsStore> store, std::string name,
                    std::string defaultValue);
    ~TRegistryString() override { Save(); }
    void Save() override;

    std::string Value;
};

} // namespace veltra
