#include "settings/qt/JsonSettingsStore.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStandardPaths>

#include <cmath>
#include <limits>

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

// Where a name is both a value and a key with values below it, the key wins.
void Insert(QJsonObject& object, const QStringList& path, qsizetype at, const QJsonValue& value)
{
    const QString& name = path[at];
    if (at + 1 == path.size()) {
        if (!object.value(name).isObject())
            object.insert(name, value);
        return;
    }
    QJsonObject child = object.value(name).toObject();
    Insert(child, path, at + 1, value);
    object.insert(name, child);
}

} // namespace

QString DefaultJsonSettingsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Brenmoor/registry.json");
}

bool ReadJsonSettings(QIODevice& device, QSettings::SettingsMap& map)
{
    if (device.size() > MaxFileSize)
        return true;
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(device.readAll(), &error);
    if (error.error == QJsonParseError::NoError && document.isObject())
        Flatten(document.object(), QString(), map);
    return true;
}

bool WriteJsonSettings(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject root;
    for (auto entry = map.begin(); entry != map.end(); ++entry) {
        const QStringList path = entry.key().split(u'/', Qt::SkipEmptyParts);
        if (!path.isEmpty())
            Insert(root, path, 0, QJsonValue::fromVariant(entry.value()));
    }
    const QByteArray bytes = QJsonDocument(root).toJson(QJsonDocument::Indented);
    return device.write(bytes) == bytes.size();
}

QSettings::Format JsonSettingsFormat()
{
    static const QSettings::Format format = QSettings::registerFormat(
        QStringLiteral("json"), ReadJsonSettings, WriteJsonSettings, Qt::CaseSensitive);
    return format;
}

TJsonSettingsStore::TJsonSettingsStore() : TJsonSettingsStore(DefaultJsonSettingsFile()) {}

TJsonSettingsStore::TJsonSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, JsonSettingsFormat()))
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

} // namespace veltra
