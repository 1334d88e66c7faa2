#pragma once
// TMapping: the map projection of the viewer. It knows the projection kind, the region shown
// (centre and spans), the size of the map bitmap and the constants derived from them; it turns
// latitude and longitude into a pixel of the bitmap and back, and draws the graticule.
//
// Conventions shared by every kind:
// - latitude and longitude in degrees, single precision, north and east positive; the
//   arithmetic is done in double, every field is stored in the width it is declared with;
// - pixels have their origin top-left, X to the right, Y downwards; W and H are the bitmap
//   width and height, halfH is H div 2;
// - most kinds first compute map coordinates (x, y) in units of the bitmap width, x east and
//   y north, (0, 0) at the map centre; the pixel is then X = rnd((x + 0.5) W),
//   Y = rnd(halfH - y W), rounding to nearest with halves to even. Polar stereographic uses
//   the bitmap height as its unit;
// - longitude differences are reduced into [-180, 180].
//
// The object never owns the bitmap: it only knows its size. Every setter recalculates the
// derived constants at once, so the transforms only do the point's own trigonometry.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "base/Canvas.h"
#include "base/Projector.h"
#include "mapping/ProjectionKinds.h"

namespace veltra {

// Which special parallels the graticule adds, dotted: 0 the northern polar circle, 1 the
// northern tropic, 2 the equator, 3 the southern tropic, 4 the southern polar circle.
// Elements 5 to 7 may be present but draw nothing.
class TSpecialParallels {
public:
    constexpr TSpecialParallels() = default;
    constexpr TSpecialParallels(std::initializer_list<int> elements)
    {
        for (int element : elements)
            Include(element);
    }
    constexpr void Include(int element)
    {
        if (element >= 0 && element < 8)
            bits_ = static_cast<std::uint8_t>(bits_ | 1u << element);
    }
    constexpr void Exclude(int element)
    {
        if (element >= 0 && element < 8)
            bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << element));
    }
    constexpr bool Contains(int element) const
    {
        return element >= 0 && element < 8 && (bits_ >> element & 1u) != 0;
    }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint8_t Bits() const { return bits_; }

private:
    std::uint8_t bits_ = 0;
};

// Latitudes of the special parallels, by set element (0 to 4).
inline constexpr float SpecialParallelLatitudes[5] = {66.56083f, 23.43917f, 0.0f, -23.43917f,
                                                      -66.56083f};

class TMapping : public TProjector {
public:
    // A new object is all zeros: kind 0, zero size and spans; nothing is visible.
    TMapping() = default;

    // Fields, in this order. Singles stay float: several published figures (scales, offsets)
    // are only reached in that width.
    float Eccentricity = 0;      // e of the ellipsoid of the Lambert kind (e^2 = 0.0066943178)
    float HalfEccentricity = 0;  // e / 2
    float InvConeFactor = 0;     // 1 / ConeFactor: degrees of longitude per radian of cone
    float ConeConstant = 0;      // n of the Lambert cone
    float InvConeConstant = 0;   // 1 / n
    float ConeScale = 0;         // F * 1.095, map units
    float InvConeScale = 0;      // 1 / ConeScale
    float ConeFactor = 0;        // n * pi / 180: cone angle per degree of longitude
    float ConeRho0 = 0;          // radius of the centre parallel on the cone, map units
    float Scale = 0;             // radius of the generating globe in map units
    float InvScale = 0;          // 1 / Scale (polar stereographic only)
    float LatitudeMin = 0;       // CentreLatitude - LatitudeSpan / 2
    float LatitudeSpan = 0;      // height of the region, degrees of latitude
    float LongitudeMin = 0;      // CentreLongitude - LongitudeSpan / 2
    float LongitudeSpan = 0;     // width of the region, degrees of longitude
    std::int32_t Height = 0;     // bitmap height H, pixels
    float InvHeight = 0;         // 1 / H, kept when H is set to 0
    std::int32_t Width = 0;      // bitmap width W, pixels
    float InvWidth = 0;          // 1 / W, kept when W is set to 0
    float CentreLongitude = 0;   // lambda0, degrees
    float MercatorSlope = 0;     // zoomed Mercator: ordinate units per degree of latitude
    float MercatorOffset = 0;    // zoomed Mercator: ordinate offset
    std::int32_t HalfHeight = 0; // H div 2
    float CentreLatitude = 0;    // phi0, degrees
    std::uint8_t Projection = pkNone;
    float SinCentreLatitude = 0;
    float CosCentreLatitude = 0;
    float StandardParallel1 = 0; // degrees, absolute value, Lambert kind
    float StandardParallel2 = 0;
    float InvVdGRadius = 0;          // 1 / VdGRadius
    float VdGRadius = 0;             // 0.155 pi, Van der Grinten
    float PolarOffset = 0;           // polar stereographic: ordinate of the pole from the centre
    bool SouthernHemisphere = false; // CentreLatitude < 0: kinds 9 and 10 use the south pole

