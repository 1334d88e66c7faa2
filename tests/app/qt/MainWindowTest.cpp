// The main window over the real controller: controls, captions and hints, menus and their
// check marks, tabs, check boxes, the scale bar, drops, dialogs and the failure guard.
#include <gtest/gtest.h>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

#include "app/qt/Adapters.h"
#include "app/qt/FootprintPanel.h"
#include "app/qt/MainWindow.h"
#include "app/qt/WindowState.h"
#include "imaging/qt/MapCanvas.h"
#include "mapping/zorMapping.h"
#include "settings/qt/JsonSettingsStore.h"
#include "shell/ATOVSDiagnostics.h"

namespace veltra {
namespace {

std::string Executable()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

QStringList TabTexts(const QTabBar& bar)
{
    QStringList texts;
    for (int i = 0; i < bar.count(); ++i)
        texts << bar.tabText(i);
    return texts;
}

QStringList Numbers(int first, int last)
{
    QStringList texts;
    for (int i = first; i <= last; ++i)
        texts << QString::number(i);
    return texts;
}

QStringList ActionTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        texts << (action->isSeparator() ? "-" : action->text());
    return texts;
}

// Answers the next modal dialog that opens while it lives; stops looking when destroyed.
class TDialogAnswer {
public:
    explicit TDialogAnswer(std::function<void(QDialog&)> answer)
    {
        QObject::connect(&timer_, &QTimer::timeout, [this, answer] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timer_.stop();
                answered_ = true;
                answer(*dialog);
                // A dialog the answer failed to close would hang the test: fail instead.
                QTimer::singleShot(2000, dialog, [dialog] {
                    if (dialog->isVisible()) {
                        ADD_FAILURE() << "the dialog was left open";
                        dialog->reject();
                    }
                });
            }
        });
        timer_.start(10);
    }
    bool Answered() const { return answered_; }

private:
    QTimer timer_;
    bool answered_ = false;
};

