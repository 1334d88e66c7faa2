#!/usr/bin/env bash
# Kills the viewer while it saves its picture and writes the settings, and the batch renderer
# while it writes its pictures and the brightness-temperature export, with SIGKILL at random
# moments, many times. After every kill each file must be either what it was before that run,
# untouched, or the whole file a complete run writes: never a part of one. The viewer writes
# the settings several times in a run, so there any whole settings file that kept the earlier
# settings will do.
# Usage: kill-while-writing.sh VIEWER RENDERER SAMPLE [ROUNDS]
set -euo pipefail
viewer=$1 render=$2 sample=$3 rounds=${4:-20}
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config
pass=$work/$(basename "$sample")
cp "$sample" "$pass"
settings=$XDG_CONFIG_HOME/Brenmoor/registry.json
mkdir -p "$(dirname "$settings")"

# exec: the background job is the program itself, so the kill reaches it and not only a subshell
# that would leave it running (and writing) after the round.
viewer_run() { exec "$viewer" "$pass" save; }
render_run() { exec "$render" "$pass" --projection 3 --jpeg "$work/out.jpg" --png "$work/out.png" --bt "$work/out.bt"; }
viewer_files=("$pass.jpg" "$settings")
render_files=("$work/out.jpg" "$work/out.png" "$work/out.bt")

# The files as they were before any run: other settings than a run leaves, other pictures.
printf '{"Software":{"Brenmoor":{"App Paths":{"Veltra":"/old/Veltra"},"Veltra":{"MapProjection":3}}}}\n' \
    >"$settings"
for f in "${viewer_files[0]}" "${render_files[@]}"; do echo "previous $f" >"$f"; done
whole_settings() { # the JSON document ends, and the projection set before is still there
    [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '}\n' ] && grep -q '"MapProjection": 3' "$1"
}
snapshot() { # FOLDER FILE...: copies of the files, by their position in the list
    local folder=$1 i=0; shift
    for f in "$@"; do cp "$f" "$folder/$i"; i=$((i + 1)); done
}

for program in viewer render; do
    declare -n files=${program}_files
    before=$work/$program/before complete=$work/$program/complete
    mkdir -p "$before" "$complete"
    snapshot "$before" "${files[@]}"
    # One complete run gives the new files and how long a run takes.
    start=$(date +%s%N)
    (${program}_run) >/dev/null 2>&1
    duration_ms=$((($(date +%s%N) - start) / 1000000 + 1))
    snapshot "$complete" "${files[@]}"
    # Back to the previous files; every killed run starts from them or from the complete ones.
    i=0
    for f in "${files[@]}"; do cp "$before/$i" "$f"; i=$((i + 1)); done
    for round in $(seq "$rounds"); do
        snapshot "$before" "${files[@]}"
        ${program}_run >/dev/null 2>&1 &
        pid=$!
        delay_ms=$((RANDOM * RANDOM % duration_ms))
        sleep "$((delay_ms / 1000)).$(printf %03d $((delay_ms % 1000)))"
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        i=0
        for f in "${files[@]}"; do
            if ! cmp -s "$f" "$before/$i" && ! cmp -s "$f" "$complete/$i" &&
                ! { [ "$f" = "$settings" ] && whole_settings "$f"; }; then
                echo "FAIL: $program killed after ${delay_ms} ms left $f neither as it was nor whole" >&2
                exit 1
            fi
            i=$((i + 1))
        done
    done
    echo "$program: $rounds runs killed within ${duration_ms} ms, every file whole"
done

# Faults the viewer must survive and tell, each in a run of its own.
fail() { echo "FAIL: $*" >&2; exit 1; }
status_of() { "$@" 2>"$work/err" >/dev/null && echo 0 || echo $?; }
# A settings file that cannot be read is kept beside itself, not overwritten, and named.
printf '{"Software": {"Brenmoor": {"Other": {"Keep": 1}' >"$settings"
cp "$settings" "$work/damaged"
rm -f "$settings.damaged"
[ "$(status_of "$viewer" "$pass" save)" = 0 ] || fail "the viewer failed on damaged settings"
cmp -s "$settings.damaged" "$work/damaged" || fail "the damaged settings file was not kept"
grep -q "$settings could not be read.*kept beside it as registry.json.damaged" "$work/err" || fail "no word of the damaged settings"
# A file whose name is not UTF-8 opens (its folder is Latin-1 here).
latin1=$work/$'Gr\xfcn'
mkdir -p "$latin1"
cp "$sample" "$latin1/"
[ "$(status_of "$viewer" "$latin1/$(basename "$sample")" save)" = 0 ] ||
    fail "a name that is not UTF-8 did not open: $(cat "$work/err")"
[ -s "$latin1/$(basename "$sample").jpg" ] || fail "no picture beside the Latin-1 name"
# A picture that cannot be saved is named with the system's reason.
rm -f "$pass.jpg" && mkdir "$pass.jpg"
[ "$(status_of "$viewer" "$pass" save)" = 4 ] || fail "a failed save did not end with 4"
grep -q "$pass.jpg.*Is a directory" "$work/err" || fail "no reason for the failed save: $(cat "$work/err")"
echo "faults: damaged settings kept, a Latin-1 name opened, a failed save named with its reason"
