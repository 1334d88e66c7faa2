// The dialog filters: the program's "caption|masks" pairs as Qt name filters.
#include <gtest/gtest.h>

#include "app/VeltraForm.h"
#include "app/qt/FileDialogs.h"

namespace veltra {
namespace {

TEST(FileDialogsTest, FiltersBecomeQtNameFiltersWithUpperCaseMasks)
{
    const QStringList open = QtNameFilters(TFormVeltra::OpenFilter);
    EXPECT_EQ((QStringList{"Compressed files (*.bz2 *.BZ2)",
                           "Eumetsat files (*.l1c *.l1d *.L1C *.L1D)", "SAA files (*.l1b *.L1B)"}),
              open);
    EXPECT_EQ(QStringList{"JPEG files (*.jpg *.JPG)"}, QtNameFilters(TFormVeltra::SaveFilter));
}

TEST(FileDialogsTest, OddFiltersGiveWhatTheyCan)
{
    EXPECT_TRUE(QtNameFilters("").isEmpty());
    EXPECT_TRUE(QtNameFilters("caption without masks").isEmpty());
    EXPECT_EQ(QStringList{"All (*)"}, QtNameFilters("All|*|dangling"));
    EXPECT_EQ(QStringList{"Data (*.a *.b *.A *.B)"}, QtNameFilters("Data|*.a; *.b;"));
}

} // namespace
} // namespace veltra