// Drags and drops urls on the window as the desktop would; true when the drop was taken.
bool Drop(QWidget& window, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted())
        return false;
    EXPECT_EQ(Qt::CopyAction, enter.dropAction());
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        window_ = std::make_unique<TMainWindow>(std::vector<std::string>{}, Executable());
        diagnostics_ = new TFormATOVSDiagnostics(window_.get());
        window_->AttachDiagnostics(diagnostics_);
    }

    void Show()
    {
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    QString MakeFile(const QString& name)
    {
        QFile file(folder_.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        return file.fileName();
    }

    template <class T> T* Child(const char* name)
    {
        T* child = window_->findChild<T*>(name);
        EXPECT_NE(nullptr, child) << name;
        return child;
    }
    QAction* Action(const char* name) { return Child<QAction>(name); }
    QLabel* Label(const char* name) { return Child<QLabel>(name); }
    QCheckBox* Box(const char* name) { return Child<QCheckBox>(name); }
    QTabBar* Tabs(const char* name) { return Child<QTabBar>(name); }
    TFormVeltra& Form() { return window_->Form(); }

    QTemporaryDir folder_;
    std::unique_ptr<TMainWindow> window_;
    TFormATOVSDiagnostics* diagnostics_ = nullptr;
};

TEST_F(MainWindowTest, ControlsCarryTheirCaptionsHintsAndNames)
{
    EXPECT_EQ("Veltra - Brenmoor", window_->windowTitle());
    EXPECT_EQ((QStringList{"HIRS", "AMSU-A", "AMSU-B"}), TabTexts(*Tabs("TabControlSensor")));
    EXPECT_EQ(0, Tabs("TabControlSensor")->currentIndex());
    EXPECT_EQ(Numbers(1, 20), TabTexts(*Tabs("TabControlChannel")));
    EXPECT_EQ(0, Tabs("TabControlChannel")->currentIndex());
    EXPECT_EQ(QSize(29, 22), Tabs("TabControlChannel")->tabRect(0).size());

    struct TBox {
        const char* Name;
        const char* Caption;
        const char* Hint;
        const char* PersistedAs;
    };
    const TBox boxes[] = {
        {"CheckBoxTempsInC", "K/C", "Show temperatures in Kelvin or Celsius", "TempsInC"},
        {"CheckBoxFixMaxTemp", "Fixed", "Fix to maximum temperature to 350K", "FixMaxTemp"},
        {"CheckBoxGridlines", "Gridlines", "Check to display gridlines", "ShowGridlines"},
        {"CheckBoxOpenGroup", "Open group",
         "Check to open files from all stations - program restart required", "OpenGroup"},
    };
    for (const TBox& expected : boxes) {
        QCheckBox* box = Box(expected.Name);
        ASSERT_TRUE(box);
        EXPECT_EQ(expected.Caption, box->text());
        EXPECT_EQ(expected.Hint, box->toolTip());
        EXPECT_EQ(expected.PersistedAs, PersistedName(*box));
        EXPECT_FALSE(box->isChecked());
    }
    EXPECT_TRUE(Box("CheckBoxOpenGroup")->isHidden());

    EXPECT_EQ("MinT", Label("LabelMinTemp")->text());
    EXPECT_TRUE(Label("LabelMinTemp")->alignment() & Qt::AlignRight);
    EXPECT_EQ("MaxT", Label("LabelMaxTemp")->text());
    EXPECT_EQ("Satellite Name", Label("LabelSatName")->text());
    EXPECT_EQ("", Label("LabelCursorLocation")->text());

    auto* image = Child<QWidget>("ImageDisplay");
    ASSERT_TRUE(image);
    EXPECT_EQ(Qt::CrossCursor, image->cursor().shape());
    EXPECT_TRUE(image->hasMouseTracking());
    EXPECT_EQ(129, Child<QWidget>("PaintBoxScale")->width());
}

TEST_F(MainWindowTest, FirstShowingSizesTheScaleBarAndShowsOpenGroup)
{
    Show();
    EXPECT_TRUE(Box("CheckBoxOpenGroup")->isVisible());
    auto* bar = Child<QWidget>("PaintBoxScale");
    EXPECT_EQ(window_->TextHeight("Cy") * 17 / 13, bar->height());
    EXPECT_EQ(129, bar->width());

    // Painting the bar writes the limits beside it, in kelvin until K/C is checked.
    bar->repaint();
    EXPECT_EQ("200K", Label("LabelMinTemp")->text());
    EXPECT_EQ("320K", Label("LabelMaxTemp")->text());
    QTest::mouseClick(Box("CheckBoxTempsInC"), Qt::LeftButton);
    EXPECT_TRUE(window_->IsChecked(TCheckBoxId::TempsInC));
    bar->repaint();
    EXPECT_EQ("-73C", Label("LabelMinTemp")->text());
    EXPECT_EQ("47C", Label("LabelMaxTemp")->text());
}

TEST_F(MainWindowTest, MenusAreAsDesignedWithSaveItemsDisabled)
{
    QStringList titles;
    for (const QAction* action : window_->menuBar()->actions())
        titles << action->text();
    EXPECT_EQ((QStringList{"&File", "&View", "&Options", "&Help"}), titles);
    EXPECT_EQ((QStringList{"&Open...", "Open &recent", "Save &As...",
                           "Save &brightness temperatures", "&Export", "-", "E&xit"}),
              ActionTexts(*Child<QMenu>("MenuFile")));
    EXPECT_EQ((QStringList{"NetCDF...", "CSV...", "GeoTIFF...", "GeoTIFF of values...",
                           "NetCDF, all channels..."}),
              ActionTexts(*Child<QMenu>("MenuFileExport")));
    EXPECT_EQ(
        (QStringList{"&Diagnostics...", "-", "Zoom &in", "Zoom &out", "&Fit to pass", "&Reset view",
                     "-", "Fill &footprints", "&Hide flagged scan lines", "Footprint &spectrum",
                     "Difference &with channel...", "&Palette", "&Composite"}),
        ActionTexts(*Child<QMenu>("MenuView")));
    EXPECT_EQ((QStringList{"&Thermal", "&Viridis", "&Cividis", "&Greyscale", "&Difference"}),
              ActionTexts(*Child<QMenu>("MenuViewPalette")));
    EXPECT_TRUE(Action("MenuViewHideFlaggedLines")->isCheckable());
    EXPECT_EQ((QStringList{"&Latest on top", "&Nearest nadir", "M&inimum", "M&aximum", "M&ean"}),
              ActionTexts(*Child<QMenu>("MenuViewComposite")));
    EXPECT_EQ((QStringList{"&Background", "Map &projection", "Map &region", "-",
                           "HIRS counts with NOAA &offset", "-", "&Colour range...", "A&uto range",
                           "&Legend in saved pictures"}),
              ActionTexts(*Child<QMenu>("MenuOptions")));
    for (const char* name :
         {"MenuOptionsHirsCountOffset", "MenuOptionsAutoRange", "MenuOptionsLegend"})
        EXPECT_TRUE(Action(name)->isCheckable()) << name;
    EXPECT_EQ((QStringList{"&Black", "&White"}),
              ActionTexts(*Child<QMenu>("MenuOptionsBackground")));
    EXPECT_EQ((QStringList{"&Mercator", "Mercator (zoomed)", "&Orthographic", "Plate &Caree",
                           "Plate Caree (zoomed)", "&Polar stereographic"}),
              ActionTexts(*Child<QMenu>("MenuOptionsMapProjection")));
    EXPECT_EQ((QStringList{"&Atlantic", "&Europe", "&Indian Ocean", "&North America", "North &pole",
                           "&South America"}),
              ActionTexts(*Child<QMenu>("MenuOptionsRegion")));
    EXPECT_EQ((QStringList{"Veltra &help", "&About..."}), ActionTexts(*Child<QMenu>("MenuHelp")));

    EXPECT_TRUE(Action("MenuFileOpen")->isEnabled());
    EXPECT_FALSE(Action("MenuFileSaveAs")->isEnabled());
    EXPECT_FALSE(Action("MenuFileSaveRaw")->isEnabled());
    EXPECT_FALSE(Action("MenuFileOpen")->shortcut().isEmpty());
    EXPECT_FALSE(Action("MenuFileExit")->shortcut().isEmpty());
}

TEST_F(MainWindowTest, CheckMarksMoveWithinEachRadioGroup)
{
    Show();
    // With no stored settings: black background, orthographic projection, Europe.
    EXPECT_TRUE(Action("MenuOptionsBackgroundBlack")->isChecked());
    EXPECT_TRUE(Action("MenuOptionsOrthographic")->isChecked());
    EXPECT_TRUE(Action("MenuOptionsRegionEurope")->isChecked());
    EXPECT_TRUE(Action("MenuViewPaletteThermal")->isChecked());
    EXPECT_FALSE(Action("MenuOptionsHirsCountOffset")->isChecked());
    EXPECT_FALSE(Action("MenuOptionsLegend")->isChecked());

    // Clicking an item in its open menu.
    auto click = [](QMenu* menu, QAction* action) {
        menu->popup(QPoint(0, 0));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    };
    click(Child<QMenu>("MenuOptionsBackground"), Action("MenuOptionsBackgroundWhite"));
    EXPECT_TRUE(Action("MenuOptionsBackgroundWhite")->isChecked());
    EXPECT_FALSE(Action("MenuOptionsBackgroundBlack")->isChecked());

    click(Child<QMenu>("MenuOptionsMapProjection"), Action("MenuOptionsMercator"));
    EXPECT_TRUE(Action("MenuOptionsMercator")->isChecked());
    EXPECT_FALSE(Action("MenuOptionsOrthographic")->isChecked());
    Action("MenuOptionsPolarStereographic")->trigger();
    EXPECT_TRUE(Action("MenuOptionsPolarStereographic")->isChecked());

    click(Child<QMenu>("MenuOptionsRegion"), Action("MenuOptionsRegionAtlantic"));
    EXPECT_TRUE(Action("MenuOptionsRegionAtlantic")->isChecked());
    EXPECT_FALSE(Action("MenuOptionsRegionEurope")->isChecked());
    Action("MenuOptionsRegionNorthPole")->trigger();
    EXPECT_TRUE(Action("MenuOptionsRegionNorthPole")->isChecked());
    Action("MenuViewPaletteCividis")->trigger();
    EXPECT_EQ(Form().Palette(), TPaletteKind::Cividis);

    // Exactly one item of each group carries the mark.
    for (const char* menu : {"MenuOptionsBackground", "MenuOptionsMapProjection",
                             "MenuOptionsRegion", "MenuViewPalette"}) {
        int checked = 0;
        for (const QAction* action : Child<QMenu>(menu)->actions())
            checked += action->isChecked();
        EXPECT_EQ(1, checked) << menu;
    }
}

TEST_F(MainWindowTest, TabClicksSelectChannelAndSensor)
{
    Show();
    QTabBar* channels = Tabs("TabControlChannel");
    QTest::mouseClick(channels, Qt::LeftButton, {}, channels->tabRect(2).center());
    EXPECT_EQ(2, channels->currentIndex());
    EXPECT_EQ(2, Form().ChannelTabIndex);
    // A finished render pass enables saving.
    EXPECT_TRUE(Action("MenuFileSaveAs")->isEnabled());

    QTabBar* sensors = Tabs("TabControlSensor");
    QTest::mouseClick(sensors, Qt::LeftButton, {}, sensors->tabRect(1).center());
    EXPECT_EQ(1, Form().SensorTabIndex);
    EXPECT_EQ("AMSU-A", Form().SensorName());
    EXPECT_EQ(Numbers(1, 15), TabTexts(*channels));
    EXPECT_EQ(14, channels->currentIndex()); // AMSU-A starts on channel 15
}

TEST_F(MainWindowTest, CheckBoxesRerenderWithTheirNewState)
{
    Show();
    QTest::mouseClick(Box("CheckBoxFixMaxTemp"), Qt::LeftButton);
    EXPECT_TRUE(window_->IsChecked(TCheckBoxId::FixMaxTemp));
    EXPECT_EQ(350.0, Form().MaxTemp);
    QTest::mouseClick(Box("CheckBoxFixMaxTemp"), Qt::LeftButton);
    EXPECT_NE(350.0, Form().MaxTemp);

    QTest::mouseClick(Box("CheckBoxGridlines"), Qt::LeftButton);
    EXPECT_TRUE(window_->IsChecked(TCheckBoxId::Gridlines));
    QTest::mouseClick(Box("CheckBoxOpenGroup"), Qt::LeftButton);
    EXPECT_TRUE(window_->IsChecked(TCheckBoxId::OpenGroup));
}

TEST_F(MainWindowTest, DroppedFilesOpenTwoAsAComposite)
{
    const QString first = MakeFile("NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B");
    const QString second = MakeFile("other.L1B");
    // Before the window has been shown it is no drop target.
    EXPECT_FALSE(Drop(*window_, {QUrl::fromLocalFile(first)}));
    EXPECT_EQ("", Form().FileName);

    Show();
    auto* timer = Child<QTimer>("TimerLoad");
    EXPECT_FALSE(Drop(*window_, {QUrl("https://www.brenmoor.example/x.L1B")}));
    EXPECT_TRUE(Drop(*window_, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    EXPECT_EQ(first.toStdString(), Form().FileName);
    EXPECT_TRUE(Form().CompositeOpen);
    EXPECT_EQ(2, Form().Streams.Count());
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 3000));

    EXPECT_TRUE(Drop(*window_, {QUrl::fromLocalFile(first)}));
    EXPECT_EQ(first.toStdString(), Form().FileName);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(800, timer->interval());
    // The load timer detects the sensor from the name and renders.
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 3000));
    EXPECT_EQ((QStringList{"HIRS"}), TabTexts(*Tabs("TabControlSensor")));
    EXPECT_EQ(7, Tabs("TabControlChannel")->currentIndex());
}

