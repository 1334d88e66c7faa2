#pragma once
// A settings file of its own for each test, installed as the default store, and the executable
// path set to the viewer's.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <memory>
#include <ostream>

#include "settings/RegistryVariables.h"
#include "settings/qt/JsonSettingsStore.h"

// Failure messages show JSON values as JSON.
inline void PrintTo(const QJsonValue& value, std::ostream* out)
{
    *out << QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).toStdString();
}

class SettingsTest : public ::testing::Test {
public:
    static constexpr const char* ViewerKey = "Software/Brenmoor/Veltra";
    static constexpr const char* ViewerPath = "/opt/brenmoor/bin/Veltra";

protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        veltra::SetExecutablePath(ViewerPath);
        veltra::SetDefaultSettingsStore(std::make_shared<veltra::TJsonSettingsStore>(File()));
    }
    void TearDown() override { veltra::SetDefaultSettingsStore(nullptr); }

    QString File() const { return folder_.filePath(QStringLiteral("Brenmoor/registry.json")); }

    // The file as written, parsed on its own (not through QSettings); an empty object when it
    // is missing or not valid JSON.
    QJsonObject FileContent() const
    {
        QFile file(File());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QJsonDocument::fromJson(file.readAll()).object();
    }
    // The value at a path of member names ("Software/Brenmoor/Veltra") in the file.
    QJsonValue FileValue(const QString& path) const
    {
        QJsonValue value = FileContent();
        for (const QString& name : path.split(u'/'))
            value = value.toObject().value(name);
        return value;
    }
    QJsonObject ViewerValues() const { return FileValue(ViewerKey).toObject(); }
    void WriteFile(const QByteArray& bytes, const QString& name = {}) const
    {
        QDir().mkpath(QFileInfo(File()).absolutePath());
        QFile file(name.isEmpty() ? File() : name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private:
    QTemporaryDir folder_;
};
