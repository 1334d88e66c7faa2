#include <gtest/gtest.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>

#include "SettingsFixture.h"
#include "settings/RegistryVariables.h"
#include "settings/qt/JsonSettingsStore.h"

using namespace veltra;

namespace {

// Starts this test program as another process that writes to the settings file.
std::unique_ptr<QProcess> StartWriter(const QStringList& arguments)
{
    auto process = std::make_unique<QProcess>();
    process->start(QCoreApplication::applicationFilePath(), arguments);
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

void FinishWriter(QProcess& process)
{
    if (process.state() != QProcess::NotRunning) {
        EXPECT_TRUE(process.waitForFinished(60000));
    }
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

void RunWriter(const QStringList& arguments)
{
    FinishWriter(*StartWriter(arguments));
}

} // namespace

TEST_F(SettingsTest, DefaultFileIsUnderTheUserConfigurationFolder)
{
    EXPECT_EQ(DefaultJsonSettingsFile(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/Brenmoor/registry.json");
}

TEST_F(SettingsTest, JsonTreeAndFlatMapConvertBothWaysKeepingTypes)
{
    const QByteArray json = R"({"Software": {"Brenmoor": {
        "App Paths": {"Zephano": "/opt/zephano/Zephano"},
        "Veltra": {"MapProjection": 5, "DataFolder": "/data/", "Big": 3000000000,
                   "Fraction": 0.25, "Flag": true, "List": [1, "two"], "Nothing": null}}}})";
    QBuffer in;
    in.setData(json);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QSettings::SettingsMap map;
    ASSERT_TRUE(ReadJsonSettings(in, map));

    EXPECT_EQ(map.value("Software/Brenmoor/Veltra/MapProjection").typeId(), QMetaType::Int);
    EXPECT_EQ(map.value("Software/Brenmoor/Veltra/MapProjection").toInt(), 5);
    EXPECT_EQ(map.value("Software/Brenmoor/Veltra/DataFolder").typeId(), QMetaType::QString);
    EXPECT_EQ(map.value("Software/Brenmoor/Veltra/Big").typeId(), QMetaType::Double);
    EXPECT_EQ(map.value("Software/Brenmoor/App Paths/Zephano").toString(), "/opt/zephano/Zephano");
    EXPECT_EQ(map.size(), 8);

    // Writing the map back gives the same tree, foreign values included.
    QBuffer out;
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    ASSERT_TRUE(WriteJsonSettings(out, map));
    EXPECT_EQ(QJsonDocument::fromJson(out.data()), QJsonDocument::fromJson(json));
}

// A file that cannot be read gives the defaults and a new file, and is kept beside it (other
// programs' values may be in it) with a notice for the user; an empty one holds nothing.
TEST_F(SettingsTest, CorruptFileReadsAsEmptyIsKeptAndReplacedWhole)
{
    const QByteArray damaged[] = {
        "",
        "{\"Software\": {\"Brenmoor\": {\"Veltra\": {\"MapProjection\": 5",
        "[1, 2, 3]",
        "\"just a string\"",
        QByteArray(3000, '\0'),
        QByteArray(100000, '['),
    };
    for (const QByteArray& bytes : damaged) {
        WriteFile(bytes);
        auto store = std::make_shared<TJsonSettingsStore>(File());
        {
            TRegistryInteger projection(store, "MapProjection", 7);
            EXPECT_EQ(projection.Value, 7);
            projection.Value = 6;
        }
        EXPECT_EQ(FileContent(), QJsonDocument::fromJson(R"({"Software": {"Brenmoor": {
                                     "Veltra": {"MapProjection": 6}}}})")
                                     .object())
            << bytes.left(40).toStdString();
        QFile kept(File() + ".damaged");
        EXPECT_EQ(kept.open(QIODevice::ReadOnly) ? kept.readAll() : QByteArray(), bytes);
        EXPECT_EQ(store->Notices().size(), bytes.isEmpty() ? 0u : 1u);
        if (!bytes.isEmpty()) {
            EXPECT_NE(
                store->Notices().front().find(File().toStdString() + " could not be read (not "),
                std::string::npos);
            EXPECT_NE(store->Notices().front().find("kept beside it as registry.json.damaged"),
                      std::string::npos);
        }
        kept.remove();
    }
    // One over the size limit is kept too, under the next free name.
    WriteFile(QByteArray(16 * 1024 * 1024 + 1, ' '));
    WriteFile("{}", File() + ".damaged");
    TJsonSettingsStore store(File());
    EXPECT_EQ(QFileInfo(File() + ".damaged.2").size(), 16 * 1024 * 1024 + 1);
}

