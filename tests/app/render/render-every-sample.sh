#!/usr/bin/env bash
# Renders every generated sample pass, plain and compressed, for every sensor and channel the
# viewer offers for it, with veltra-render; any failure fails the test.
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

runs=0
failures=0
while IFS= read -r -d '' file; do
    case $file in
        *.l1d|*.l1d.bz2|*.L1D|*.L1D.bz2) sensors="HIRS AMSU-A AMSU-B" ;;
        *)
            sensors=$("$render" --info "$file" | sed -n 's/^sensor=//p')
            ;;
    esac
    for sensor in $sensors; do
        for channel in $(channels_of "$sensor"); do
            runs=$((runs + 1))
            if ! "$render" --sensor "$sensor" --channel "$channel" --size 240x180 \
                    --png "$out/picture.png" --bt "$out/samples.bt" --info "$file" \
                    >"$out/info.txt" 2>"$out/error.txt"; then
                echo "FAILED: $sensor channel $channel of $file: $(cat "$out/error.txt")"
                failures=$((failures + 1))
                continue
            fi
            samples_line=$(sed -n 's/^samples=//p' "$out/info.txt")
            size=$(stat -c %s "$out/samples.bt")
            if [ "$size" -ne $((12 * samples_line)) ]; then
                echo "FAILED: $file $sensor $channel: $size bytes for $samples_line samples"
                failures=$((failures + 1))
            fi
        done
    done
done < <(find "$samples" -type f \( -iname '*.l1b' -o -iname '*.l1c' -o -iname '*.l1d' \
                                       -o -iname '*.bz2' \) -print0 | sort -z)

echo "$((runs - failures)) passed, $failures failed"
[ "$runs" -gt 200 ] || { echo "too few renders: $runs"; exit 1; }
[ "$failures" -eq 0 ]
