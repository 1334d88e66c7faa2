#!/usr/bin/env bash
# A month of composites on a Slurm cluster: one array task per day grids that day's passes
# (folders DAYS/YYYYMMDD/ of passes), and one step after them all merges the day grids into the
# month's; the merge equals the composite of every pass at once. Submit with
#     days=$(sbatch --parsable --array=0-30 --cpus-per-task=4 \
#            scripts/slurm-composite-month.sh day DAYS/ out/ mean --channel 18)
#     sbatch --dependency=afterok:$days scripts/slurm-composite-month.sh merge DAYS/ out/ mean
# RULE is latest, nadir, min, max or mean; any veltra-render options after it are passed on
# (the merge takes the sensor and channel of the first day grid, and must use the same
# --grid-step as the days). A day grid is out/day-YYYYMMDD.nc, the month out/month.nc.
#SBATCH --job-name=veltra-composite
#SBATCH --output=veltra-composite-%A_%a.log
set -euo pipefail
step=$1 days=$2 out=$3 rule=$4
shift 4
mkdir -p "$out"
case $step in
day)
    task=${SLURM_ARRAY_TASK_ID:?run as a Slurm array task (sbatch --array=...)}
    mapfile -t folders < <(find "$days" -mindepth 1 -maxdepth 1 -type d | sort)
    [ "$task" -lt ${#folders[@]} ] || exit 0
    day=${folders[$task]}
    shopt -s nullglob
    passes=("$day"/*)
    [ ${#passes[@]} -gt 0 ] || exit 0
    exec veltra-render -j "${SLURM_CPUS_PER_TASK:-1}" --composite "$rule" \
        --projection plate-carree "$@" --netcdf "$out/day-$(basename "$day").nc" "${passes[@]}"
    ;;
merge)
    exec veltra-render --composite "$rule" --projection plate-carree "$@" \
        --netcdf "$out/month.nc" "$out"/day-*.nc
    ;;
*)
    echo "usage: $0 day|merge DAYS OUT RULE [OPTIONS]" >&2
    exit 2
    ;;
esac
