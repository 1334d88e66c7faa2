#!/usr/bin/env bash
# Installs what is missing, refuses sources that clang-format would change, then builds and
# runs every test twice: a normal build, then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer; then fuzzes every reader briefly.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
jobs=$(nproc)

echo "== formatting: every source as .clang-format has it"
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' \
    'bench/*.cpp' 'bench/*.h' | xargs -0 clang-format --dry-run --Werror

run_suite() {
    local dir=$1; shift
    echo "== configure and build: $dir"
    cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
    echo "== tests: $dir"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs"
}

run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DVELTRA_SANITIZE=ON -DVELTRA_BUILD_BENCH=OFF
echo "== fuzzing: every reader for a short while"
./scripts/fuzz.sh 10
echo "All tests passed in both builds, and fuzzing found nothing."
