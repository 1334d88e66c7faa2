#pragma once
// A view for controller tests: keeps what the controller shows and answers its questions
// from fields the test sets.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/VeltraView.h"
#include "base/Errors.h"

namespace veltra::test {

// Text measured as 5 pixels a character and 9 high, and not drawn; pens wider than the canvas
// draws itself are not drawn either (the controller uses none).
class TFakePainter : public TCanvasPainter {
public:
    void WideSegment(const TRgbPixels&, double, double, double, double, TColour, int) override {}
    int TextWidth(const TFont&, const std::string& text) override
    {
        return 5 * static_cast<int>(text.size());
    }
    int TextHeight(const TFont&) override { return 9; }
    void TextOut(const TRgbPixels&, int, int, const TFont&, const std::string&) override {}
};

class TFakeView : public TVeltraView {
public:
    std::string Caption;
    std::map<TMenuItem, bool> Enabled, Checked;
    std::vector<std::string> SensorTabs, ChannelTabs;
    int SensorTabIndex = 0, ChannelTabIndex = 0;
    std::map<TLabelId, std::string> Labels, Hints;
    int HintPause = 0;
    std::map<TCheckBoxId, bool> Boxes;
    std::map<TCheckBoxId, bool> Visible;
    int ScaleBarHeight = 0;
    int TextPixels = 13;
    int ImageWidth = 800, ImageHeight = 600;
    int ImageInvalidations = 0, ScaleInvalidations = 0;
    std::map<TTimerId, bool> Running;
    std::map<TTimerId, int> Starts;
    int Busy = 0, BusyCalls = 0;
    bool DropRegistered = false;
    // Dialog answers: an empty name cancels.
    std::string OpenAnswer, SaveAnswer;
    int OpenFilterAnswer = 0;
    TOpenDialogRequest LastOpen;
    TSaveDialogRequest LastSave;
    int OpenDialogs = 0, SaveDialogs = 0;
    std::optional<TColourRangeRequest> RangeAnswer; // none cancels
    TColourRangeRequest LastRange;
    std::vector<std::string> Messages, Errors, Problems;
    int ExitCode = 0;
    bool Closed = false;
    std::vector<std::string> RecentNames;
    std::vector<bool> RecentPresent;
    std::vector<std::string> SavedJpegs;
    bool FailJpeg = false;
    bool FailRender = false; // the render pass raises as it finishes the picture
    TFakePainter FakePainter;

    void SetWindowCaption(const std::string& c) override { Caption = c; }
    void SetMenuEnabled(TMenuItem item, bool e) override { Enabled[item] = e; }
    void SetMenuChecked(TMenuItem item, bool c) override { Checked[item] = c; }
    void SetSensorTabs(const std::vector<std::string>& t) override
    {
        SensorTabs = t;
        SensorTabIndex = 0;
    }
    void SetSensorTabIndex(int i) override { SensorTabIndex = i; }
    void SetChannelTabs(const std::vector<std::string>& t) override
    {
        ChannelTabs = t;
        ChannelTabIndex = 0;
    }
    void SetChannelTabIndex(int i) override { ChannelTabIndex = i; }
    void SetLabelCaption(TLabelId l, const std::string& c) override { Labels[l] = c; }
    void SetLabelHint(TLabelId l, const std::string& h) override { Hints[l] = h; }
    void SetHintHidePause(int ms) override { HintPause = ms; }
    bool IsChecked(TCheckBoxId b) const override
    {
        const auto it = Boxes.find(b);
        return it != Boxes.end() && it->second;
    }
    void SetChecked(TCheckBoxId b, bool c) override { Boxes[b] = c; }
    void SetCheckBoxVisible(TCheckBoxId b, bool v) override { Visible[b] = v; }
    void SetScaleBarHeight(int h) override { ScaleBarHeight = h; }
    int TextHeight(const std::string&) const override { return TextPixels; }
    void ImageDisplaySize(int& w, int& h) const override
    {
        w = ImageWidth;
        h = ImageHeight;
    }
    void InvalidateImage() override
    {
        if (FailRender)
            throw EVeltraError("Render failed");
        ++ImageInvalidations;
    }
    void InvalidateScale() override { ++ScaleInvalidations; }
    void StartTimer(TTimerId t, int) override
    {
        Running[t] = true;
        ++Starts[t];
    }
    void StopTimer(TTimerId t) override { Running[t] = false; }
    void SetRecentFiles(const std::vector<std::string>& names,
                        const std::vector<bool>& present) override
    {
        RecentNames = names;
        RecentPresent = present;
    }
    void BeginBusyCursor() override
    {
        ++Busy;
        ++BusyCalls;
    }
    void EndBusyCursor() override { --Busy; }
    void RegisterDropTarget() override { DropRegistered = true; }
    void UnregisterDropTarget() override { DropRegistered = false; }
    bool ExecuteOpenDialog(TOpenDialogRequest& r) override
    {
        ++OpenDialogs;
        LastOpen = r;
        if (OpenAnswer.empty())
            return false;
        r.FileName = OpenAnswer;
        if (OpenFilterAnswer)
            r.FilterIndex = OpenFilterAnswer;
        return true;
    }
    bool ExecuteColourRangeDialog(TColourRangeRequest& r) override
    {
        LastRange = r;
        if (!RangeAnswer)
            return false;
        r = *RangeAnswer;
        return true;
    }
    bool ExecuteSaveDialog(TSaveDialogRequest& r) override
    {
        ++SaveDialogs;
        LastSave = r;
        if (SaveAnswer.empty())
            return false;
        r.FileName = SaveAnswer;
        return true;
    }
    void ShowMessage(const std::string& t) override { Messages.push_back(t); }
    void ShowError(const std::string& t) override { Errors.push_back(t); }
    void SetExitCode(int code) override { ExitCode = code; }
    void ShowStreamProblems(const std::vector<std::string>& lines) override { Problems = lines; }
    void ShowDiagnostics() override {}
    void ShowAbout() override {}
    void Close() override { Closed = true; }
    TCanvasPainter& Painter() override { return FakePainter; }
    void SaveJPEG(const TRgbImage&, const std::string& fileName, int, const std::string&) override
    {
        if (FailJpeg)
            throw EWriteError("Error writing JPEG to file");
        SavedJpegs.push_back(fileName);
    }
};

} // namespace veltra::test
