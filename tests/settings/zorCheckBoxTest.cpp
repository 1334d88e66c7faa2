#include <gtest/gtest.h>

#include "SettingsFixture.h"
#include "settings/qt/zorCheckBox.h"

using namespace veltra;

TEST_F(SettingsTest, CheckBoxRestoresWithoutRunningItsHandlersAndWritesAtDestruction)
{
    WriteFile(R"({"Software": {"Brenmoor": {"Veltra": {"ShowGridlines": 1}}}})");
    int handled = 0;
    {
        TzorCheckBox box(QStringLiteral("Gridlines"));
        box.SetNamedAs(QStringLiteral("ShowGridlines"));
        QObject::connect(&box, &QCheckBox::clicked, [&] { ++handled; });
        QObject::connect(&box, &QCheckBox::toggled, [&] { ++handled; });
        QObject::connect(&box, &QCheckBox::stateChanged, [&] { ++handled; });
        box.Restore();
        EXPECT_TRUE(box.isChecked());
        EXPECT_EQ(handled, 0);

        box.click(); // the user unticks it: the handlers run
        EXPECT_EQ(handled, 3);
        box.Restore(); // a second call does not read again
        EXPECT_FALSE(box.isChecked());
    }
    EXPECT_EQ(ViewerValues()["ShowGridlines"], QJsonValue(0));
}

TEST_F(SettingsTest, CheckBoxWithoutNamedAsPersistsUnderItsObjectName)
{
    {
        TzorCheckBox box;
        box.setObjectName(QStringLiteral("CheckBoxOpenGroup"));
        box.setChecked(true); // the state of the form description is the default
        box.Restore();
        EXPECT_TRUE(box.isChecked());
        EXPECT_EQ(box.NamedAs(), "CheckBoxOpenGroup");

        TzorCheckBox nameless; // nothing to be kept under
        nameless.Restore();
        EXPECT_EQ(nameless.Setting(), nullptr);
    }
    EXPECT_EQ(ViewerValues(), (QJsonObject{{"CheckBoxOpenGroup", 1}}));
}
