#pragma once
// The settings store as one JSON file per user, $XDG_CONFIG_HOME/Brenmoor/registry.json
// (~/.config/Brenmoor/registry.json by default). Keys are nested objects along their path, and
// values keep their type: integers are JSON numbers, strings are JSON strings:
//
//     { "Software": { "Brenmoor": {
//         "App Paths": { "Veltra": "/opt/veltra/bin/Veltra" },
//         "Veltra": { "MapProjection": 7, "DataFolder": "/data/passes/", ... } } } }
//
// The file is reached through QSettings with a format of its own, so Qt provides the locking
// against other processes, the atomic replacement of the file (a temporary file renamed over it)
// and the merging of writers: a write re-reads the file when another process changed it and
// replaces only the values this process set. A file that cannot be read (corrupt, truncated,
// not a JSON object, larger than 16 MiB) reads as an empty store and is kept: renamed beside
// itself as registry.json.damaged (.damaged.2, ... when that exists), with a notice for the
// user; the next write starts a new file. An empty file holds nothing to keep.
#include <QSettings>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "settings/SettingsStore.h"

namespace veltra {

// The user's settings file: <generic configuration folder>/Brenmoor/registry.json.
QString DefaultJsonSettingsFile();

// The QSettings format that reads and writes the JSON layout above (registered once).
QSettings::Format JsonSettingsFormat();

// Conversions between the JSON file and QSettings' flat map of "a/b/c" keys, exposed for tests.
// Numbers that are whole and fit 32 bits become int, other numbers double, strings QString,
// true/false bool; arrays and nulls are carried as QJsonValue so that a rewrite keeps them.
// Reading a damaged QFile renames it as above. Writing takes time linear in the number of
// values.
bool ReadJsonSettings(QIODevice& device, QSettings::SettingsMap& map);
bool WriteJsonSettings(QIODevice& device, const QSettings::SettingsMap& map);
// The notices of this process about the settings file of that name: "The settings file F
// could not be read (REASON): kept beside it as registry.json.damaged; the defaults are
// used".
QStringList JsonSettingsNotices(const QString& fileName);

class TJsonSettingsStore final : public TSettingsStore {
public:
    TJsonSettingsStore();
    explicit TJsonSettingsStore(const QString& fileName);
    ~TJsonSettingsStore() override;

    bool KeyExists(const std::string& key) override;
    std::optional<std::int32_t> ReadInteger(const std::string& key,
                                            const std::string& name) override;
    std::optional<std::string> ReadString(const std::string& key, const std::string& name) override;
    // Each read sees the file as it is now (it is read again when another process changed it),
    // and each write reaches the file at once. A write the file refused stays visible to this
    // process and is tried again with the next write.
    bool WriteInteger(const std::string& key, const std::string& name, std::int32_t value) override;
    bool WriteString(const std::string& key, const std::string& name,
                     const std::string& value) override;

    // Writes in a batch stay in this process (reads see them) until the batch ends.
    void BeginBatch() override { ++batch_; }
    void EndBatch() override;

    QString FileName() const { return settings_->fileName(); }
    // The notices about the file since this store was made.
    std::vector<std::string> Notices() override;

private:
    // Brings the file and this process up to date, except inside a batch.
    void Synchronise() const;
    QVariant Value(const std::string& key, const std::string& name) const;
    bool Write(const std::string& key, const std::string& name, const QVariant& value);

    // The process's notices about the file before this store read it: its own come after.
    qsizetype earlierNotices_ = 0;
    std::unique_ptr<QSettings> settings_;
    int batch_ = 0;
};

} // namespace veltra
