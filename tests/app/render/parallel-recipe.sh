#!/usr/bin/env bash
# The README's GNU parallel recipe, on this machine only (":" in the login file is the local
# host): every input rendered, each output the same as from a run of its own.
set -euo pipefail
render=$1 samples=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo ":" > "$scratch/hosts"
inputs=("$samples"/NSS.HIRX.*.L1B "$samples"/amsual1c_*.l1c)
parallel --will-cite --sshloginfile "$scratch/hosts" -j 2 \
    "$render" --png "$scratch/{/}.png" --bt "$scratch/{/}.bt" {} ::: "${inputs[@]}"
for input in "${inputs[@]}"; do
    name=$(basename "$input")
    "$render" --png "$scratch/alone.png" --bt "$scratch/alone.bt" "$input"
    cmp "$scratch/$name.png" "$scratch/alone.png"
    cmp "$scratch/$name.bt" "$scratch/alone.bt"
done
echo "parallel rendered ${#inputs[@]} files as single runs do"
