#!/usr/bin/env bash
# A Slurm job array over an archive: each array task renders one chunk of a list of input
# files with veltra-render, using the cores Slurm gives it. The inputs are independent, so the
# tasks need no coordination. Submit with, for a list of 2400 files in chunks of 100:
#     sbatch --array=0-23 --cpus-per-task=4 scripts/slurm-render.sh files.txt out/ 100
# Any veltra-render options after the three arguments are passed on, e.g. --projection 9.
#SBATCH --job-name=veltra-render
#SBATCH --output=veltra-render-%A_%a.log
set -euo pipefail
list=$1 out=$2 chunk=${3:-100}
shift 3 || shift $#
task=${SLURM_ARRAY_TASK_ID:?run as a Slurm array task (sbatch --array=...)}
mkdir -p "$out"
mapfile -t files < <(tail -n +"$((task * chunk + 1))" "$list" | head -n "$chunk")
[ ${#files[@]} -gt 0 ] || exit 0
exec veltra-render -j "${SLURM_CPUS_PER_TASK:-1}" "$@" --png "$out/{name}.png" \
    --netcdf "$out/{name}.nc" "${files[@]}"
