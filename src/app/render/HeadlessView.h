#pragma once
// A view with no window: the controller renders into its map bitmap of the size the run's
// request gives, check boxes answer from the states set, dialogs are never shown and timers
// never fire by themselves. The batch renderer drives the controller through it, so its pictures
// and numbers are the viewer's own.
#include <map>
#include <string>
#include <vector>

#include "app/VeltraView.h"
#include "imaging/PaintModule.h"

namespace veltra {

class THeadlessView : public TVeltraView {
public:
    // Text and the widest pens are drawn by the paint module in `moduleFolder`.
    explicit THeadlessView(const std::string& moduleFolder) : painter_(moduleFolder) {}

    void SetWindowCaption(const std::string&) override {}
    void SetMenuEnabled(TMenuItem, bool) override {}
    void SetMenuChecked(TMenuItem, bool) override {}
    void SetSensorTabs(const std::vector<std::string>&) override {}
    void SetSensorTabIndex(int) override {}
    void SetChannelTabs(const std::vector<std::string>&) override {}
    void SetChannelTabIndex(int) override {}
    void SetLabelCaption(TLabelId, const std::string&) override {}
    void SetLabelHint(TLabelId, const std::string&) override {}
    void SetHintHidePause(int) override {}
    bool IsChecked(TCheckBoxId box) const override;
    void SetChecked(TCheckBoxId box, bool checked) override { boxes_[box] = checked; }
    void SetCheckBoxVisible(TCheckBoxId, bool) override {}
    void SetScaleBarHeight(int) override {}
    int TextHeight(const std::string&) const override { return 13; }
    // No image on screen: 0 by 0 (the request sizes the map).
    void ImageDisplaySize(int& width, int& height) const override { width = height = 0; }
    void InvalidateImage() override {}
    void InvalidateScale() override {}
    void StartTimer(TTimerId, int) override {}
    void StopTimer(TTimerId) override {}
    void BeginBusyCursor() override {}
    void EndBusyCursor() override {}
    void RegisterDropTarget() override {}
    void UnregisterDropTarget() override {}
    bool ExecuteOpenDialog(TOpenDialogRequest&) override { return false; }
    bool ExecuteSaveDialog(TSaveDialogRequest&) override { return false; }
    void ShowMessage(const std::string&) override {}
    void ShowError(const std::string&) override {}
    void SetExitCode(int) override {}
    void ShowStreamProblems(const std::vector<std::string>&) override {}
    void ShowDiagnostics() override {}
    void ShowAbout() override {}
    void Close() override {}
    TCanvasPainter& Painter() override { return painter_; }
    void SaveJPEG(const TRgbImage& pixels, const std::string& fileName, int quality,
                  const std::string& comment) override;

private:
    std::map<TCheckBoxId, bool> boxes_;
    TModulePainter painter_;
};

} // namespace veltra
