#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz in build-fuzz/ (clang with libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer) and runs each for SECONDS (default 60), one at a time.
# Seeds come from the sample generator's passes, cut to each target's longest input; every
# target's corpus grows in build-fuzz/corpus/<target>. On any finding the script stops with a
# non-zero status and names the reproducer (build-fuzz/findings/<target>/crash-...); run the
# target on that file to see the report again.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELTRA_FUZZ=ON -DVELTRA_BUILD_TESTS=OFF -DVELTRA_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$dir" --target fuzz_targets samples

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
samples=$dir/samples
seeds=$dir/seeds

# seed TARGET NAME PREFIX FILE [SKIP]: the prefix bytes (octal escapes), then FILE from byte SKIP
# on, cut to the target's longest input.
seed() {
    local target=$1 name=$2 prefix=$3 file=$4 skip=${5:-0}
    mkdir -p "$seeds/$target"
    # head stops reading early, which ends tail with SIGPIPE: not a failure here.
    { printf "$prefix"; tail -c +$((skip + 1)) "$file" | head -c "${max_len[$target]}" || true; } \
        >"$seeds/$target/$name"
}

declare -A max_len=(
    [fuzz_decode_level1b]=16384 [fuzz_decode_level1c]=16384 [fuzz_decode_level1d]=32768
    [fuzz_headers]=4700 [fuzz_bzip2]=8192 [fuzz_outlines]=8192 [fuzz_settings]=4096
    [fuzz_file_names]=1024 [fuzz_grid]=65536
)
rm -rf "$seeds"
while IFS= read -r -d '' f; do
    n=$(basename "$(dirname "$f")")-$(basename "$f")
    case $n in
    *HIRX*) s='\000\007\001' ;; *AMAX*) s='\001\016\001' ;; *) s='\002\021\001' ;;
    esac
    case $n in
    *.L1B | *.l1b)
        seed fuzz_decode_level1b "$n" "$s" "$f"
        seed fuzz_headers "$n.ars" '\000' "$f"
        case $n in
        *HIRX*) seed fuzz_headers "$n.hirs" '\001' "$f" 512 ;;
        *AMAX*) seed fuzz_headers "$n.amsua" '\002' "$f" 512 ;;
        *) seed fuzz_headers "$n.amsub" '\003' "$f" 512 ;;
        esac ;;
    *.l1c)
        seed fuzz_decode_level1c "$n" '\000\007\001' "$f"
        seed fuzz_headers "$n" '\004' "$f" ;;
    *.l1d)
        seed fuzz_decode_level1d "$n.hirs" '\000\007\001' "$f"
        seed fuzz_decode_level1d "$n.amsua" '\001\016\001' "$f"
        seed fuzz_decode_level1d "$n.amsub" '\002\021\001' "$f"
        seed fuzz_headers "$n" '\005' "$f" ;;
    esac
done < <(find "$samples" -type f \( -iname '*.l1b' -o -iname '*.l1c' -o -iname '*.l1d' \) -print0)
for f in "$samples"/*.bz2; do
    seed fuzz_bzip2 "$(basename "$f")" '' "$f"
done
printf 'Veltra %.0s' {1..200} | bzip2 -c >"$dir/small.bz2"
seed fuzz_bzip2 small.bz2 '' "$dir/small.bz2"
seed fuzz_outlines Countries.dat '\000' data/Countries.dat
printf '\002<gpx><trk><trkseg>\n<trkpt lat="55.5" lon="10.25"/>\n<trkpt lat="56" lon="11"/>\n</trkseg></trk></gpx>\n' \
    >"$seeds/fuzz_outlines/track.gpx"
mkdir -p "$seeds/fuzz_settings" "$seeds/fuzz_file_names"
printf '{"Software":{"Brenmoor":{"App Paths":{"Veltra":"/opt/veltra/Veltra"},"Veltra":{"MapProjection":7,"DataFolder":"/data/","Scale":1.5,"On":true,"List":[1,"a",null]}}}}' \
    >"$seeds/fuzz_settings/registry.json"
{ printf '\001'; (cd "$samples" && ls); } >"$seeds/fuzz_file_names/samples"
# Grids made from the bytes: a byte of rule and step, then the cells' values.
mkdir -p "$seeds/fuzz_grid"
printf '\000\021' >"$seeds/fuzz_grid/latest-15"
head -c 8192 "$samples/hirsl1c_noaa15_20080115_0805_50410_gc.l1c" >"$seeds/fuzz_grid/values"
{ printf '\064\021'; head -c 4096 /dev/zero | tr '\0' '\001'; } >"$seeds/fuzz_grid/choice-34"

status=0
for target in fuzz_decode_level1b fuzz_decode_level1c fuzz_decode_level1d fuzz_headers \
    fuzz_bzip2 fuzz_outlines fuzz_settings fuzz_file_names fuzz_grid; do
    corpus=$dir/corpus/$target findings=$dir/findings/$target
    mkdir -p "$corpus" "$findings"
    echo "== $target: ${seconds}s"
    if ! nice -n 19 "$dir/tests/fuzz/$target" "$corpus" "$seeds/$target" \
        -max_total_time="$seconds" -max_len="${max_len[$target]}" -rss_limit_mb=2048 \
        -timeout=30 -artifact_prefix="$findings/" -print_final_stats=1 \
        >"$dir/$target.log" 2>&1; then
        tail -n 60 "$dir/$target.log"
        echo "FINDING in $target: $(ls -t "$findings"/* 2>/dev/null | head -n 1)" >&2
        status=1
        break
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)|cov:' \
        "$dir/$target.log" | tail -n 4
done
exit $status
