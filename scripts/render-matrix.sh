#!/usr/bin/env bash
# Renders every sample pass over a matrix of views and options with one veltra-render and keeps
# every output (pictures, brightness temperatures, CSV, GeoTIFF, NetCDF as text, --info,
# --diagnostics and read-outs) in OUT, one file per render and output. Two builds are compared
# by running this with each on the same SAMPLES and comparing the folders:
#
#     scripts/render-matrix.sh old/veltra-render samples /tmp/old
#     scripts/render-matrix.sh build/src/app/veltra-render samples /tmp/new
#     diff -r /tmp/old /tmp/new && echo identical
#
# NetCDF files are compared through ncdump (Debian netcdf-bin) when it is there, since HDF5
# files need not be the same byte for byte. Runs two renders at a time (JOBS to change).
set -euo pipefail
render=$(realpath "$1")
samples=$(realpath "$2")
out=$3
jobs=${JOBS:-2}
mkdir -p "$out"
out=$(realpath "$out")

# Sensors offered for a file, by its name, and two channels of each: the viewer's start
# channel and another.
sensors_of() {
    case ${1,,} in
        *.l1d|*.l1d.bz2) echo "HIRS:8,12 AMSU-A:15,5 AMSU-B:20,18" ;;
        *hirs*|*hirx*) echo "HIRS:8,20" ;;
        *amsua*|*amax*) echo "AMSU-A:15,3" ;;
        *) echo "AMSU-B:20,16" ;;
    esac
}

# The views: every projection kind on Europe, every region with the two common kinds, and the
# options that change the picture.
views=()
for kind in $(seq 0 14); do views+=("--projection $kind"); done
for region in 1 2 3 4 5; do
    views+=("--projection 7 --region $region" "--projection 2 --region $region")
done
views+=("--gridlines" "--projection 1 --gridlines" "--projection 9 --region 5 --gridlines"
        "--fill" "--projection 2 --fill" "--background white" "--fixed --celsius"
        "--size 1000x700" "--size 320x200 --projection 5"
        "--centre 50,5 --span 40" "--projection 1 --centre 0,170 --span 120,60"
        "--hirs-counts offset")

: >"$out/jobs"
n=0
while IFS= read -r -d '' file; do
    for entry in $(sensors_of "$(basename "$file")"); do
        sensor=${entry%%:*}
        for channel in ${entry#*:}; do
            channel=${channel//,/ }
            for c in $channel; do
                for view in "${views[@]}"; do
                    n=$((n + 1))
                    printf '%s\t%s\t%s\t%s\t%s\n' "$n" "$file" "$sensor" "$c" "$view" >>"$out/jobs"
                done
            done
        done
    done
done < <(find "$samples" -type f \( -iname '*.l1b' -o -iname '*.l1c' -o -iname '*.l1d' \
            -o -iname '*.bz2' \) -print0 | sort -z)

one() {
    local n=$1 file sensor channel view name base
    IFS=$'\t' read -r _ file sensor channel view < <(sed -n "${n}p" "$OUT/jobs")
    name=$(realpath --relative-to="$SAMPLES" "$file")
    base="$OUT/$(printf '%05d' "$n")"
    # shellcheck disable=SC2086
    {
        echo "$name $sensor $channel $view"
        "$RENDER" --sensor "$sensor" --channel "$channel" $view --png "$base.png" \
            --jpeg "$base.jpg" --bt "$base.bt" --csv "$base.csv" --info --diagnostics \
            --readout 400,300 --readout 100,100 --readout 600,450 --readout 1,1 "$file" 2>&1
        echo "status=$?"
        # A render that only writes pictures keeps no footprints and takes shorter paths: its
        # pictures must be the same.
        "$RENDER" --sensor "$sensor" --channel "$channel" $view --png "$base.p.png" \
            --jpeg "$base.p.jpg" "$file" >/dev/null 2>&1 || true
        cmp -s "$base.png" "$base.p.png" && cmp -s "$base.jpg" "$base.p.jpg" ||
            echo "the pictures of a render without other outputs differ"
        rm -f "$base.p.png" "$base.p.jpg"
    } >"$base.txt" || true
    sed -i "s|$SAMPLES/||g" "$base.txt"
}
export -f one
export RENDER=$render SAMPLES=$samples OUT=$out
seq 1 "$n" | xargs -n 1 -P "$jobs" bash -c 'one "$@"' _

# The exports that are made once per file and sensor: NetCDF and GeoTIFF.
m=0
while IFS= read -r -d '' file; do
    for entry in $(sensors_of "$(basename "$file")"); do
        m=$((m + 1))
        base="$out/export-$(printf '%03d' "$m")"
        "$render" --sensor "${entry%%:*}" --netcdf "$base.nc" --geotiff "$base.tif" \
            --projection 1 "$file" >"$base.txt" 2>&1 || echo "status=$?" >>"$base.txt"
        if command -v ncdump >/dev/null && [ -e "$base.nc" ]; then
            ncdump "$base.nc" | sed "s|$samples/||g" >"$base.cdl"
            rm "$base.nc"
        fi
    done
done < <(find "$samples" -type f \( -iname '*.l1b' -o -iname '*.l1c' -o -iname '*.l1d' \
            -o -iname '*.bz2' \) -print0 | sort -z)
rm "$out/jobs"
echo "render-matrix: $n renders and $m exports in $out"
