#pragma once
// Zoom, pan and fit of the map. Navigation changes nothing but the projection object's centre
// and spans (the fields the region presets set), so the transforms, the read-out, the outlines
// and every saved picture follow the view by themselves. The view it leaves is transient: the
// first change remembers the preset view, Reset goes back to it. The whole-world Mercator and
// plate carree kinds have no centre or spans of their own; the first change moves them to
// their zoomed kind with the centre and spans that show the same picture.
#include <memory>

namespace veltra {

class TMapping;
class TSampleList;

class TMapNavigation {
public:
    // Spans never grow past the whole globe nor shrink below this, degrees of latitude.
    static constexpr double SmallestSpan = 0.01;

    explicit TMapNavigation(TMapping& mapping);
    ~TMapNavigation();
    TMapNavigation(const TMapNavigation&) = delete;
    TMapNavigation& operator=(const TMapNavigation&) = delete;

    // Whether the view differs from the preset view.
    bool Changed() const { return home_ != nullptr; }

    // Zooms by factor (above 1 in, below 1 out) so that the point under pixel (x, y) stays
    // there; where that point is not on the map, about the centre. False when nothing moved.
    bool ZoomAt(double factor, double x, double y);
    bool ZoomCentre(double factor);

    // A drag: the point under the start pixel follows the cursor.
    void BeginPan(int x, int y);
    bool PanTo(int x, int y);
    void EndPan();
    bool Panning() const { return pan_ != nullptr; }

    // Centre and spans that hold every footprint of the list on the bitmap. False when the
    // list is empty or no view holds it.
    bool Fit(const TSampleList& samples);

    // Sets the centre and spans directly, degrees; a value that is not a number keeps what the
    // view has (after the move to the zoomed kind).
    void SetView(float centreLatitude, float centreLongitude, float longitudeSpan,
                 float latitudeSpan);

    // Back to the preset view, at the current bitmap size; false when there was nothing to
    // undo.
    bool Reset();

private:
    struct TPan;
    void Remember();
    bool SetSpans(double longitudeSpan, double latitudeSpan);
    // Moves the centre so that the point (latitude, longitude) lands on pixel (x, y).
    bool PlacePoint(float latitude, float longitude, double x, double y);
    bool PixelOf(float latitude, float longitude, double& x, double& y) const;
    bool HoldsAll(const TSampleList& samples, int step) const;

    TMapping& mapping_;
    std::unique_ptr<TMapping> home_;
    std::unique_ptr<TPan> pan_;
};

} // namespace veltra
