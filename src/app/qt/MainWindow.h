#pragma once
// The Qt main window: the controls, menus, timers and dialogs of the viewer, and nothing
// more. It owns the controller TFormVeltra and implements the view the controller talks to;
// every event it receives is forwarded, in one line, to the controller operation of the same
// name, inside one guard that keeps exceptions from leaving a Qt handler.
#include <QMainWindow>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/VeltraForm.h"
#include "app/VeltraView.h"
#include "base/Failure.h"

class QAction;
class QCheckBox;
class QDialog;
class QLabel;
class QMenu;
class QTabBar;
class QTimer;

namespace veltra {

class TFootprintPanel;
class TFormATOVSDiagnostics;
class TWindowState;

// "Veltra - from Brenmoor": the title of the program's message boxes.
QString ApplicationTitle();

class TMainWindow : public QMainWindow, public TVeltraView {
public:
    // arguments: the command line without the program name; executable: the running program.
    TMainWindow(std::vector<std::string> arguments, std::string executable);
    ~TMainWindow() override;

    TFormVeltra& Form() { return *form_; }
    // The secondary windows, created after this one: the diagnostics window's line list
    // becomes the controller's diagnostics lines.
    void AttachDiagnostics(TFormATOVSDiagnostics* window);
    void AttachAbout(QDialog* window);
    // The status the program ends with.
    int ExitCode() const { return exitCode_; }

    // TVeltraView
    void SetWindowCaption(const std::string& caption) override;
    void SetMenuEnabled(TMenuItem item, bool enabled) override;
    void SetMenuChecked(TMenuItem item, bool checked) override;
    void SetSensorTabs(const std::vector<std::string>& captions) override;
    void SetSensorTabIndex(int index) override;
    void SetChannelTabs(const std::vector<std::string>& captions) override;
    void SetChannelTabIndex(int index) override;
    void SetLabelCaption(TLabelId label, const std::string& caption) override;
    void SetLabelHint(TLabelId label, const std::string& hint) override;
    void SetHintHidePause(int milliseconds) override;
    bool IsChecked(TCheckBoxId box) const override;
    void SetChecked(TCheckBoxId box, bool checked) override;
    void SetCheckBoxVisible(TCheckBoxId box, bool visible) override;
    void SetScaleBarHeight(int height) override;
    int TextHeight(const std::string& text) const override;
    void ImageDisplaySize(int& width, int& height) const override;
    void InvalidateImage() override;
    void InvalidateScale() override;
    void StartTimer(TTimerId timer, int milliseconds) override;
    void StopTimer(TTimerId timer) override;
    void BeginBusyCursor() override;
    void EndBusyCursor() override;
    void RegisterDropTarget() override;
    void UnregisterDropTarget() override;
    // MainWindowDialogs.cpp
    bool ExecuteOpenDialog(TOpenDialogRequest& request) override;
    bool ExecuteSaveDialog(TSaveDialogRequest& request) override;
    bool ExecuteDifferenceDialog(TDifferenceRequest& request) override;
    bool ExecuteColourRangeDialog(TColourRangeRequest& request) override; // ColourRangeDialog.cpp
    // The "Footprint" panel, made when first shown (MainWindowFootprint.cpp).
    void ShowFootprintPanel(bool visible) override;
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void SetExitCode(int code) override { exitCode_ = code; }
    void ShowStreamProblems(const std::vector<std::string>& lines) override;
    void ShowDiagnostics() override;
    void ShowAbout() override;
    void ShowHelp() override;
    void SetRecentFiles(const std::vector<std::string>& names,
                        const std::vector<bool>& present) override;
    void Close() override;
    TCanvasPainter& Painter() override;
    void SaveJPEG(const TRgbImage& pixels, const std::string& fileName, int quality,
                  const std::string& comment) override;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Runs one controller operation; a failure is shown to the user and never leaves the
    // handler. False when the operation failed.
    template <class Operation> bool Guarded(Operation&& operation) noexcept;
    void CreateMenus();
    void CreateControls();
    QWidget* CreateStatusStrip();
    void PaintScale(QWidget& bar);
    void LoadTimerFired();
    // Nobody reads a message box: no display, or an unattended run (FILE and a second
    // argument), whose messages go to standard output and error instead.
    bool Unwatched() const;
    bool Unattended() const { return form_ && form_->Arguments().size() >= 2; }
    QAction* Action(TMenuItem item) const;
    QTimer* Timer(TTimerId timer) const;
    QCheckBox* CheckBox(TCheckBoxId box) const;
    QLabel* Label(TLabelId label) const;
    // The map's mouse, which the footprint panel follows and a click pins.
    void FootprintPanelFollow(int x, int y);
    void FootprintPanelPin(int x, int y);

    std::unique_ptr<TFormVeltra> form_;
    std::array<QAction*, static_cast<std::size_t>(TMenuItem::HelpAbout) + 1> actions_{};
    QTabBar* TabControlSensor = nullptr;
    QTabBar* TabControlChannel = nullptr;
    QWidget* ImageDisplay = nullptr;
    QWidget* PaintBoxScale = nullptr;
    std::array<QCheckBox*, 4> checkBoxes_{};
    std::array<QLabel*, static_cast<std::size_t>(TLabelId::FlaggedLines) + 1> labels_{};
    std::string satelliteHint_;
    QLabel* LabelStreamProblems = nullptr; // the status line under the map
    QTimer* TimerLoad = nullptr;
    QTimer* TimerResize = nullptr;
    QTimer* TimerRender = nullptr;
    TFormATOVSDiagnostics* diagnostics_ = nullptr;
    QDialog* about_ = nullptr;
    QDialog* help_ = nullptr;
    QMenu* recentMenu_ = nullptr;
    TFootprintPanel* footprintPanel_ = nullptr; // none until first shown
    std::unique_ptr<TWindowState> windowState_;
    bool dropTarget_ = false;
    bool shown_ = false;
    bool errorShown_ = false;
    int busy_ = 0;
    int exitCode_ = 0;
};

// The one guard round every handler: a failure is shown and never leaves it.
template <class Operation> inline bool TMainWindow::Guarded(Operation&& operation) noexcept
{
    try {
        try {
            operation();
            return true;
        } catch (...) {
            ShowError(CaughtFailure().Message);
        }
    } catch (...) {
        std::fputs("veltra: a failure could not be shown\n", stderr);
    }
    return false;
}

} // namespace veltra
