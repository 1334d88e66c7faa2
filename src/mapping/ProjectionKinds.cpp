#include "mapping/ProjectionKinds.h"

namespace veltra {

namespace {

using G = TGraticuleExtent;

constexpr TProjectionKindInfo Kinds[] = {
    {pkMercator, "mercator", "&Mercator", "merc", G::World, true},
    {pkMercatorZoomed, "mercator-zoomed", "Mercator (zoomed)", "merc", G::Region, true},
    {pkOrthographic, "orthographic", "&Orthographic", "ortho", G::Globe, true},
    {pkPlateCarree, "plate-carree", "Plate &Caree", "eqc", G::World, true},
    {pkPlateCarreeZoomed, "plate-carree-zoomed", "Plate Caree (zoomed)", "eqc", G::Region, true},
    {pkPolarStereographic, "polar-stereographic", "&Polar stereographic", "stere", G::World, true},
    {pkNone, nullptr, nullptr, nullptr, G::None, false},
    {pkAzimuthalFixed, nullptr, nullptr, "aeqd", G::Globe, true},
    {pkAzimuthal, nullptr, nullptr, "aeqd", G::Globe, true},
    {pkCassini, nullptr, nullptr, nullptr, G::Globe, false},
    {pkLambertConformal, nullptr, nullptr, nullptr, G::World, true},
    {pkGnomonic, nullptr, nullptr, "gnom", G::Globe, true},
    {pkVanDerGrinten, nullptr, nullptr, nullptr, G::CentredWorld, true},
    {pkAzimuthalWorld, nullptr, nullptr, nullptr, G::World, true},
    {pkPlateCarreeNorth, nullptr, nullptr, "eqc", G::NorthernWorld, false},
};

} // namespace

std::span<const TProjectionKindInfo> ProjectionKinds()
{
    return Kinds;
}

const TProjectionKindInfo& ProjectionKindOf(int code)
{
    for (const TProjectionKindInfo& kind : Kinds)
        if (kind.Code == code)
            return kind;
    return Kinds[6]; // pkNone
}

} // namespace veltra
