// The graticule: meridians and parallels every few degrees, built point by point through
// LatLonToXY so they follow any projection (straight lines on the cylindrical kinds), with
// small outlined labels such as 10°E, 20°S, 0° or 180°.
#include <array>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "base/Format.h"
#include "base/Numbers.h"
#include "mapping/zorMapping.h"

namespace veltra {

namespace {

// Kinds whose gridlines are straight: one segment per line.
bool IsCylindrical(std::uint8_t kind)
{
    return kind == pkPlateCarree || kind == pkPlateCarreeZoomed || kind == pkMercator ||
           kind == pkMercatorZoomed;
}

// Gridline points are kept within 100 pixels round the drawing area, so a polyline never
// carries coordinates the drawing surface cannot handle.
constexpr int ClampMargin = 100;
// One more than the longest walk: 360 one-degree steps along a parallel.
constexpr int RunCapacity = 361;

int AddOrigin(std::int64_t value, std::int32_t origin)
{
    const std::int64_t sum = value + origin;
    if (sum > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (sum < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<int>(sum);
}

// A meridian into [-180, 180] by whole turns.
int ToMeridian(std::int64_t degrees)
{
    if (degrees > 180)
        degrees -= 360 * ((degrees - 180 + 359) / 360);
    if (degrees < -180)
        degrees += 360 * ((-180 - degrees + 359) / 360);
    return static_cast<int>(degrees);
}

// Whole degrees of a range end. Ends far beyond a few turns mean a region no map shows; they
// are refused (an arithmetic fault: no graticule) rather than walked meridian by meridian.
constexpr double RangeLimit = 100000;

int TruncDegrees(double value)
{
    if (!(std::fabs(value) <= RangeLimit))
        throw EArithmeticError();
    return static_cast<int>(std::trunc(value));
}

int RoundDegrees(double value)
{
    if (!(std::fabs(value) <= RangeLimit))
        throw EArithmeticError();
    return RoundHalfEven(value);
}

std::string MeridianLabel(int n)
{
    if (n == 0)
        return "0" + DegreeSign;
    if (n == 180 || n == -180)
        return "180" + DegreeSign;
    if (n < 0)
        return Format("%d%sW", -n, DegreeSign.c_str());
    return Format("%d%sE", n, DegreeSign.c_str());
}

std::string ParallelLabel(int h)
{
    if (h == 0)
        return "0" + DegreeSign;
    if (h < 0)
        return Format("%d%sS", -h, DegreeSign.c_str());
    return Format("%d%sN", h, DegreeSign.c_str());
}

} // namespace

// The state of one graticule drawing. X and Y are the outputs of every LatLonToXY call,
// kept across calls on purpose: where a label point is not visible, the label goes where the
// last visible (clamped) point left them.
struct TMapping::TGridContext {
    TCanvas& Canvas;
    int LonStep;
    int LatStep;
    TColour LabelColour;
    int XOrigin;
    int YOrigin;
    bool NoLabels;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    std::array<TPoint, RunCapacity> Run{};
    int RunCount = 0;

    void FlushRun()
    {
        if (RunCount >= 2)
            Canvas.Polyline(Run.data(), RunCount);
        RunCount = 0;
    }
    void Segment(int x0, int y0, int x1, int y1)
    {
        Canvas.MoveTo(x0, y0);
        Canvas.LineTo(x1, y1);
    }
};

void TMapping::DrawGridlines(TCanvas* bitmap, std::int32_t lonStep, std::int32_t latStep,
                             TColour labelColour, TColour lineColour, std::int32_t xOrigin,
                             std::int32_t yOrigin, bool noLabels,
                             TSpecialParallels specialParallels) const
{
    if (bitmap == nullptr || Projection == pkNone || Projection > pkPlateCarreeNorth)
        return;
    DrawGridlinesOnCanvas(bitmap, lonStep, latStep, labelColour, lineColour, xOrigin, yOrigin,
                          noLabels, specialParallels);
    bitmap->MarkModified();
}

void TMapping::DrawGridlinesOnCanvas(TCanvas* canvas, std::int32_t lonStep, std::int32_t latStep,
                                     TColour labelColour, TColour lineColour, std::int32_t xOrigin,
                                     std::int32_t yOrigin, bool noLabels,
                                     TSpecialParallels specialParallels) const
{
    if (canvas == nullptr || Projection == pkNone || Projection > pkPlateCarreeNorth)
        return;
    const TFont savedFont = canvas->Font();
    canvas->SetPenColour(lineColour);
    TFont small = savedFont;
    small.Name = "Small Fonts";
    small.Size = 7;
    canvas->SetFont(small);

    try {
        int lonFrom = -179, lonTo = 179, latFrom = -89, latTo = 89;
        bool wrap = false;
        int wrapFrom = 0, wrapTo = 0;
        // The steps some kinds choose themselves.
        if (Projection == pkAzimuthalFixed) {
            lonStep = 30;
            latStep = 15;
        } else if (Projection == pkAzimuthal && LatitudeSpan == 0) {
            lonStep = latStep = 30;
        } else if (Projection == pkMercatorZoomed) {
            if (lonStep == 15)
                lonStep = 5;
            if (latStep == 15)
                latStep = 5;
        }
        const TGraticuleExtent extent = ProjectionKindOf(Projection).Graticule;
        switch (extent) {
        case TGraticuleExtent::Globe: lonFrom = -180; break;
        case TGraticuleExtent::CentredWorld: {
            const int centre = RoundDegrees(CentreLongitude);
            lonFrom = centre - 179;
            lonTo = centre + 179;
            break;
        }
        case TGraticuleExtent::Region:
        case TGraticuleExtent::NorthernWorld: {
            const double lon0 = CentreLongitude, lat0 = CentreLatitude;
            lonFrom = TruncDegrees(lon0 - LongitudeSpan / 2.0) - 1;
            lonTo = RoundDegrees(lon0 + LongitudeSpan / 2.0) + 1;
            latFrom = TruncDegrees(lat0 - LatitudeSpan / 2.0) - 1;
            latTo = RoundDegrees(lat0 + LatitudeSpan / 2.0) + 1;
            if (extent == TGraticuleExtent::NorthernWorld) {
                lonFrom = -179;
                lonTo = 179;
                latFrom = 0;
                latTo = 89;
            }
            // A region across the date line: the meridians past it are drawn as a second
            // range on the other side.
            if (lonFrom < -179) {
                wrap = true;
                wrapFrom = lonFrom + 360;
                wrapTo = 180;
                lonFrom = -179;
            }
            if (lonTo > 179) {
                wrap = true;
                wrapFrom = -180;
                wrapTo = lonTo - 360;
                lonTo = 179;
            }
            if (latFrom < -89)
                latFrom = -89;
            if (latTo > 89)
                latTo = 89;
            break;
        }
        case TGraticuleExtent::None:
        case TGraticuleExtent::World: break;
        }

        // A step of zero or less gives no lines at all rather than a division by zero.
        if (lonStep > 0 && latStep > 0) {
            TGridContext grid{*canvas, lonStep, latStep, labelColour, xOrigin, yOrigin, noLabels};
            DrawMeridians(grid, lonFrom, lonTo, latFrom, latTo);
            if (wrap)
                DrawMeridians(grid, wrapFrom, wrapTo, latFrom, latTo);
            DrawParallels(grid, lonFrom, lonTo, latFrom, latTo);

            const TPenStyle savedStyle = canvas->PenStyle();
            canvas->SetPenStyle(TPenStyle::Dot);
            for (int element = 0; element < 5; ++element)
                if (specialParallels.Contains(element))
                    DrawSpecialParallel(grid, -179, 179, SpecialParallelLatitudes[element]);
            canvas->SetPenStyle(savedStyle);
        }
    } catch (const EArithmeticError&) {
        // A centre or span without a whole-degree value (not a number, out of range): no
        // graticule.
    }
    canvas->SetFont(savedFont);
}

void TMapping::AddRunPoint(TGridContext& grid, float latitude, float longitude) const
{
    if (!LatLonToXY(latitude, longitude, grid.X, grid.Y)) {
        grid.FlushRun();
        return;
    }
    const std::int32_t right = GetExtentX() + ClampMargin;
    const std::int32_t bottom = GetExtentY() + ClampMargin;
    if (grid.X < -ClampMargin)
        grid.X = -ClampMargin;
    if (grid.Y < -ClampMargin)
        grid.Y = -ClampMargin;
    if (grid.X >= right)
        grid.X = right;
    if (grid.Y >= bottom)
        grid.Y = bottom;
    if (grid.RunCount < RunCapacity)
        grid.Run[grid.RunCount++] = {AddOrigin(grid.X, grid.XOrigin),
                                     AddOrigin(grid.Y, grid.YOrigin)};
}

void TMapping::WalkMeridian(TGridContext& grid, int longitude, int latFrom, int latTo) const
{
    grid.RunCount = 0;
    for (int lat = latTo; lat >= latFrom; --lat)
        AddRunPoint(grid, static_cast<float>(lat), static_cast<float>(longitude));
    grid.FlushRun();
}

void TMapping::WalkParallel(TGridContext& grid, float latitude, int lonFrom, int lonTo) const
{
    grid.RunCount = 0;
    for (int lon = lonTo; lon >= lonFrom; --lon)
        AddRunPoint(grid, latitude, static_cast<float>(lon));
    grid.FlushRun();
}

void TMapping::DrawMeridians(TGridContext& grid, int from, int to, int latFrom, int latTo) const
{
    TCanvas& canvas = grid.Canvas;
    for (int k = from / grid.LonStep; k <= to / grid.LonStep; ++k) {
        const int n = ToMeridian(static_cast<std::int64_t>(k) * grid.LonStep);
        const float lon = static_cast<float>(n);
        const std::string label = MeridianLabel(n);
        const int th = canvas.TextHeight(label);

        if (IsCylindrical(Projection)) {
            // Straight down to one text height above the bottom edge, where the label sits.
            LatLonToXY(static_cast<float>(latFrom), lon, grid.X, grid.Y);
            const int xBottom = grid.X;
            LatLonToXY(static_cast<float>(latTo), lon, grid.X, grid.Y);
            grid.Segment(AddOrigin(xBottom, grid.XOrigin), AddOrigin(Height - th, grid.YOrigin),
                         AddOrigin(grid.X, grid.XOrigin), AddOrigin(grid.Y, grid.YOrigin));
        } else {
            WalkMeridian(grid, n, latFrom, latTo);
        }
        if (!grid.NoLabels)
            LabelMeridian(grid, lon, label, th);
    }
}

void TMapping::LabelMeridian(TGridContext& grid, float lon, const std::string& label, int th) const
{
    const int bottomLabelY = Height - (3 * th) / 4;
    switch (Projection) {
    case pkPlateCarree:
    case pkPlateCarreeZoomed:
    case pkMercator:
    case pkMercatorZoomed:
        LatLonToXY(0, lon, grid.X, grid.Y);
        DrawLabel(grid, grid.X, bottomLabelY, label);
        break;
    case pkPolarStereographic:
        LatLonToXY(CentreLatitude, lon, grid.X, grid.Y);
        DrawLabel(grid, grid.X, grid.Y, label);
        break;
    case pkVanDerGrinten:
        LatLonToXY(-3, lon, grid.X, grid.Y);
        DrawLabel(grid, grid.X, grid.Y, label);
        break;
    case pkLambertConformal: {
        // Up the meridian to the first point clear of the bottom label band; the label goes
        // on the band below it, unless the meridian only gets clear near the pole.
        const int first = SouthernHemisphere ? -89 : 1;
        const int last = SouthernHemisphere ? 1 : 88;
        const int limit = SouthernHemisphere ? 0 : 87;
        for (int lat = first; lat <= last; ++lat) {
            LatLonToXY(static_cast<float>(lat), lon, grid.X, grid.Y);
            if (grid.Y + th < Height) {
                if (lat < limit)
                    DrawLabel(grid, grid.X, bottomLabelY, label);
                break;
            }
        }
        break;
    }
    default: {
        const float lat = std::fabs(CentreLatitude) >= 10 ? CentreLatitude : 0.0f;
        LatLonToXY(lat, lon, grid.X, grid.Y);
        DrawLabel(grid, grid.X, grid.Y, label);
        break;
    }
    }
}

void TMapping::DrawParallels(TGridContext& grid, int lonFrom, int lonTo, int latFrom,
                             int latTo) const
{
    TCanvas& canvas = grid.Canvas;
    for (int k = latFrom / grid.LatStep; k <= latTo / grid.LatStep; ++k) {
        const int h = k * grid.LatStep;
        const float lat = static_cast<float>(h);
        const std::string label = ParallelLabel(h);
        const int tw = canvas.TextWidth(label);

        if (IsCylindrical(Projection)) {
            // Straight across, starting clear of the label at the left edge.
            LatLonToXY(lat, static_cast<float>(lonFrom), grid.X, grid.Y);
            const int y = AddOrigin(grid.Y, grid.YOrigin);
            grid.Segment(AddOrigin(tw + 4, grid.XOrigin), y, AddOrigin(Width - 2, grid.XOrigin), y);
        } else {
            WalkParallel(grid, lat, lonFrom, lonTo);
        }
        if (!grid.NoLabels)
            LabelParallel(grid, lat, static_cast<float>(lonFrom), label, tw);
    }
}

void TMapping::LabelParallel(TGridContext& grid, float lat, float lonFrom, const std::string& label,
                             int tw) const
{
    switch (Projection) {
    case pkVanDerGrinten:
    case pkPlateCarreeNorth: break;
    case pkPlateCarree:
    case pkPlateCarreeZoomed:
    case pkMercator:
    case pkMercatorZoomed:
        LatLonToXY(lat, lonFrom, grid.X, grid.Y);
        DrawLabel(grid, tw / 2 + 2, grid.Y, label);
        break;
    case pkLambertConformal:
        // Eastward from the date line until the parallel enters the left margin.
        for (int lon = -179; lon <= 177; ++lon) {
            LatLonToXY(lat, static_cast<float>(lon), grid.X, grid.Y);
            if (grid.X > 0 && grid.X < 2 * tw && grid.Y > 10 && grid.Y < Height) {
                DrawLabel(grid, tw / 2 + 2, grid.Y, label);
                break;
            }
        }
        break;
    default: {
        // Just west of the meridian nearest the centre.
        const double nearest = static_cast<double>(RoundHalfEven(
                                   CentreLongitude / static_cast<double>(grid.LonStep))) *
                               grid.LonStep;
        LatLonToXY(lat, static_cast<float>(nearest), grid.X, grid.Y);
        DrawLabel(grid, static_cast<std::int64_t>(grid.X) - (4 * tw) / 5, grid.Y, label);
        break;
    }
    }
}

void TMapping::DrawSpecialParallel(TGridContext& grid, int lonFrom, int lonTo, float latitude) const
{
    if (IsCylindrical(Projection)) {
        LatLonToXY(latitude, static_cast<float>(lonFrom), grid.X, grid.Y);
        const int y = AddOrigin(grid.Y, grid.YOrigin);
        grid.Segment(grid.XOrigin, y, AddOrigin(Width - 2, grid.XOrigin), y);
    } else {
        WalkParallel(grid, latitude, lonFrom, lonTo);
    }
}

// A label centred on (x, y), black outline under the text in the label colour. A label that
// would pass the left or right edge of the map is left out.
void TMapping::DrawLabel(TGridContext& grid, std::int64_t x, std::int64_t y,
                         const std::string& text) const
{
    TCanvas& canvas = grid.Canvas;
    const int tw = canvas.TextWidth(text);
    const int th = canvas.TextHeight(text);
    if (x + tw > Width || x - tw / 2 < 0)
        return;
    x -= tw / 2;
    y -= th / 2;
    TFont font = canvas.Font();
    font.Colour = 0;
    canvas.SetFont(font);
    static constexpr std::int64_t Diagonals[4][2] = {{-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
    for (const auto& d : Diagonals)
        canvas.TextOut(AddOrigin(x + d[0], grid.XOrigin), AddOrigin(y + d[1], grid.YOrigin), text);
    font.Colour = grid.LabelColour;
    canvas.SetFont(font);
    canvas.TextOut(AddOrigin(x, grid.XOrigin), AddOrigin(y, grid.YOrigin), text);
}

} // namespace veltra