// A closing window writes many values; in a batch they reach the file in one write at its end,
// and reads in between see them.
TEST_F(SettingsTest, BatchHoldsWritesBackUntilItEnds)
{
    WriteFile(R"({"Software": {"Brenmoor": {"Veltra": {"MapProjection": 5}}}})");
    const QJsonObject before = FileContent();
    auto store = std::make_shared<TJsonSettingsStore>(File());
    SetDefaultSettingsStore(store);
    {
        TSettingsBatch batch;
        {
            TSettingsBatch nested;
            EXPECT_TRUE(store->WriteInteger("Software/Brenmoor/Veltra", "MapRegion", 3));
        }
        EXPECT_TRUE(store->WriteString("Software/Brenmoor/Veltra", "DataFolder", "/d/"));
        EXPECT_EQ(store->ReadInteger("Software/Brenmoor/Veltra", "MapRegion"), 3);
        EXPECT_EQ(FileContent(), before);
    }
    SetDefaultSettingsStore(nullptr);
    EXPECT_EQ(FileContent(), QJsonDocument::fromJson(R"({"Software": {"Brenmoor": {"Veltra":
                                 {"MapProjection": 5, "MapRegion": 3, "DataFolder": "/d/"}}}})")
                                 .object());
}

TEST_F(SettingsTest, TwoProcessesWritingAtExitKeepEachOthersValues)
{
    // This process reads its settings first, the other process then writes and ends, and this
    // one writes last: its stale view must not wipe what the other wrote.
    {
        TRegistryInteger projection("MapProjection", 7);
        TRegistryInteger region("MapRegion", 0);
        RunWriter({"--child-write", File(), "MapProjection", "9"});
        RunWriter({"--child-write", File(), "BackgroundColour", "16777215"});
        projection.Value = 5;
        region.Value = 3;
    }
    const QJsonObject values = ViewerValues();
    EXPECT_EQ(values["MapProjection"], QJsonValue(5)); // the last writer wins this value
    EXPECT_EQ(values["MapRegion"], QJsonValue(3));
    EXPECT_EQ(values["BackgroundColour"], QJsonValue(16777215));

    // Several processes writing at the same time, each its own values one by one.
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const char* prefix : {"A", "B", "C"})
        writers.push_back(StartWriter({"--child-many", File(), prefix, "30"}));
    for (auto& writer : writers)
        FinishWriter(*writer);
    const QJsonObject after = ViewerValues();
    for (const char* prefix : {"A", "B", "C"})
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(after[prefix + QString::number(i)], QJsonValue(i)) << prefix << i;
    EXPECT_EQ(after["MapRegion"], QJsonValue(3));
}

TEST_F(SettingsTest, FileIsNeverSeenHalfWritten)
{
    // Another process rewrites the file a few hundred times while this one reads it: every
    // read must find either no file yet or a whole JSON document.
    auto writer = StartWriter({"--child-many", File(), "N", "300"});
    int reads = 0;
    int whole = 0;
    QElapsedTimer timer;
    timer.start();
    while (writer->state() != QProcess::NotRunning && timer.elapsed() < 60000) {
        QFile file(File());
        if (file.open(QIODevice::ReadOnly)) {
            QJsonParseError error{};
            QJsonDocument::fromJson(file.readAll(), &error);
            ++reads;
            whole += error.error == QJsonParseError::NoError;
        }
        writer->waitForFinished(0);
    }
    FinishWriter(*writer);
    EXPECT_GT(reads, 10);
    EXPECT_EQ(whole, reads);
    EXPECT_EQ(ViewerValues()["N299"], QJsonValue(299));
}