    // Virtual operations.
    virtual void SetProjection(std::uint8_t kind);
    std::int32_t GetHeight() const override { return Height; }
    std::int32_t GetWidth() const override { return Width; }
    // The larger of H and W: the bottom clamp limit of gridline points.
    virtual std::int32_t GetExtentY() const { return Height > Width ? Height : Width; }
    // W: the right clamp limit of gridline points.
    virtual std::int32_t GetExtentX() const { return Width; }
    virtual void Assign(const TMapping& source);
    virtual void AssignFrom(const TMapping& source) { Assign(source); }

    // The graticule (zorMappingGraticule.cpp). DrawGridlines works on the map bitmap's canvas
    // and marks the bitmap as modified; DrawGridlinesOnCanvas on any drawing surface. Both do
    // nothing for a null pointer or a kind of 0 or above 14.
    virtual void DrawGridlines(TCanvas* bitmap, std::int32_t lonStep, std::int32_t latStep,
                               TColour labelColour, TColour lineColour, std::int32_t xOrigin,
                               std::int32_t yOrigin, bool noLabels,
                               TSpecialParallels specialParallels) const;
    virtual void DrawGridlinesOnCanvas(TCanvas* canvas, std::int32_t lonStep, std::int32_t latStep,
                                       TColour labelColour, TColour lineColour,
                                       std::int32_t xOrigin, std::int32_t yOrigin, bool noLabels,
                                       TSpecialParallels specialParallels) const;

    // Whether the cursor read-out may ask XYToLatLon: kinds 1 to 7 and 9 to 13.
    virtual bool CanLocate() const;

    // The transforms (zorMappingTransforms.cpp). The result tells whether the point is on the
    // visible part of the projection, which for most kinds does not mean inside the bitmap.
    // On a false result x and y keep the values they had, except for the zoomed Mercator and
    // the gnomonic kinds, which store the computed pixel before testing it.
    bool LatLonToXY(float latitude, float longitude, std::int32_t& x,
                    std::int32_t& y) const override;
    // As LatLonToXY without rounding to whole pixels.
    virtual bool LatLonToXYF(float latitude, float longitude, float& x, float& y) const;
    // A pixel back to latitude and longitude; false for a zero size, for the kinds without an
    // inverse (0, 8, above 14), off the projected globe and on any arithmetic fault, leaving
    // latitude and longitude unchanged.
    virtual bool XYToLatLon(std::int32_t x, std::int32_t y, float& latitude,
                            float& longitude) const;

    std::uint8_t ProjectionKind() const override { return Projection; }
    // Renewed by every setter (each runs Recalculate), unique within the process. A field
    // written directly renews it, and the reach constants, at the next Recalculate.
    std::uint64_t ViewStamp() const override { return viewStamp_; }
    bool LimitedReach() const override;
    bool OutOfReach(float south, float north, float west, float east) const override;

    // Setters; each stores its value and recalculates.
    void SetLatitudeSpan(float span);
    void SetLongitudeSpan(float span);
    void SetHeight(std::int32_t height);
    void SetWidth(std::int32_t width);
    void SetCentreLongitude(float longitude);
    // Kinds 9 and 10 keep at least 0.001 degree from the equator (0 turns to the south pole);
    // both standard parallels follow the centre.
    void SetCentreLatitude(float latitude);
    void SetStandardParallel1(float latitude); // stores the absolute value
    void SetStandardParallel2(float latitude); // stores the absolute value

    // Derives every constant from the settings; run by every setter.
    void Recalculate();

private:
    std::uint64_t viewStamp_ = 0;

