#!/usr/bin/env bash
# Postings killed at random moments while another station checks the same databases, then a
# "check --ahora": no program may hang and no attach may wait longer than the limit.
# Arguments: CLI [ITERACIONES]; COMPRAS_ESTRES_ITERACIONES overrides the count.
set -u
CLI=$1
N=${COMPRAS_ESTRES_ITERACIONES:-${2:-500}}
LIMITE=30          # seconds any one program may run
export COMPRAS_ESPERA_CONEXION=10   # an attach that waits longer fails with a message
dir=$(mktemp -d /tmp/compras-estres-XXXXXX)
# A private lock folder: a freeze here must not stop the other tests.
export FIREBIRD_LOCK=$dir/lock
unset FIREBIRD
mkdir -m 700 "$FIREBIRD_LOCK"
pids=()
limpiar() { for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done; rm -rf "$dir"; }
trap limpiar EXIT
fail() { echo "FALLO: $*"; exit 1; }

# correr SALIDA CMD...: runs CMD for at most LIMITE seconds; on a hang saves the backtraces
# of its threads in SALIDA.bt, kills it and returns 124.
correr() {
  local salida=$1; shift
  "$@" > "$salida" 2>&1 &
  local pid=$! i
  for ((i = 0; i < LIMITE * 20; i++)); do
    kill -0 "$pid" 2>/dev/null || { wait "$pid"; return; }
    sleep 0.05
  done
  command -v gdb > /dev/null && timeout 60 gdb -p "$pid" -batch -ex 'thread apply all bt' > "$salida.bt" 2>&1
  kill -9 "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  return 124
}
colgado() {
  echo "--- $1"; cat "$1"
  [ -f "$1.bt" ] && { echo "--- hilos"; grep -E '^(Thread|#)' "$1.bt" | head -80; }
  # The mutex of each shared block sits at offset 16 (lock word) and 24 (owner thread).
  local f estado duenio
  for f in "$FIREBIRD_LOCK"/fb_*; do
    [ -s "$f" ] || continue
    estado=$(od -An -t d4 -j16 -N4 "$f" | tr -d ' ') duenio=$(od -An -t d4 -j24 -N4 "$f" | tr -d ' ')
    echo "$(basename "$f"): mutex $estado, dueño $duenio $([ "$duenio" -gt 0 ] && { [ -d "/proc/$duenio" ] && echo vivo || echo muerto; })"
  done
  fail "$2"
}

bases=$dir/b
correr "$dir/init" "$CLI" init "$bases" --demo || fail "init: $(cat "$dir/init")"

ART=(7501031311309 7441001000011 7441001000028 7441001000035 7441001000042 7441001000059)
factura() {
  local lineas="" i
  for ((i = 0; i < 60; i++)); do
    lineas+="${lineas:+,}{\"codigo\": \"${ART[i % 6]}\", \"cantidad\": 1, \"costo\": 100}"
  done
  printf '{"proveedor": 12, "comprobante": "%s", "fecha": "2026-12-06", "moneda": 1, "lineas": [%s], "pago": {"credito": %s, "dias": 30}}' \
    "$1" "$lineas" "$2"
}
factura E0 0 > "$dir/t.json"
correr "$dir/total" "$CLI" post "$bases" "$dir/t.json"
total=$(grep -Eo 'falta: [0-9,.]+' "$dir/total" | cut -d' ' -f2 | tr -d ,)
[ -n "$total" ] || fail "could not learn the invoice total: $(cat "$dir/total")"

inicio=$SECONDS
peor=0
for ((k = 1; k <= N; k++)); do
  factura "E$k" "$total" > "$dir/f.json"
  (exec env ComputerName=ESTRES "$CLI" post "$bases" "$dir/f.json" > /dev/null 2>&1) &
  post=$!
  pids=("$post")
  correr "$dir/check" "$CLI" check "$bases" &
  check=$!
  pids+=("$check")
  sleep "$(printf '0.%03d' $(( (RANDOM % 150) + 1 )))"
  if ((k % 5 == 0)); then
    # SIGTERM: the program must end by itself, promptly
    kill -TERM "$post" 2>/dev/null
    for ((i = 0; i < 200; i++)); do kill -0 "$post" 2>/dev/null || break; sleep 0.05; done
    if kill -0 "$post" 2>/dev/null; then
      command -v gdb > /dev/null && timeout 60 gdb -p "$post" -batch -ex 'thread apply all bt' > "$dir/term.bt" 2>&1
      echo "term" > "$dir/term"
      colgado "$dir/term" "iteration $k: a posting ignored SIGTERM for 10 s"
    fi
  else
    kill -9 "$post" 2>/dev/null
  fi
  wait "$post" 2>/dev/null
  wait "$check"; rc=$?
  [ $rc = 124 ] && colgado "$dir/check" "iteration $k: a concurrent check hung"
  grep -q "no respondió" "$dir/check" && colgado "$dir/check" "iteration $k: an attach waited too long"
  t0=$SECONDS
  correr "$dir/ahora" "$CLI" check "$bases" --ahora; rc=$?
  ((SECONDS - t0 > peor)) && peor=$((SECONDS - t0))
  [ $rc = 124 ] && colgado "$dir/ahora" "iteration $k: check --ahora hung"
  [ $rc = 0 ] || colgado "$dir/ahora" "iteration $k: check --ahora failed ($rc)"
  ((k % 50 == 0)) && echo "iteración $k: $((SECONDS - inicio)) s"
done
echo "$N iteraciones en $((SECONDS - inicio)) s; el check --ahora más lento tardó $peor s"
echo "1 passed, 0 failed"