TEST_F(MainWindowTest, ResizingFollowsTheImageAfterTheBurst)
{
    Show();
    auto* timer = Child<QTimer>("TimerResize");
    window_->resize(window_->width() + 50, window_->height() + 30);
    QApplication::processEvents();
    EXPECT_TRUE(timer->isActive());
    EXPECT_TRUE(QTest::qWaitFor([timer] { return !timer->isActive(); }, 3000));
    auto* image = Child<QWidget>("ImageDisplay");
    EXPECT_EQ(image->width(), Form().MapBitmap().Width());
    EXPECT_EQ(image->height(), Form().MapBitmap().Height());
    EXPECT_EQ(image->size(), ImageOf(Form().MapBitmap()).size());
}

TEST_F(MainWindowTest, MouseOverTheImageReadsOutAndLeavingClearsIt)
{
    Show();
    auto* image = Child<QWidget>("ImageDisplay");
    QTest::mouseMove(image, QPoint(12, 9));
    EXPECT_TRUE(QTest::qWaitFor([this] { return Form().LastMouseX == 12; }, 2000));
    EXPECT_EQ(9, Form().LastMouseY);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(image, &leave);
    EXPECT_EQ(0, Form().LastMouseX);
    EXPECT_EQ("", Label("LabelCursorLocation")->text());
}

