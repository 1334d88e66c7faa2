#!/usr/bin/env bash
# Renders every generated sample pass, plain and compressed, for every sensor and channel the
# viewer offers for it, with veltra-render; any failure fails the test. Every render must draw
# samples, and every file of the sample set's manifest must get exactly the renders its
# instruments call for, so a file whose sensor is no longer detected cannot slip through. The
# sample day (day/, a set of its own with its own manifest) is the composites' and is left out.
set -euo pipefail
render=$1
samples=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

channels_of() {
    case $1 in
        HIRS) seq 1 20 ;;
        AMSU-A) seq 1 15 ;;
        AMSU-B) seq 16 20 ;;
    esac
}

# The renders each file of the manifest needs, by the instruments its table gives.
declare -A expected
while IFS=$'\t' read -r name sensor; do
    case $sensor in
        HIRS) expected[$name]=20 ;;
        AMSU-A) expected[$name]=15 ;;
        AMSU-B|MHS) expected[$name]=5 ;;
        HIRS+AMSU) expected[$name]=40 ;;
        *) echo "FAILED: the manifest's $name has an instrument this test does not know: $sensor"
           exit 1 ;;
    esac
done < <(awk -F '  +' 'table && NF >= 3 { print $1 "\t" $3 } /^file  / { table = 1 }' \
             "$samples/MANIFEST.txt")
[ ${#expected[@]} -gt 0 ] || { echo "FAILED: no files in $samples/MANIFEST.txt"; exit 1; }

# One render of a file for a sensor and channel, as job number $1; prints what failed.
render_one() {
    local job=$1 sensor=$2 channel=$3 file=$4 samples_line size
    if ! "$render" --sensor "$sensor" --channel "$channel" --size 240x180 \
            --png "$out/$job.png" --bt "$out/$job.bt" --info "$file" \
            >"$out/$job.txt" 2>"$out/$job.err"; then
        echo "FAILED: $sensor channel $channel of $file: $(cat "$out/$job.err")"
        return
    fi
    samples_line=$(sed -n 's/^samples=//p' "$out/$job.txt")
    size=$(stat -c %s "$out/$job.bt")
    if [ "${samples_line:-0}" -le 0 ] || [ "$size" -ne $((12 * samples_line)) ]; then
        echo "FAILED: $file $sensor $channel: $size bytes for ${samples_line:-no} samples"
    fi
    rm -f "$out/$job".*
}
export -f render_one
export render out

runs=0
declare -A done_runs
: >"$out/jobs"
while IFS= read -r -d '' file; do
    name=${file#"$samples"/}
    done_runs[$name]=0
    case $file in
        *.l1d|*.l1d.bz2|*.L1D|*.L1D.bz2) sensors="HIRS AMSU-A AMSU-B" ;;
        *)
            sensors=$("$render" --info "$file" | sed -n 's/^sensor=//p')
            ;;
    esac
    for sensor in $sensors; do
        for channel in $(channels_of "$sensor"); do
            runs=$((runs + 1))
            done_runs[$name]=$((done_runs[$name] + 1))
            printf '%s\0%s\0%s\0%s\0' "$runs" "$sensor" "$channel" "$file" >>"$out/jobs"
        done
    done
done < <(find "$samples" -path "$samples/day" -prune -o -type f \( -iname '*.l1b' -o -iname '*.l1c' \
                 -o -iname '*.l1d' -o -iname '*.bz2' -o -name 'NSS.*' \) -print0 | sort -z)

# The renders, as many at a time as there are processors.
xargs -0 -n 4 -P "$(nproc)" bash -c 'render_one "$@"' _ <"$out/jobs" | tee "$out/failed"
failures=$(grep -c '^FAILED' "$out/failed" || true)
passed=$((runs - failures))

for name in "${!expected[@]}" "${!done_runs[@]}"; do
    if [ "${done_runs[$name]:-0}" -ne "${expected[$name]:-0}" ]; then
        echo "FAILED: $name rendered ${done_runs[$name]:-0} times, the manifest asks for ${expected[$name]:-0}"
        failures=$((failures + 1))
    fi
done
echo "$passed of $runs renders passed, $failures failures"
[ "$failures" -eq 0 ]
