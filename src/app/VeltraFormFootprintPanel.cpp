// The sounder at one footprint: every channel of the selected sensor read from the one scan-line
// record that holds the footprint, for the "Footprint" panel and veltra-render --spectrum.
#include "app/FootprintChannels.h"
#include "app/VeltraForm.h"
#include "base/Errors.h"
#include "base/Format.h"
#include "settings/RegistryVariables.h"

namespace veltra {

void TFormVeltra::MenuViewFootprintSpectrumClick()
{
    FootprintPanel->Value = !FootprintPanel->Value;
    view_.SetMenuChecked(TMenuItem::ViewFootprintSpectrum, FootprintPanel->Value);
    view_.ShowFootprintPanel(FootprintPanel->Value);
}

void TFormVeltra::FootprintPanelClosed()
{
    if (FootprintPanel->Value)
        MenuViewFootprintSpectrumClick();
}

std::optional<TFootprintSpectrum> TFormVeltra::FootprintSpectrum(const TSampleList& samples,
                                                                 std::int32_t i)
{
    if (i < 0 || i >= samples.SampleCount())
        return std::nullopt;
    const TSampleOrigin& origin = samples.Origin(i);
    TFootprintSpectrum spectrum;
    spectrum.Stream = origin.Stream;
    spectrum.ScanLine = origin.ScanLine;
    spectrum.Footprint = origin.Footprint;
    spectrum.Latitude = samples[i].Latitude;
    spectrum.Longitude = samples[i].Longitude;
    // The map's value is in the table, with every other channel's.
    spectrum.Details = FootprintDetails(samples, i, 0);
    spectrum.Details.Value.clear();
    if (const std::optional<TUtcMilliseconds> time = samples.TimeOf(i))
        spectrum.UtcTime = IsoUtcText(*time);
    return FootprintSpectrumAgain(spectrum);
}

std::optional<TFootprintSpectrum>
TFormVeltra::FootprintSpectrumAgain(const TFootprintSpectrum& footprint)
{
    TRecordChannelsReader* reader =
        channelsReaders_.Of(Streams, footprint.Stream, FileExt_, SensorName_, UseHirsCountOffset());
    if (reader == nullptr)
        return std::nullopt;
    TFootprintSpectrum spectrum = footprint;
    try {
        const std::vector<TChannelValue> values =
            reader->Spectrum(footprint.ScanLine, footprint.Footprint);
        spectrum.Sensor = SensorName_;
        spectrum.Microwave = StartsWith(SensorName_, "AMS");
        spectrum.Mhs =
            spectrum.Microwave && ShowsMhs(reader->Instrument(), reader->SatelliteName());
        spectrum.Rows =
            SpectrumRows(values, spectrum.Microwave, spectrum.Mhs, StartsWith(FileExt_, ".L1B"));
    } catch (const EVeltraError&) {
        // A record the pass could not read either: there is no spectrum to show.
        return std::nullopt;
    }
    spectrum.Shown = ShownChannel();
    spectrum.Subtracted = DifferenceChannel();
    spectrum.Streams = channelsReaders_.Streams();
    return spectrum;
}

} // namespace veltra