TEST_F(MainWindowTest, OpenDialogStartsInTheDataFolderWithTheSecondFilter)
{
    Show();
    const QString file = MakeFile("hirsl1c_x.l1c");
    TDialogAnswer answer([&](QDialog& dialog) {
        auto* files = dynamic_cast<QFileDialog*>(&dialog);
        ASSERT_NE(nullptr, files);
        EXPECT_EQ("OpenDialog", files->objectName());
        EXPECT_EQ(5, files->nameFilters().size());
        EXPECT_TRUE(files->nameFilters().last().startsWith("All files"));
        EXPECT_TRUE(files->selectedNameFilter().startsWith("Eumetsat files"));
        EXPECT_EQ(QFileInfo(QString::fromStdString(Executable())).absolutePath(),
                  files->directory().absolutePath());
        EXPECT_EQ(QFileDialog::ExistingFiles, files->fileMode());
        // Typed into the name box, as selectFile leaves a focused box alone.
        files->setDirectory(folder_.path());
        files->findChild<QLineEdit*>("fileNameEdit")->setText(file);
        dialog.accept(); // QFileDialog::accept, through the public base
    });
    Action("MenuFileOpen")->trigger();
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(file.toStdString(), Form().FileName);
    EXPECT_TRUE(Child<QTimer>("TimerLoad")->isActive());

    // The next time the dialog starts where the file was chosen; cancelling opens nothing.
    TDialogAnswer cancel([&](QDialog& dialog) {
        auto* files = dynamic_cast<QFileDialog*>(&dialog);
        ASSERT_NE(nullptr, files);
        EXPECT_EQ(QDir(folder_.path()).absolutePath(), files->directory().absolutePath());
        EXPECT_TRUE(files->selectedNameFilter().startsWith("Eumetsat files"));
        dialog.reject();
    });
    Action("MenuFileOpen")->trigger();
    EXPECT_TRUE(cancel.Answered());
    EXPECT_EQ(file.toStdString(), Form().FileName);
}

