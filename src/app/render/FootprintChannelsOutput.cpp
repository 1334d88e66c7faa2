#include "app/render/FootprintChannelsOutput.h"

#include <limits>
#include <ostream>

#include "app/ChannelPass.h"
#include "app/FootprintChannels.h"
#include "app/VeltraForm.h"
#include "base/Format.h"

namespace veltra {

namespace {

struct TNearest {
    std::int32_t Sample = -1;
    double Distance = std::numeric_limits<double>::infinity(); // km
};

TNearest NearestSample(const TSampleList& samples, const TSpectrumPoint& point)
{
    TNearest nearest;
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        const double distance = GreatCircleKm(point.Latitude, point.Longitude, samples[i].Latitude,
                                              samples[i].Longitude);
        if (distance < nearest.Distance)
            nearest = {i, distance};
    }
    return nearest;
}

} // namespace

bool PrintSpectra(TFormVeltra& form, const std::vector<TSpectrumPoint>& points, std::ostream& out,
                  std::ostream& err)
{
    if (points.empty())
        return true;
    // The positions of the channel shown, which every channel of a record shares.
    TChannelPass pass(form, form.ShownChannel());
    pass.Run();
    bool found = true;
    for (const TSpectrumPoint& point : points) {
        const std::string where = Format("--spectrum %g,%g", static_cast<double>(point.Latitude),
                                         static_cast<double>(point.Longitude));
        const TNearest nearest = NearestSample(pass.Samples, point);
        const TScanLineInfo* line =
            nearest.Sample >= 0 ? pass.Samples.ScanLineOf(nearest.Sample) : nullptr;
        const double size =
            nearest.Sample >= 0
                ? FootprintSizeKm(line != nullptr ? line->Instrument : TLineInstrument::Unknown,
                                  pass.Samples.Origin(nearest.Sample).Footprint)
                : 0;
        const std::optional<TFootprintSpectrum> spectrum =
            nearest.Distance <= size ? form.FootprintSpectrum(pass.Samples, nearest.Sample)
                                     : std::nullopt;
        if (spectrum) {
            out << SpectrumHeader(*spectrum, nearest.Distance) << '\n' << SpectrumCsv(*spectrum);
            continue;
        }
        found = false;
        err << "veltra-render: " << where << ": ";
        if (nearest.Sample < 0)
            err << "no footprint was decoded\n";
        else if (nearest.Distance > size)
            err << Format("no footprint there: the nearest is %.1f km away, more than its size "
                          "of %.1f km\n",
                          nearest.Distance, size);
        else
            err << "the footprint's scan line cannot be read again\n";
    }
    return found;
}

} // namespace veltra
