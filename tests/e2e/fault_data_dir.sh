# Data/ that cannot be read: a plain file in its place, or a folder without permissions.
# The demo reports the module as unloadable and runs silently until Escape.
source "$(dirname "$0")/lib.bash" "$@"
source "$(dirname "$0")/faults.bash"
start_x
export SDL_AUDIODRIVER=dummy

fresh_case "Data is a file"
cp "$(dirname "$0")/../../Data/drell.tga" "$WORK/run/Data"
note_files
start_demo
runs_until_escape 1
expect_stdout '\nImpossibile caricare il file\n'
[ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"

# Root reads any folder whatever its mode, so as root the demo runs as nobody, from a copy
# that nobody may execute, in a scratch tree that nobody may enter.
fresh_case "Data unreadable"
write_module
cp "$(dirname "$0")/../../Data/drell.tga" "$(dirname "$0")/../../Data/korvane.tga" \
    "$WORK/run/Data/"
chmod 000 "$WORK/run/Data"
as_user=()
if [ "$(id -u)" = 0 ]; then
    command -v setpriv >/dev/null || fail "setpriv is needed to drop root"
    mkdir -p "$WORK/bin"
    cp "$ZUZOR_BIN" "$WORK/bin/zuzor"
    chmod 755 "$WORK" "$WORK/bin" "$WORK/bin/zuzor" "$WORK/run"
    chmod 1777 "$WORK/home" "$WORK/tmp"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    ZUZOR_BIN="$WORK/bin/zuzor"
fi
note_files
(cd "$WORK/run" && exec "${as_user[@]}" "$ZUZOR_BIN" >"$WORK/stdout" 2>"$WORK/stderr") &
DEMO_PID=$!
runs_until_escape 1
chmod 755 "$WORK/run/Data"
expect_stdout '\nImpossibile caricare il file\n'
[ -s "$WORK/stderr" ] && case_fail "stderr: $(cat "$WORK/stderr")"
echo "ok"