TEST_F(MainWindowTest, FailedSaveIsShownAndNeverLeavesTheHandler)
{
    // Opened but never rendered nor sized: the empty map cannot be written.
    const QString file = MakeFile("x.L1C");
    Form().OpenFile(file.toStdString());
    window_->SetMenuEnabled(TMenuItem::FileSaveAs, true);
    const QString target = folder_.filePath("x.L1C.jpg");
    TDialogAnswer answer([&](QDialog& dialog) {
        auto* files = dynamic_cast<QFileDialog*>(&dialog);
        ASSERT_NE(nullptr, files);
        EXPECT_EQ("SaveDialog", files->objectName());
        EXPECT_EQ(QStringList{"JPEG files (*.jpg *.JPG)"}, files->nameFilters());
        EXPECT_EQ("jpg", files->defaultSuffix());
        EXPECT_FALSE(files->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(QStringList{target}, files->selectedFiles());
        dialog.accept(); // QFileDialog::accept, through the public base
    });
    testing::internal::CaptureStderr();
    Action("MenuFileSaveAs")->trigger();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(answer.Answered());
    EXPECT_NE(std::string::npos, errors.find("veltra: Error writing JPEG to file")) << errors;
    EXPECT_FALSE(QFileInfo::exists(target));
}

// File > Export: nothing to export before a pass; afterwards each item offers a name beside
// the data file and writes it, and a failure is shown.
TEST_F(MainWindowTest, ExportMenuWritesBesideTheDataFileAndShowsFailures)
{
    QMenu* exports = Child<QMenu>("MenuFileExport");
    Q_EMIT exports->aboutToShow();
    for (QAction* action : exports->actions())
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    const QString data = folder_.filePath("NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B");
    ASSERT_TRUE(
        QFile::copy(VELTRA_SAMPLES_DIR "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B", data));
    Show();
    Form().TimerResizeTimer();
    Form().OpenFile(data.toStdString());
    Form().TabControlSensorChange();
    // The pass's flagged lines are counted under the map, at the end of the first row.
    EXPECT_EQ("2 scan lines flagged", Label("LabelFlaggedLines")->text());
    Q_EMIT exports->aboutToShow();
    const struct {
        const char* Action;
        const char* Suffix;
        const char* Filter;
    } cases[] = {
        {"MenuFileExportNetCdf", "nc", "NetCDF files (*.nc *.NC)"},
        {"MenuFileExportCsv", "csv", "CSV files (*.csv *.CSV)"},
        {"MenuFileExportGeoTiff", "tif", "GeoTIFF files (*.tif *.TIF)"},
        {"MenuFileExportGeoTiffValues", "values.tif", "GeoTIFF files (*.tif *.TIF)"},
        {"MenuFileExportNetCdfAllChannels", "all-channels.nc", "NetCDF files (*.nc *.NC)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Action);
        const QString target = data + "." + c.Suffix;
        TDialogAnswer answer([&](QDialog& dialog) {
            auto* files = dynamic_cast<QFileDialog*>(&dialog);
            ASSERT_NE(nullptr, files);
            EXPECT_EQ(QStringList{c.Filter}, files->nameFilters());
            EXPECT_EQ(QStringList{target}, files->selectedFiles());
            dialog.accept();
        });
        ASSERT_TRUE(Action(c.Action)->isEnabled());
        Action(c.Action)->trigger();
        EXPECT_TRUE(answer.Answered());
        EXPECT_GT(QFileInfo(target).size(), 0);
    }
    // A projection without a coordinate reference system (the settings may hold any kind):
    // reported, nothing written, and the handler returns.
    const QString tif = data + ".tif";
    QFile::remove(tif);
    Form().Mapping->SetProjection(pkCassini);
    TDialogAnswer answer([](QDialog& dialog) { dialog.accept(); });
    testing::internal::CaptureStderr();
    Action("MenuFileExportGeoTiff")->trigger();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, errors.find("no coordinate reference system")) << errors;
    EXPECT_FALSE(QFileInfo::exists(tif));

    // A viewer without the export module beside it says why and writes nothing.
    window_ = std::make_unique<TMainWindow>(std::vector<std::string>{},
                                            folder_.filePath("Veltra").toStdString());
    Show();
    Form().TimerResizeTimer();
    Form().OpenFile(data.toStdString());
    Form().TabControlSensorChange();
    Q_EMIT Child<QMenu>("MenuFileExport")->aboutToShow();
    QFile::remove(data + ".nc");
    TDialogAnswer accept([](QDialog& dialog) { dialog.accept(); });
    testing::internal::CaptureStderr();
    Action("MenuFileExportNetCdf")->trigger();
    const std::string missing = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, missing.find("Cannot load the NetCDF and GeoTIFF exports: " +
                                              folder_.filePath("veltra-exports.so").toStdString()))
        << missing;
    EXPECT_FALSE(QFileInfo::exists(data + ".nc"));
}

