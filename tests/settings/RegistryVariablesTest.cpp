#include <gtest/gtest.h>

#include <QJsonArray>

#include <map>
#include <stdexcept>

#include "SettingsFixture.h"
#include "settings/RegistryVariables.h"
#include "settings/qt/zorCheckBox.h"

using namespace veltra;

namespace {

// The settings the viewer keeps, with their defaults. The four booleans belong to check boxes.
struct TViewerSettings {
    TRegistryInteger backgroundColour{"BackgroundColour", 0};
    TRegistryInteger mapProjection{"MapProjection", 7};
    TRegistryInteger mapRegion{"MapRegion", 0};
    TRegistryString dataFolder{"DataFolder", ProgramFolder()};
    TRegistryInteger openFilterIndex{"OpenFilterIndex", 2};
    std::unique_ptr<TzorCheckBox> boxes[4];

    TViewerSettings()
    {
        const char* names[] = {"TempsInC", "FixMaxTemp", "ShowGridlines", "OpenGroup"};
        for (int i = 0; i < 4; ++i) {
            boxes[i] = std::make_unique<TzorCheckBox>();
            boxes[i]->SetNamedAs(names[i]);
            boxes[i]->Restore();
        }
    }
};

// A store whose every operation fails by throwing.
class TBrokenStore : public TSettingsStore {
public:
    bool KeyExists(const std::string&) override { throw std::runtime_error("unreachable"); }
    std::optional<std::int32_t> ReadInteger(const std::string&, const std::string&) override
    {
        throw std::runtime_error("unreachable");
    }
    std::optional<std::string> ReadString(const std::string&, const std::string&) override
    {
        throw std::runtime_error("unreachable");
    }
    bool WriteInteger(const std::string&, const std::string&, std::int32_t) override
    {
        throw std::runtime_error("read-only");
    }
    bool WriteString(const std::string&, const std::string&, const std::string&) override
    {
        throw std::runtime_error("read-only");
    }
};

} // namespace

TEST_F(SettingsTest, FirstRunGivesDefaultsAndExitWritesAllNineValues)
{
    {
        TViewerSettings settings;
        EXPECT_EQ(settings.mapProjection.Value, 7);
        EXPECT_EQ(settings.openFilterIndex.Value, 2);
        EXPECT_EQ(settings.dataFolder.Value, "/opt/brenmoor/bin/");
        for (const auto& box : settings.boxes)
            EXPECT_FALSE(box->isChecked());
        // Reading a key that does not exist creates nothing.
        EXPECT_FALSE(QFile::exists(File()));
    }
    const QJsonObject values = ViewerValues();
    const std::map<QString, QJsonValue> expected = {
        {"BackgroundColour", 0}, {"MapProjection", 7},
        {"MapRegion", 0},        {"DataFolder", "/opt/brenmoor/bin/"},
        {"OpenFilterIndex", 2},  {"TempsInC", 0},
        {"FixMaxTemp", 0},       {"ShowGridlines", 0},
        {"OpenGroup", 0},
    };
    EXPECT_EQ(values.size(), 9);
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(values[name], value) << name.toStdString();
        EXPECT_EQ(values[name].type(), value.type()) << name.toStdString();
    }
}

TEST_F(SettingsTest, ValuesChangedInOneRunAreReadInTheNext)
{
    {
        TViewerSettings settings;
        settings.backgroundColour.Value = 0xFFFFFF;
        settings.mapRegion.Value = 5;
        settings.dataFolder.Value = "/data/passes/2010/";
        settings.boxes[2]->setChecked(true);
    }
    TViewerSettings settings;
    EXPECT_EQ(settings.backgroundColour.Value, 16777215);
    EXPECT_EQ(settings.mapRegion.Value, 5);
    EXPECT_EQ(settings.dataFolder.Value, "/data/passes/2010/");
    EXPECT_TRUE(settings.boxes[2]->isChecked());
    EXPECT_FALSE(settings.boxes[3]->isChecked());
}

