#!/usr/bin/env bash
# Regenerates data/Countries.dat from the GSHHG shorelines and WDBII national borders that
# Debian ships for the Generic Mapping Tools (packages gmt and gmt-gshhg-low, needed only here).
# Usage: tools/outline-converter/make-countries.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Low resolution; level 1 shorelines (land/ocean), lakes of at least 5000 km² (level 2),
# national borders (border class 1). One "lon lat" line per point, '>' between segments.
# Run in the scratch folder, where GMT leaves its gmt.history.
(
    cd "$work"
    gmt coast -R-180/180/-90/90 -Dl -W1/0.25p -M > coast.txt
    gmt coast -R-180/180/-90/90 -Dl -W2/0.25p -A5000/2/2 -M > lakes.txt
    gmt coast -R-180/180/-90/90 -Dl -N1/0.25p -M > borders.txt
)

cmake --build "$build" --target outline-converter
"$build/tools/outline-converter" -o data/Countries.dat \
    -k 0 "$work/coast.txt" "$work/lakes.txt" -k 4 "$work/borders.txt"
