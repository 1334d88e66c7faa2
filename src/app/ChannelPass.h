#pragma once
// The decoding pass of one channel over the form's streams, as the render pass runs it but with
// nothing drawn and every footprint taken as on the map: the form's file, sensor and choices
// (HIRS count reading, masking of flagged lines), with a sample list, scan lines and texts of
// its own. What the whole pass holds, wherever the map looks: the swath of every channel, the
// footprint nearest a point.
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Projector.h"
#include "formats/DecodeHost.h"
#include "formats/Samples.h"

namespace veltra {

class TFormVeltra;

class TChannelPass : public TDecodeHost {
public:
    TChannelPass(const TFormVeltra& form, int channel);

    // Decodes every stream of the form, in order; each sample's origin names its stream.
    void Run();

    TSampleList Samples;
    std::vector<float> Values; // the value decoded for each sample (the visible channel's own)
    double Wavenumber = 0;     // the channel's central wavenumber, as the headers give it

    std::string FileExt() const override;
    std::string SensorName() const override;
    bool SelectedChannelCaption(std::string& caption) const override;
    std::string BaseCaption() const override;
    bool UseHirsCountOffset() const override;
    bool MaskFlaggedLines() const override;
    TCanvas& MapCanvas() override { return canvas_; }
    const TProjector& Projection() const override { return everywhere_; }
    TColour ColourForTemperature(float) override { return 0; }
    void AddSample(float latitude, float longitude, float temperature,
                   TSampleOrigin origin) override;
    void FootprintDrawn(std::int32_t, std::int32_t, TColour, float value) override;
    std::int32_t SampleCount() const override { return Samples.SampleCount(); }
    std::int32_t AddScanLine(const TScanLineInfo& line) override;
    std::uint8_t SensorCode() const override { return sensorCode_; }
    void SetSensorCode(std::uint8_t code) override { sensorCode_ = code; }
    std::string SatelliteName() const override { return satellite_; }
    void SetSatelliteName(const std::string& name) override { satellite_ = name; }
    std::string ChannelCaption() const override { return caption_; }
    void SetChannelCaption(const std::string& caption) override { caption_ = caption; }
    void SetChannelWavenumber(double wavenumber) override { Wavenumber = wavenumber; }
    void SetSatelliteLabel(const std::string&) override {}
    void SetSatelliteLabelHint(const std::string&) override {}
    void SetHintHidePause(int) override {}
    void SetWindowCaption(const std::string&) override {}
    void SetSaveRawEnabled(bool) override {}
    std::vector<std::string>& DiagnosticLines() override { return lines_; }

private:
    const TFormVeltra& form_;
    std::string channel_;
    int stream_ = 0;
    std::uint8_t sensorCode_;
    std::string satellite_, caption_;
    std::vector<std::string> lines_;
    TNullCanvas canvas_;
    TPlaceEverywhere everywhere_;
};

} // namespace veltra