TEST_F(SettingsTest, ValuesOfAnotherTypeAreIgnoredAndOverwritten)
{
    WriteFile(R"({"Software": {"Brenmoor": {"Veltra": {
        "MapProjection": "5", "MapRegion": 2.5, "BackgroundColour": 4294967296,
        "OpenFilterIndex": true, "DataFolder": 12, "ShowGridlines": 7, "OpenGroup": [1]
    }}}})");
    {
        TRegistryInteger projection("MapProjection", 7);
        TRegistryInteger region("MapRegion", 0);
        TRegistryInteger colour("BackgroundColour", 0);
        TRegistryInteger filter("OpenFilterIndex", 2);
        TRegistryString folder("DataFolder", "/opt/");
        TRegistryBoolean gridlines("ShowGridlines", false);
        TRegistryBoolean group("OpenGroup", false);
        EXPECT_EQ(projection.Value, 7);
        EXPECT_EQ(region.Value, 0);
        EXPECT_EQ(colour.Value, 0);
        EXPECT_EQ(filter.Value, 2);
        EXPECT_EQ(folder.Value, "/opt/");
        EXPECT_TRUE(gridlines.Value); // any non-zero integer is true
        EXPECT_FALSE(group.Value);
    }
    const QJsonObject values = ViewerValues();
    EXPECT_EQ(values["MapProjection"], QJsonValue(7));
    EXPECT_EQ(values["MapRegion"], QJsonValue(0));
    EXPECT_EQ(values["OpenFilterIndex"], QJsonValue(2));
    EXPECT_EQ(values["DataFolder"], QJsonValue("/opt/"));
    EXPECT_EQ(values["ShowGridlines"], QJsonValue(1));
    EXPECT_EQ(values["OpenGroup"], QJsonValue(0));
}

TEST_F(SettingsTest, RenamingTheExecutableMovesTheSettingsToANewKey)
{
    {
        TRegistryInteger projection("MapProjection", 7);
        projection.Value = 9;
    }
    SetExecutablePath("/opt/brenmoor/bin/Veltra2.bin");
    EXPECT_EQ(ProgramKey(), "Software/Brenmoor/Veltra2");
    EXPECT_EQ(ProgramFolder(), "/opt/brenmoor/bin/");
    {
        TRegistryInteger projection("MapProjection", 7);
        EXPECT_EQ(projection.Value, 7);
        projection.Value = 1;
    }
    EXPECT_EQ(FileValue("Software/Brenmoor/Veltra/MapProjection"), QJsonValue(9));
    EXPECT_EQ(FileValue("Software/Brenmoor/Veltra2/MapProjection"), QJsonValue(1));
}

TEST_F(SettingsTest, AppPathsRegistrationAndLookUp)
{
    EXPECT_EQ(LookUpAppPath("Zephano"), "");
    RegisterAppPath();
    EXPECT_EQ(LookUpAppPath("Veltra"), ViewerPath);
    EXPECT_EQ(LookUpAppPath("Zephano"), "");
    EXPECT_EQ(FileValue("Software/Brenmoor/App Paths/Veltra"), QJsonValue(ViewerPath));
}

TEST_F(SettingsTest, FailingAndNullStoresLeaveDefaultsAndNeverRaise)
{
    auto broken = std::make_shared<TBrokenStore>();
    EXPECT_NO_THROW({
        TRegistryInteger projection(broken, "MapProjection", 7);
        TRegistryString folder(broken, "DataFolder", "/opt/");
        EXPECT_EQ(projection.Value, 7);
        EXPECT_EQ(folder.Value, "/opt/");
        EXPECT_EQ(LookUpAppPath(*broken, "Veltra"), "");
        RegisterAppPath(*broken);
    });

    // A settings file whose folder cannot be made (a plain file stands in its way).
    WriteFile("not a folder");
    auto unwritable = std::make_shared<TJsonSettingsStore>(File() + "/registry.json");
    EXPECT_FALSE(unwritable->WriteInteger(ViewerKey, "MapRegion", 1));
    EXPECT_NO_THROW({
        TRegistryInteger projection(unwritable, "MapProjection", 7);
        EXPECT_EQ(projection.Value, 7);
        projection.Value = 5;
    });

    // A batch run installs a null store: the stored value is not read, nothing is written.
    WriteFile(R"({"Software": {"Brenmoor": {"Veltra": {"MapProjection": 5}}}})");
    SetDefaultSettingsStore(std::make_shared<TNullSettingsStore>());
    {
        TRegistryInteger projection("MapProjection", 7);
        EXPECT_EQ(projection.Value, 7);
        projection.Value = 1;
        RegisterAppPath();
    }
    EXPECT_EQ(FileContent(), QJsonDocument::fromJson(
                                 R"({"Software": {"Brenmoor": {"Veltra": {"MapProjection": 5}}}})")
                                 .object());
}
