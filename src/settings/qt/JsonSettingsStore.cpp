#include "settings/qt/JsonSettingsStore.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>

#include <cmath>
#include <limits>
#include <map>
#include <mutex>

namespace veltra {

namespace {

// A settings file holds a few hundred bytes; anything far larger is not ours and is not loaded.
constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

QString PathOf(const std::string& key, const std::string& name)
{
    return QString::fromStdString(key) + u'/' + QString::fromStdString(name);
}

QVariant FromJson(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Double: {
        const double number = value.toDouble();
        if (std::trunc(number) == number && number >= std::numeric_limits<std::int32_t>::min() &&
            number <= std::numeric_limits<std::int32_t>::max())
            return QVariant(static_cast<int>(number));
        return QVariant(number);
    }
    case QJsonValue::String: return QVariant(value.toString());
    case QJsonValue::Bool: return QVariant(value.toBool());
    default: return QVariant::fromValue(value);
    }
}

void Flatten(const QJsonObject& object, const QString& prefix, QSettings::SettingsMap& map)
{
    for (auto member = object.begin(); member != object.end(); ++member) {
        // QSettings cannot address an empty name or one holding its separator.
        if (member.key().isEmpty() || member.key().contains(u'/'))
            continue;
        const QString path = prefix.isEmpty() ? member.key() : prefix + u'/' + member.key();
        if (member.value().isObject())
            Flatten(member.value().toObject(), path, map);
        else
            map.insert(path, FromJson(member.value()));
    }
}

// The settings as a tree of keys, built from the flat map in one pass and turned into JSON
// objects once, from the leaves up: inserting into nested JSON objects along each path would
// copy every object on the way at every value, quadratic in the size of the file.
struct TKeyNode {
    QJsonValue Value;
    bool HasValue = false;
    std::map<QString, TKeyNode> Children;
};

// Where a name is both a value and a key with values below it, the key wins.
QJsonObject ObjectOf(const TKeyNode& node)
{
    QJsonObject object;
    for (const auto& [name, child] : node.Children) {
        if (!child.Children.empty())
            object.insert(name, ObjectOf(child));
        else if (child.HasValue)
            object.insert(name, child.Value);
    }
    return object;
}

// The notices of settings files found damaged in this process, by file.
std::mutex noticesMutex;
std::map<QString, QStringList> notices;

// A damaged file is not overwritten with the few values this program writes: it is renamed
// beside it, under the first free of NAME.damaged, NAME.damaged.2, ..., and the user is told.
void KeepDamaged(QFile& file, const QString& reason)
{
    const QString name = file.fileName();
    QString kept = name + QStringLiteral(".damaged");
    for (int n = 2; QFile::exists(kept) && n <= 100; ++n)
        kept = name + QStringLiteral(".damaged.") + QString::number(n);
    QString notice =
        QStringLiteral("The settings file %1 could not be read (%2)").arg(name, reason);
    if (!QFile::exists(kept) && QFile::rename(name, kept))
        notice += QStringLiteral(": kept beside it as %1; the defaults are used")
                      .arg(QFileInfo(kept).fileName());
    else
        notice += QStringLiteral(": the defaults are used");
    const std::lock_guard<std::mutex> lock(noticesMutex);
    notices[name].append(notice);
}

} // namespace

QString DefaultJsonSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Brenmoor/registry.json");
}

bool ReadJsonSettings(QIODevice& device, QSettings::SettingsMap& map)
{
    QString damage;
    if (device.size() > MaxFileSize) {
        damage = QStringLiteral("larger than %1 MiB").arg(MaxFileSize / (1024 * 1024));
    } else {
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(device.readAll(), &error);
        if (error.error != QJsonParseError::NoError)
            damage = QStringLiteral("not JSON: %1 at byte %2")
                         .arg(error.errorString())
                         .arg(error.offset);
        else if (!document.isObject())
            damage = QStringLiteral("not a JSON object");
        else
            Flatten(document.object(), QString(), map);
    }
    // QSettings reads the file under its lock, so no other process renames it meanwhile.
    if (!damage.isEmpty())
        if (auto* file = qobject_cast<QFile*>(&device))
            KeepDamaged(*file, damage);
    return true;
}

