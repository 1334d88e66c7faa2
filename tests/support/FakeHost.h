#pragma once
// Test stand-ins for the parts the decoding pass draws with: a canvas that records every
// drawing call and keeps a plain pixel raster, a linear projector, and a decode host that keeps
// the main-window state the pass writes.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Projector.h"
#include "formats/DecodeHost.h"
#include "formats/Samples.h"

namespace veltra::test {

struct TCanvasCall {
    enum Kind { Move, Line, Width, Colour, Frame } What;
    int A = 0, B = 0, C = 0, D = 0; // Frame: left, top, right, bottom
};

// Records MoveTo/LineTo/FrameRect/pen changes; draws nothing but fills and keeps pixels for
// FillRect.
class TRecordingCanvas : public TCanvas {
public:
    TRecordingCanvas(int width = 1000, int height = 800) : width_(width), height_(height) {}

    std::vector<TCanvasCall> Calls;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    TColour PenColour() const override { return penColour_; }
    void SetPenColour(TColour c) override
    {
        penColour_ = c;
        Calls.push_back({TCanvasCall::Colour, static_cast<int>(c), 0});
    }
    int PenWidth() const override { return penWidth_; }
    void SetPenWidth(int w) override
    {
        penWidth_ = w;
        Calls.push_back({TCanvasCall::Width, w, 0});
    }
    TPenStyle PenStyle() const override { return style_; }
    void SetPenStyle(TPenStyle s) override { style_ = s; }
    void MoveTo(int x, int y) override { Calls.push_back({TCanvasCall::Move, x, y}); }
    void LineTo(int x, int y) override { Calls.push_back({TCanvasCall::Line, x, y}); }
    void Polyline(const TPoint* points, int count) override
    {
        for (int i = 0; i < count; ++i)
            Calls.push_back(
                {i == 0 ? TCanvasCall::Move : TCanvasCall::Line, points[i].X, points[i].Y});
    }
    void FillRect(int, int, int, int, TColour c) override { fill_ = c; }
    void FrameRect(int left, int top, int right, int bottom) override
    {
        Calls.push_back({TCanvasCall::Frame, left, top, right, bottom});
    }
    TFont Font() const override { return font_; }
    void SetFont(const TFont& f) override { font_ = f; }
    int TextWidth(const std::string& t) override { return 5 * static_cast<int>(t.size()); }
    int TextHeight(const std::string&) override { return 9; }
    void TextOut(int, int, const std::string&) override {}
    TColour Pixel(int, int) const override { return fill_; }

    int Count(TCanvasCall::Kind kind) const
    {
        int n = 0;
        for (const auto& c : Calls)
            n += c.What == kind;
        return n;
    }

private:
    int width_, height_;
    TColour penColour_ = 0, fill_ = 0;
    int penWidth_ = 1;
    TPenStyle style_ = TPenStyle::Solid;
    TFont font_;
};

// x = 500 + 10 * longitude, y = 400 - 10 * latitude; visible within |lon| <= 50, |lat| <= 40
// unless a test replaces Visible. A test may give it a reach: boxes (south, north, west,
// east) that BeyondReach accepts are out of it.
class TLinearProjector : public TProjector {
public:
    std::function<bool(float, float)> Visible = [](float lat, float lon) {
        return std::fabs(lat) <= 40 && std::fabs(lon) <= 50;
    };
    std::function<bool(float, float, float, float)> BeyondReach;
    mutable int Projections = 0;
    bool LimitedReach() const override { return static_cast<bool>(BeyondReach); }
    bool OutOfReach(float south, float north, float west, float east) const override
    {
        return BeyondReach && BeyondReach(south, north, west, east);
    }
    bool LatLonToXY(float lat, float lon, std::int32_t& x, std::int32_t& y) const override
    {
        ++Projections;
        if (!Visible(lat, lon))
            return false;
        x = static_cast<std::int32_t>(std::lround(500 + 10.0 * lon));
        y = static_cast<std::int32_t>(std::lround(400 - 10.0 * lat));
        return true;
    }
    std::int32_t GetWidth() const override { return 1000; }
    std::int32_t GetHeight() const override { return 800; }
    std::uint8_t ProjectionKind() const override { return 1; }
};

class TFakeHost : public TDecodeHost {
public:
    std::string Ext = ".L1B";
    std::string Sensor = "HIRS";
    bool HasChannel = true;
    std::string ChannelTab = "8";
    std::string Base = "Veltra - Brenmoor";
    TRecordingCanvas Canvas;
    TLinearProjector Projector;
    // Colour: the temperature in whole kelvin, so tests can read it back from the pen.
    std::function<TColour(float)> Colour = [](float t) {
        return static_cast<TColour>(std::lround(t));
    };
    TSampleList Samples;
    std::uint8_t Code = 0;
    std::string Satellite, Caption, Label, Hint = "unset", WindowCaption = "unset";
    int HintPause = 0;
    bool SaveRaw = false;
    bool CountOffset = false;
    std::vector<std::string> Lines;

    std::string FileExt() const override { return Ext; }
    std::string SensorName() const override { return Sensor; }
    bool SelectedChannelCaption(std::string& caption) const override
    {
        caption = ChannelTab;
        return HasChannel;
    }
    std::string BaseCaption() const override { return Base; }
    bool UseHirsCountOffset() const override { return CountOffset; }
    TCanvas& MapCanvas() override { return Canvas; }
    const TProjector& Projection() const override { return Projector; }
    TColour ColourForTemperature(float t) override { return Colour(t); }
    void AddSample(float lat, float lon, float t, TSampleOrigin origin) override
    {
        Samples.AddSample(lat, lon, t, origin);
    }
    std::int32_t SampleCount() const override { return Samples.SampleCount(); }
    std::int32_t AddScanLine(const TScanLineInfo& line) override
    {
        return Samples.AddScanLine(line);
    }
    void SetPassTimes(const TPassTimes& times) override { Samples.SetPassTimes(0, times); }
    std::uint8_t SensorCode() const override { return Code; }
    void SetSensorCode(std::uint8_t c) override { Code = c; }
    std::string SatelliteName() const override { return Satellite; }
    void SetSatelliteName(const std::string& n) override { Satellite = n; }
    std::string ChannelCaption() const override { return Caption; }
    void SetChannelCaption(const std::string& c) override { Caption = c; }
    void SetSatelliteLabel(const std::string& c) override { Label = c; }
    void SetSatelliteLabelHint(const std::string& h) override { Hint = h; }
    void SetHintHidePause(int ms) override { HintPause = ms; }
    void SetWindowCaption(const std::string& c) override { WindowCaption = c; }
    void SetSaveRawEnabled(bool e) override { SaveRaw = e; }
    std::vector<std::string>& DiagnosticLines() override { return Lines; }
};

} // namespace veltra::test