TEST_F(MainWindowTest, DiagnosticsShowTheControllersLines)
{
    Form().DiagnosticLines() = {"Files:", "/data/a.l1c"};
    int rows = -1;
    TDialogAnswer answer([&rows, this](QDialog& dialog) {
        EXPECT_EQ(diagnostics_, &dialog);
        rows = dialog.findChild<QListWidget*>("ListBoxDiags")->count();
        dialog.accept();
    });
    Action("MenuViewDiagnostics")->trigger();
    EXPECT_TRUE(answer.Answered());
    EXPECT_EQ(2, rows);
}

TEST_F(MainWindowTest, ExitClosesTheWindow)
{
    Show();
    Action("MenuFileExit")->trigger();
    EXPECT_FALSE(window_->isVisible());
}

// The keys: F1 opens the help window beside the map, + and - zoom (not kept as a setting),
// Ctrl+S saves as.
TEST_F(MainWindowTest, HelpAndZoomKeys)
{
    Show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F1);
    auto* help = window_->findChild<QDialog*>("HelpWindow");
    ASSERT_NE(nullptr, help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    help->close();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->Form().Mapping->Width > 0; }));
    const float span = window_->Form().Mapping->LatitudeSpan;
    QTest::keyClick(window_.get(), Qt::Key_Plus);
    EXPECT_LT(window_->Form().Mapping->LatitudeSpan, span);
    QTest::keyClick(window_.get(), Qt::Key_Minus);
    EXPECT_FLOAT_EQ(window_->Form().Mapping->LatitudeSpan, span);
    EXPECT_TRUE(Action("MenuFileSaveAs")->shortcuts().contains(QKeySequence("Ctrl+S")));
}

// Options > "Colour range...": what is no range is refused with a message and changes
// nothing; a range is the channel's, and the next start has it again.
TEST_F(MainWindowTest, ColourRangeIsRefusedOrKeptForItsChannel)
{
    SetDefaultSettingsStore(std::make_shared<TJsonSettingsStore>(folder_.filePath("r.json")));
    const QString data = folder_.filePath("NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B");
    ASSERT_TRUE(
        QFile::copy(VELTRA_SAMPLES_DIR "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B", data));
    auto open = [&] {
        window_ = std::make_unique<TMainWindow>(std::vector<std::string>{}, Executable());
        Show();
        Form().OpenFile(data.toStdString());
        Form().TabControlSensorChange();
    };
    auto answer = [&](const char* minimum, const char* maximum) {
        TDialogAnswer typed([&](QDialog& dialog) {
            EXPECT_EQ("ColourRangeDialog", dialog.objectName());
            dialog.findChild<QLineEdit*>("ColourRangeMinimum")->setText(minimum);
            dialog.findChild<QLineEdit*>("ColourRangeMaximum")->setText(maximum);
            dialog.accept();
        });
        testing::internal::CaptureStderr();
        Action("MenuOptionsColourRange")->trigger();
        EXPECT_TRUE(typed.Answered());
        return testing::internal::GetCapturedStderr();
    };
    open();
    EXPECT_NE(answer("300", "two hundred").find("veltra: The colour range needs two numbers"),
              std::string::npos);
    EXPECT_EQ(Form().MaxTemp, 330);
    EXPECT_EQ(answer("210", "290").find("veltra:"), std::string::npos);
    EXPECT_EQ(Form().MinTemp, 210);
    window_.reset();
    open();
    EXPECT_EQ(Form().MinTemp, 210);
    EXPECT_EQ(Form().MaxTemp, 290);
    window_.reset();
    SetDefaultSettingsStore(nullptr);
}