bool WriteJsonSettings(QIODevice& device, const QSettings::SettingsMap& map)
{
    TKeyNode root;
    for (auto entry = map.begin(); entry != map.end(); ++entry) {
        TKeyNode* node = &root;
        for (const QString& name : entry.key().split(u'/', Qt::SkipEmptyParts))
            node = &node->Children[name];
        if (node != &root) {
            node->Value = QJsonValue::fromVariant(entry.value());
            node->HasValue = true;
        }
    }
    const QByteArray bytes = QJsonDocument(ObjectOf(root)).toJson(QJsonDocument::Indented);
    return device.write(bytes) == bytes.size();
}

QStringList JsonSettingsNotices(const QString& fileName)
{
    const std::lock_guard<std::mutex> lock(noticesMutex);
    const auto found = notices.find(fileName);
    return found == notices.end() ? QStringList() : found->second;
}

QSettings::Format JsonSettingsFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("json"), ReadJsonSettings, WriteJsonSettings, Qt::CaseSensitive);
    return format;
}

TJsonSettingsStore::TJsonSettingsStore() : TJsonSettingsStore(DefaultJsonSettingsFile()) {}

TJsonSettingsStore::TJsonSettingsStore(const QString& fileName)
    : earlierNotices_(JsonSettingsNotices(fileName).size()),
      settings_(std::make_unique<QSettings>(fileName, JsonSettingsFormat()))
{
}

TJsonSettingsStore::~TJsonSettingsStore() = default;

void TJsonSettingsStore::Synchronise() const
{
    if (batch_ == 0)
        settings_->sync();
}

void TJsonSettingsStore::EndBatch()
{
    if (batch_ > 0 && --batch_ == 0)
        settings_->sync();
}

bool TJsonSettingsStore::KeyExists(const std::string& key)
{
    Synchronise();
    settings_->beginGroup(QString::fromStdString(key));
    const bool exists = !settings_->allKeys().isEmpty();
    settings_->endGroup();
    return exists;
}

QVariant TJsonSettingsStore::Value(const std::string& key, const std::string& name) const
{
    Synchronise();
    return settings_->value(PathOf(key, name));
}

std::optional<std::int32_t> TJsonSettingsStore::ReadInteger(const std::string& key,
                                                            const std::string& name)
{
    const QVariant value = Value(key, name);
    if (value.typeId() != QMetaType::Int)
        return std::nullopt;
    return value.toInt();
}

std::optional<std::string> TJsonSettingsStore::ReadString(const std::string& key,
                                                          const std::string& name)
{
    const QVariant value = Value(key, name);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString().toStdString();
}

bool TJsonSettingsStore::Write(const std::string& key, const std::string& name,
                               const QVariant& value)
{
    settings_->setValue(PathOf(key, name), value);
    Synchronise();
    return settings_->status() == QSettings::NoError;
}

bool TJsonSettingsStore::WriteInteger(const std::string& key, const std::string& name,
                                      std::int32_t value)
{
    return Write(key, name, QVariant(static_cast<int>(value)));
}

bool TJsonSettingsStore::WriteString(const std::string& key, const std::string& name,
                                     const std::string& value)
{
    return Write(key, name, QVariant(QString::fromStdString(value)));
}

std::vector<std::string> TJsonSettingsStore::Notices()
{
    std::vector<std::string> lines;
    const QStringList notices = JsonSettingsNotices(FileName());
    for (qsizetype i = earlierNotices_; i < notices.size(); ++i)
        lines.push_back(notices[i].toStdString());
    return lines;
}

} // namespace veltra
