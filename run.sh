#!/usr/bin/env bash
# Installs what is missing, builds, and starts the viewer on FILE or, with none, on the
# generated sample pass. Without a display it renders unattended and says where the picture is.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [ ! -x build/src/app/Veltra ]; then
    echo "The viewer is not built yet." >&2
    exit 1
fi
exec build/src/app/Veltra "$@"