// Size and position come back at the next start; a position off every screen does not, and
// neither does a size below the smallest the window allows.
TEST_F(MainWindowTest, SizeAndPositionAreKeptBetweenRuns)
{
    SetDefaultSettingsStore(std::make_shared<TJsonSettingsStore>(folder_.filePath("r.json")));
    window_.reset();
    auto run = [](const std::function<void(TMainWindow&)>& change) {
        TMainWindow window({}, Executable());
        window.show();
        const QRect shown(window.pos(), window.size());
        change(window);
        return shown;
    };
    run([](TMainWindow& w) {
        w.resize(700, 620);
        w.move(30, 40);
    });
    QRect shown = run([](TMainWindow& w) { w.move(5000, 40); });
    EXPECT_EQ(QSize(700, 620), shown.size());
    EXPECT_EQ(QPoint(30, 40), shown.topLeft());
    shown = run([](TMainWindow& w) { w.resize(10, 10); });
    EXPECT_NE(QPoint(5000, 40), shown.topLeft());
    EXPECT_GE(run([](TMainWindow&) {}).width(), 600);
    SetDefaultSettingsStore(nullptr);

    const QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    EXPECT_TRUE(ReachableOnScreens(QRect(100, 100, 800, 600), screens));
    EXPECT_TRUE(ReachableOnScreens(QRect(3000, 900, 800, 600), screens));
    EXPECT_TRUE(ReachableOnScreens(QRect(-700, 10, 800, 600), screens)); // a corner still on
    EXPECT_FALSE(ReachableOnScreens(QRect(3300, 100, 800, 600), screens));
    EXPECT_FALSE(ReachableOnScreens(QRect(100, 1070, 800, 600), screens));
    EXPECT_FALSE(ReachableOnScreens(QRect(100, -300, 800, 600), screens));
}

} // namespace
} // namespace veltra

