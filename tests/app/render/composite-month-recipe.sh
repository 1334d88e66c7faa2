#!/usr/bin/env bash
# The README's recipe for a month of composites, on this machine: the sample day split in two
# "days" of seven revolutions, each gridded by the Slurm script's day step (as array tasks 0
# and 1), merged by its merge step, and the merge compared with the grid of every pass at once.
set -euo pipefail
render=$1 script=$2 day=$(realpath "$3")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/bin" "$scratch/days/a" "$scratch/days/b"
ln -s "$(realpath "$render")" "$scratch/bin/veltra-render"
export PATH="$scratch/bin:$PATH"
mapfile -t passes < <(ls "$day"/mhsl1c_*.l1c | sort)
ln -s "${passes[@]:0:7}" "$scratch/days/a/"
ln -s "${passes[@]:7}" "$scratch/days/b/"
for task in 0 1; do
    SLURM_ARRAY_TASK_ID=$task "$script" day "$scratch/days" "$scratch/out" mean --grid-step 1
done
"$script" merge "$scratch/days" "$scratch/out" mean --grid-step 1
veltra-render --composite mean --projection plate-carree --grid-step 1 \
    --netcdf "$scratch/whole.nc" "${passes[@]}"
for variable in brightness_temperature count time; do
    diff <(ncdump -v $variable "$scratch/out/month.nc" | sed -n '/^data:/,$p') \
         <(ncdump -v $variable "$scratch/whole.nc" | sed -n '/^data:/,$p')
done
echo "two days merged equal the whole composite"
