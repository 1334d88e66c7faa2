#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on FILE or, with none, on the
# generated HIRS sample pass. Without a display it renders the file unattended and says where
# the picture is.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

viewer=build/src/app/Veltra
file=${1:-build/samples/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B}
if [ ! -e "$file" ]; then
    echo "run.sh: no such file: $file" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$viewer" "$file"
fi

# No display: the viewer's unattended mode draws the file and saves the picture beside it
# (a bzip2 file x.l1b.bz2 gives x.l1b.jpg).
case $file in
    *.bz2|*.BZ2) picture=${file%.*}.jpg ;;
    *) picture=$file.jpg ;;
esac
echo "No display: rendering $file unattended."
"$viewer" "$file" save
echo "Picture saved to: $(realpath "$picture")"