    void RecalculateCone();
    // The current kind's defaults (SetProjection) and set-up (Recalculate), beside its
    // transforms in zorMappingTransforms.cpp.
    void ApplyKindDefaults();
    void SetUpKind(double latMin, double latMax);

    // The forward and inverse transform of every projection kind, looked up by its code
    // (zorMappingTransforms.cpp). PrepareTransforms, run by Recalculate, sets up what the
    // reach-limited kinds (3, 4, 7, 8, 10, 11) test each point against: the sine and cosine
    // of the centre latitude in double, the smallest cosine of the arc from the centre still
    // within reach, and the latitude difference beyond which no point is within reach.
    struct TKinds;
    double reachSinLat0_ = 0, reachCosLat0_ = 1, reachCos_ = 2, reachBand_ = 0;
    void PrepareTransforms();
    template <typename T, typename Convert>
    bool StoreForward(float latitude, float longitude, T& x, T& y, Convert convert) const;
    void VanDerGrinten(double latitude, double deltaLon, double& x, double& y) const;
    void AzimuthalCompletion(double x, double y, double rho, double sinArc, double cosArc,
                             double& latitude, double& longitude) const;
    void LambertInverse(double x, double y, double& latitude, double& longitude) const;
    void VanDerGrintenInverse(double xW, double yW, double& latitude, double& longitude) const;
    void AzimuthalWorldInverse(double xW, double yW, double c, double& latitude,
                               double& longitude) const;

    // The graticule's pieces (zorMappingGraticule.cpp).
    struct TGridContext;
    void DrawMeridians(TGridContext& grid, int from, int to, int latFrom, int latTo) const;
    void DrawParallels(TGridContext& grid, int lonFrom, int lonTo, int latFrom, int latTo) const;
    void DrawSpecialParallel(TGridContext& grid, int lonFrom, int lonTo, float latitude) const;
    void LabelMeridian(TGridContext& grid, float longitude, const std::string& label,
                       int textHeight) const;
    void LabelParallel(TGridContext& grid, float latitude, float lonFrom, const std::string& label,
                       int textWidth) const;
    void DrawLabel(TGridContext& grid, std::int64_t x, std::int64_t y,
                   const std::string& text) const;
    void WalkMeridian(TGridContext& grid, int longitude, int latFrom, int latTo) const;
    void WalkParallel(TGridContext& grid, float latitude, int lonFrom, int lonTo) const;
    void AddRunPoint(TGridContext& grid, float latitude, float longitude) const;
};

// Great-circle distance between two points (degrees) on a sphere of radius 6378.135 km.
// False, with the distance not produced, only for inputs that are not finite: the arccos
// argument is clamped into [-1, 1] first, since rounding pushes it just past 1 for a point at
// the centre and just past -1 at the antipode.
bool GreatCircleDistance(double lat1, double lon1, double lat2, double lon2, double& distance);

// The Mercator ordinate of a latitude, in degree units (180/pi ln tan(pi/4 + phi/2)); for
// |phi| >= 90, where the logarithm has no value, the latitude itself.
double MercatorOrdinate(double latitude);
// The latitude of a Mercator ordinate in degree units; the ordinate itself where exp
// overflows.
double MercatorLatitude(double ordinate);

// The degree sign of grid labels, UTF-8.
extern const std::string DegreeSign;

// Region presets of the main window's MapRegion setting.
struct TRegionPreset {
    int Region;
    float CentreLongitude;
    float CentreLatitude;
    float LatitudeSpan; // the span the preset shrinks to afterwards; 0 keeps 75
    const char* Name;   // on the command line
};
inline constexpr TRegionPreset RegionPresets[] = {
    {0, 10, 55, 0, "europe"},           {1, 70, 0, 0, "indian-ocean"},
    {2, -90, 55, 0, "north-america"},   {3, -10, 54, 45, "atlantic"},
    {4, -50, -25, 45, "south-america"}, {5, 0, 89, 0, "north-pole"},
};

// SetLongitudeSpan(150), SetLatitudeSpan(75), then the preset's centre longitude, centre
// latitude and, for two presets, the smaller latitude span. Returns whether the region code
// was known (an unknown code applies only the two spans).
bool ApplyRegionPreset(TMapping& mapping, int region);

} // namespace veltra
