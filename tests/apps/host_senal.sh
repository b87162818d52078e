#!/usr/bin/env bash
# compras-host ends promptly and cleanly on SIGTERM: its windows close, its attachments are
# released and no error escapes (before, the Firebird client's own handler shut the engine
# down under the open windows).
set -u
HOST=$1 CLI=$2
dir=$(mktemp -d /tmp/compras-host-senal-XXXXXX)
pid=
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$dir"' EXIT
fail() { echo "FALLO: $*"; [ -f "$dir/err" ] && cat "$dir/err"; exit 1; }
export XDG_DATA_HOME=$dir/datos XDG_CONFIG_HOME=$dir/config QT_QPA_PLATFORM=offscreen
timeout -k 5 120 "$CLI" init "$XDG_DATA_HOME/compras" --demo > /dev/null 2>&1 || fail "init"

for senal in TERM INT; do
  "$HOST" > "$dir/out" 2> "$dir/err" &
  pid=$!
  # The login dialog is up once the host holds its three databases open.
  for _ in $(seq 200); do
    [ "$(ls -l /proc/$pid/fd 2>/dev/null | grep -c '\.fdb')" -ge 3 ] && break
    kill -0 "$pid" 2>/dev/null || fail "the host ended before the signal"
    sleep 0.1
  done
  sleep 0.5
  kill -"$senal" "$pid"
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "SIG$senal ignored for 15 s"
  wait "$pid"; rc=$?
  pid=
  [ $rc = $((128 + $(kill -l $senal))) ] || fail "SIG$senal: exit $rc"
  grep -Eqi "terminate|connection shutdown|abort" "$dir/err" && fail "SIG$senal: an error escaped"
done
echo "1 passed, 0 failed"
