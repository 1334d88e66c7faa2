#!/usr/bin/env bash
# Makes the Debian package of a build folder, unpacks it with dpkg -x into a scratch root and
# runs both programs' --version from there; checks that the package carries what an install
# needs and that dpkg-shlibdeps filled in its library dependencies.
set -euo pipefail
build=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1 || {
    cat "$scratch/cpack.log"
    exit 1
}
deb=$(ls "$scratch"/out/*.deb)
dpkg-deb -x "$deb" "$scratch/root"

fail() { echo "deb-installs-and-runs: $*" >&2; exit 1; }
for program in veltra veltra-render; do
    out=$("$scratch/root/usr/bin/$program" --version) || fail "$program --version failed"
    case $out in
        *" 1."*) ;;
        *) fail "$program --version printed '$out'" ;;
    esac
done
# The NetCDF and GeoTIFF exports come from a module in the private folder; neither program
# loads NetCDF or GDAL at start-up. veltra-render draws labels and writes PNG files with Qt
# from another module there, and does not load Qt at start-up at all.
sample=$(find "$build/samples" -name '*.HIRX.*' -print -quit)
# Qt's own options, which scripts written for Qt programs pass, are still accepted and ignored.
"$scratch/root/usr/bin/veltra-render" -platform offscreen --netcdf "$scratch/p.nc" \
    --geotiff "$scratch/p.tif" --gridlines --png "$scratch/p.png" "$sample" ||
    fail "the installed veltra-render cannot export NetCDF, GeoTIFF and PNG"
[ -s "$scratch/p.nc" ] && [ -s "$scratch/p.tif" ] && [ -s "$scratch/p.png" ] ||
    fail "no NetCDF, GeoTIFF or PNG written"
for program in Veltra veltra-render; do
    ! ldd "$scratch/root/usr/lib/veltra/$program" | grep -E 'libnetcdf|libgdal' ||
        fail "$program links NetCDF or GDAL"
done
! ldd "$scratch/root/usr/lib/veltra/veltra-render" | grep libQt6 ||
    fail "veltra-render links Qt"
for path in usr/lib/veltra/Countries.dat usr/lib/veltra/veltra-exports.so \
            usr/lib/veltra/veltra-paint.so \
            usr/share/man/man1/veltra.1 \
            usr/share/man/man1/veltra-render.1 usr/share/doc/veltra/copyright \
            usr/share/doc/veltra/LGPL-3 usr/share/applications/example.brenmoor.Veltra.desktop \
            usr/share/icons/hicolor/scalable/apps/example.brenmoor.Veltra.svg \
            usr/share/mime/packages/example.brenmoor.Veltra.xml; do
    [ -s "$scratch/root/$path" ] || fail "the package has no $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6gui6 libqt6charts6 libnetcdf libgdal libjpeg62-turbo libbz2; do
    case $depends in
        *"$library"*) ;;
        *) fail "Depends lacks $library: $depends" ;;
    esac
done
echo "$(basename "$deb"): both programs run from a dpkg -x root"