namespace veltra {
namespace {

// The footprint panel: none until View > "Footprint spectrum" asks for it, and then the spectrum
// of the footprint under the cursor as the controller reads it from its record, the value of
// the channel shown being the one the map drew there; a click pins it, Escape lets it follow
// again, its context menu copies the table. The tab keys step channels and sensors, and a
// difference is chosen in its dialog.
TEST_F(MainWindowTest, FootprintPanelFollowsPinsAndCopiesTabKeysAndDifference)
{
    SetDefaultSettingsStore(std::make_shared<TJsonSettingsStore>(folder_.filePath("r.json")));
    window_ = std::make_unique<TMainWindow>(std::vector<std::string>{}, Executable());
    const QString data = folder_.filePath("atovsl1d_noaa15_20080115_0805_50410_gc.l1d");
    ASSERT_TRUE(
        QFile::copy(VELTRA_SAMPLES_DIR "/atovsl1d_noaa15_20080115_0805_50410_gc.l1d", data));
    Show();
    EXPECT_EQ(nullptr, window_->findChild<TFootprintPanel*>("FootprintPanel"));
    EXPECT_FALSE(Action("MenuViewFootprintSpectrum")->isChecked());
    Action("MenuViewFootprintSpectrum")->trigger();
    auto* panel = window_->findChild<TFootprintPanel*>("FootprintPanel");
    ASSERT_NE(nullptr, panel);
    EXPECT_TRUE(panel->isVisible());
    Form().TimerResizeTimer();
    Form().OpenFile(data.toStdString());
    Form().TabControlSensorChange();

    auto* image = Child<QWidget>("ImageDisplay");
    const auto drawnAt = [&](std::int32_t i) {
        return QPoint(Form().Drawn[i].X, Form().Drawn[i].Y);
    };
    const std::int32_t first = Form().SampleCount() / 2, second = first + 3;
    ASSERT_EQ(first, Form().FootprintNear(drawnAt(first).x(), drawnAt(first).y()));
    QTest::mouseMove(image, drawnAt(first));
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->Spectrum().has_value(); }, 2000));
    const TFootprintSpectrum& shown = *panel->Spectrum();
    EXPECT_EQ(Form().Samples.Origin(first).ScanLine, shown.ScanLine);
    EXPECT_EQ(Form().Samples.Origin(first).Footprint, shown.Footprint);
    EXPECT_EQ(8, shown.Shown);
    ASSERT_EQ(20u, shown.Rows.size());
    EXPECT_EQ(Form().Drawn[first].Value, shown.Rows[7].Value);
    auto* table = Child<QTableWidget>("FootprintTable");
    ASSERT_EQ(20, table->rowCount());
    EXPECT_EQ("8", table->item(7, 0)->text());
    EXPECT_EQ(QString::asprintf("%.2f K", static_cast<double>(shown.Rows[7].Value)),
              table->item(7, 2)->text());
    EXPECT_TRUE(table->item(7, 0)->font().bold());
    EXPECT_FALSE(table->item(6, 0)->font().bold());
    EXPECT_TRUE(table->item(19, 2)->text().endsWith(" %")); // channel 20: its albedo
    EXPECT_EQ(QString::fromStdString(SpectrumCaption(shown)),
              Child<QLabel>("FootprintCaption")->text());

    // Pinned, the panel stays with its footprint; Escape lets it follow again.
    QTest::mouseClick(image, Qt::LeftButton, Qt::NoModifier, drawnAt(first));
    EXPECT_TRUE(panel->Pinned());
    QTest::mouseMove(image, drawnAt(second));
    QTest::qWait(50);
    EXPECT_EQ(Form().Samples.Origin(first).Footprint, panel->Spectrum()->Footprint);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(panel->Pinned());
    QTest::mouseMove(image, drawnAt(second) + QPoint(0, 1));
    QTest::mouseMove(image, drawnAt(second));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return panel->Spectrum()->Footprint == Form().Samples.Origin(second).Footprint; },
        2000));

    // The context menu's copy puts the table on the clipboard as CSV.
    TFootprintSpectrum copied = *panel->Spectrum();
    QTimer::singleShot(0, [] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(nullptr, menu);
        menu->findChild<QAction*>("FootprintCopyCsv")->trigger();
        menu->close();
    });
    Q_EMIT table->customContextMenuRequested(QPoint(5, 5));
    EXPECT_EQ(QString::fromStdString(SpectrumCsv(copied)), QApplication::clipboard()->text());

    // Ctrl+PgDown: the next channel, which the panel marks after the render.
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(8, Tabs("TabControlChannel")->currentIndex());
    EXPECT_EQ(9, panel->Spectrum()->Shown);
    QTest::keyClick(window_.get(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(7, Tabs("TabControlChannel")->currentIndex());
    QTest::keyClick(window_.get(), Qt::Key_PageUp, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ("AMSU-B", Form().SensorName());
    EXPECT_EQ(5u, panel->Spectrum()->Rows.size()); // the same footprint's microwave channels
    EXPECT_TRUE(panel->Spectrum()->Microwave);

    // A difference, chosen in its dialog, and none again.
    const auto differ = [&](int channel) {
        TDialogAnswer answer([channel](QDialog& dialog) {
            auto* channels = dialog.findChild<QComboBox*>("DifferenceChannel");
            channels->setCurrentIndex(channels->findData(channel));
            dialog.accept();
        });
        Action("MenuViewDifference")->trigger();
        EXPECT_TRUE(answer.Answered());
    };
    Tabs("TabControlChannel")->setCurrentIndex(2); // channel 18
    differ(20);
    EXPECT_EQ("NOAA-15 - Channel 18 \u2212 20", Label("LabelSatName")->text().toStdString());
    EXPECT_TRUE(Action("MenuViewDifference")->isChecked());
    EXPECT_EQ(-Form().MinTemp, Form().MaxTemp);
    differ(0);
    EXPECT_FALSE(Action("MenuViewDifference")->isChecked());
    EXPECT_EQ(0, Form().DifferenceChannel());

    Action("MenuViewFootprintSpectrum")->trigger();
    EXPECT_FALSE(panel->isVisible());
    window_.reset();
    SetDefaultSettingsStore(nullptr);
}

} // namespace
} // namespace veltra
