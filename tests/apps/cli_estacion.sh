#!/usr/bin/env bash
# One workstation, many "compras post" at once: each run holds the station while it works, so
# every posted invoice has exactly its own lines and nobody sees an engine message in English.
# Then a run killed mid-way: its leftover is reported by "check", blocks the next posting,
# cannot be cleared while a live run holds the station, and "clear" empties it afterwards.
set -u
CLI=$1
dir=$(mktemp -d /tmp/compras-estacion-XXXXXX)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FALLO: $*"; exit 1; }
limite() { timeout -k 5 "$@"; }
export FIREBIRD=${FIREBIRD:-/tmp/compras-firebird-$(id -u)/root} FIREBIRD_LOCK=${FIREBIRD_LOCK:-/tmp/compras-firebird-$(id -u)/lock}
bases=$dir/b
compras() { local orden=$1; shift; limite 200 "$CLI" "$orden" "$bases" "$@"; }
compras init --demo > /dev/null || fail "init"
compras check > /dev/null || fail "check"
sql() { printf 'set list on;\n%s\n' "$1" | limite 60 env LD_PRELOAD="${COMPRAS_PRECARGA:-}" isql-fb -q "$bases/tienda.fdb" -user SYSDBA | awk 'NF==2 {print $2}' | tail -1; }
lineas_estacion() { sql "select count(*) as N from TEMPORAL_COMPRAS where COMPUTADORA = '$1';"; }
ingles='deadlock|update conflict|lock conflict|lock time-out|concurrent transaction'

# shellcheck source=facturas_cli.sh
source "$(dirname "$0")/facturas_cli.sh"

# --- six runs at once on one station, invoice E$q has 3 lines of quantity q
for q in 1 2 3 4 5 6; do
  t=$(total_de "T$q" 3 "$q")
  [ -n "$t" ] || fail "could not learn the total of E$q"
  factura "E$q" 3 "$q" "$t" > "$dir/e$q.json"
done
for q in 1 2 3 4 5 6; do
  (ComputerName=MISMA compras post "$dir/e$q.json" --espera 150 > "$dir/id$q" 2> "$dir/err$q"; echo $? > "$dir/rc$q") &
done
wait
ok=0
for q in 1 2 3 4 5 6; do
  rc=$(cat "$dir/rc$q")
  grep -Eiq "$ingles" "$dir/err$q" && fail "E$q: English engine text reached the user: $(cat "$dir/err$q")"
  if [ "$rc" = 0 ]; then
    ok=$((ok + 1))
    id=$(cat "$dir/id$q")
    n=$(sql "select count(*) as N from DETALLE_FACTURAS_COMPRA where ID_COMPRA = $id;")
    ajenas=$(sql "select count(*) as N from DETALLE_FACTURAS_COMPRA where ID_COMPRA = $id and CANTIDAD <> $q;")
    [ "$n" = 3 ] && [ "$ajenas" = 0 ] || fail "E$q (id $id) has $n lines, $ajenas of them from another run"
  else
    # a refusal must be the station's Spanish message and leave nothing behind
    grep -q "está en uso" "$dir/err$q" || fail "E$q failed (rc $rc): $(cat "$dir/err$q")"
    [ "$(sql "select count(*) as N from FACTURAS_COMPRA where COMPROBANTE = 'E$q';")" = 0 ] || fail "E$q refused but posted"
  fi
done
[ $ok -ge 1 ] || fail "no run posted"
[ "$(lineas_estacion MISMA)" = 0 ] || fail "the station kept work lines"
echo "seis a la vez: $ok registradas"

# --- a run killed mid-way
t=$(total_de TK 3000 1)
[ -n "$t" ] || fail "could not learn the total of the long invoice"
factura K1 3000 1 "$t" > "$dir/k.json"
(exec env ComputerName=MATAR "$CLI" post "$bases" "$dir/k.json" > /dev/null 2>&1) &
pid=$!
for _ in $(seq 300); do
  [ "$(lineas_estacion MATAR)" -gt 0 ] 2>/dev/null && break
  sleep 0.05
done
vivo=0
if kill -0 $pid 2>/dev/null; then
  vivo=1
  # while the run lives its station cannot be cleared
  if ComputerName=MATAR compras clear --espera 1 > "$dir/clear0" 2>&1; then
    # Only right when the run had already posted and let the station go while it was exiting.
    [ "$(sql "select count(*) as N from FACTURAS_COMPRA where COMPROBANTE = 'K1';")" = 1 ] ||
      fail "clear emptied a station in use: $(cat "$dir/clear0")"
  else
    grep -q "está en uso" "$dir/clear0" || fail "clear refused without saying why: $(cat "$dir/clear0")"
  fi
  kill -0 $pid 2>/dev/null || vivo=0
fi
kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null
[ $vivo = 1 ] || echo "aviso: la corrida terminó antes de poder interrumpirla"
compras check --ahora > "$dir/check" 2>&1 || fail "check after the kill: $(cat "$dir/check")"
if [ "$(sql "select count(*) as N from FACTURAS_COMPRA where COMPROBANTE = 'K1';")" = 0 ]; then
  restantes=$(lineas_estacion MATAR)
  echo "corrida interrumpida: $restantes líneas quedaron en la estación"
  if [ "$restantes" -gt 0 ]; then
    grep -q "estación MATAR (caja 1)" "$dir/check" || fail "check does not report the leftover: $(cat "$dir/check")"
    # the leftover blocks the next posting on that station, in Spanish
    factura K2 1 1 1 > "$dir/k2.json"
    ComputerName=MATAR compras post "$dir/k2.json" > /dev/null 2> "$dir/err-k2" && fail "posted over a leftover document"
    grep -q "sin terminar" "$dir/err-k2" || fail "unexpected refusal: $(cat "$dir/err-k2")"
  fi
fi
ComputerName=MATAR compras clear --espera 20 > "$dir/clear" 2>&1 || fail "clear after the kill: $(cat "$dir/clear")"
[ "$(lineas_estacion MATAR)" = 0 ] || fail "clear left lines"
[ "$(sql "select count(*) as N from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'MATAR';")" = 0 ] || fail "clear left the header"
compras check > "$dir/check2" 2>&1 || fail "check after clear"
grep -q "MATAR" "$dir/check2" && fail "check still reports the cleared station: $(cat "$dir/check2")"
# the station works again
factura K3 3 1 "$(total_de TK3 3 1)" > "$dir/k3.json"
ComputerName=MATAR compras post "$dir/k3.json" > /dev/null 2> "$dir/err-k3" || fail "posting after clear: $(cat "$dir/err-k3")"
echo "1 passed, 0 failed"
