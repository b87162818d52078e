#!/usr/bin/env bash
# Several "compras post" processes on one embedded database at once, and postings killed at
# random moments: stock adds up, numbers are never used twice, and a killed posting leaves all
# of itself or none of it once "compras check" has resolved what it left in limbo.
# With "servidor" as second argument the databases live on the local Firebird server.
set -u
CLI=$1
MODO=${2:-embebido}
dir=$(mktemp -d /tmp/compras-procesos-XXXXXX)
fail() { echo "FALLO: $*"; exit 1; }
# Every program runs with a time limit: a hang fails the test instead of holding it.
limite() { timeout -k 5 "$@"; }
export FIREBIRD=${FIREBIRD:-/tmp/compras-firebird-$(id -u)/root} FIREBIRD_LOCK=${FIREBIRD_LOCK:-/tmp/compras-firebird-$(id -u)/lock}
if [ "$MODO" = servidor ]; then
  bases=/var/lib/firebird/3.0/data/procesos-$$
  install -d -o firebird -g firebird "$bases"
  trap 'rm -rf "$dir" "$bases"' EXIT
  export COMPRAS_CLAVE
  opciones=(--servidor localhost --usuario-base SYSDBA)
  prefijo="localhost:"
  isql_auth=(-user SYSDBA -password "$COMPRAS_CLAVE")
else
  bases=$dir/b
  trap 'rm -rf "$dir"' EXIT
  opciones=()
  prefijo=""
  isql_auth=(-user SYSDBA)
fi
compras() { local orden=$1; shift; limite 120 "$CLI" "$orden" "$bases" "$@" "${opciones[@]}"; }
compras init --demo > /dev/null || fail "init"
compras check > /dev/null || fail "check"   # also writes the engine settings before isql runs

sql() { printf 'set list on;\n%s\n' "$1" | limite 60 env LD_PRELOAD="${COMPRAS_PRECARGA:-}" isql-fb -q "$prefijo$bases/$2.fdb" "${isql_auth[@]}" | awk 'NF==2 {print $2}' | tail -1; }
stock() { sql "select cast(STOCK * 1000 as bigint) as S from INVENTARIO where COD_BARRAS = '$1';" inventario; }

# shellcheck source=facturas_cli.sh
source "$(dirname "$0")/facturas_cli.sh"

# --- concurrency: 4 stations x 3 invoices, plus 2 stations racing for one number
base0=$(stock 7501031311309)
total=$(total_de PRUEBA-T 6 2)
[ -n "$total" ] || fail "could not learn the invoice total"
for s in 1 2 3 4; do
  (
    for n in 1 2 3; do
      factura "P$s-$n" 6 2 "$total" > "$dir/f$s-$n.json"
      ComputerName="EST$s" compras post "$dir/f$s-$n.json" > "$dir/id$s-$n" 2> "$dir/err$s-$n" || echo fallo > "$dir/fallo$s-$n"
    done
  ) &
done
for s in 5 6; do
  factura "DUP" 6 2 "$total" > "$dir/dup$s.json"
  (ComputerName="EST$s" compras post "$dir/dup$s.json" > "$dir/iddup$s" 2> "$dir/errdup$s"; echo $? > "$dir/rcdup$s") &
done
wait
for f in "$dir"/fallo*; do [ -e "$f" ] && fail "a concurrent posting failed: $(cat "$dir"/err*)"; done
ok=0; for s in 5 6; do [ "$(cat "$dir/rcdup$s")" = 0 ] && ok=$((ok + 1)); done
[ $ok = 1 ] || fail "exactly one of two postings of the same number must succeed (got $ok)"
posted=13   # 12 + the one duplicate that won
# each invoice has 6 lines over 6 articles with quantity 2: article 0 gets 2 per invoice
[ "$(stock 7501031311309)" = $((base0 + posted * 2 * 1000)) ] || fail "stock $(stock 7501031311309), expected $((base0 + posted * 2000))"
[ "$(sql "select count(*) as N from FACTURAS_COMPRA where CODIGO_PROVEEDOR = 12 and COMPROBANTE = 'DUP';" tienda)" = 1 ] || fail "DUP posted twice"
dups=$(sql "select count(*) - count(distinct FK_EMPRESA || '-' || FK_PERIODO || '-' || ID_ASIENTO) as N from ASIENTOS;" contabilidad)
[ "$dups" = 0 ] || fail "accounting entry numbers repeat"

# --- kill -9 at random moments of a 60-line posting
total=$(total_de PRUEBA-K 60 1)
for k in $(seq 1 10); do
  antes=$(stock 7501031311309)
  factura "K$k" 60 1 "$total" > "$dir/k$k.json"
  # exec: $! must be the posting process itself, not a shell around it
  (exec env ComputerName=MATAR "$CLI" post "$bases" "$dir/k$k.json" "${opciones[@]}" > /dev/null 2>&1) &
  pid=$!
  sleep "$(printf '0.%03d' $(( (RANDOM % 140) + 10 )))"
  kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null
  if [ "$MODO" = servidor ]; then
    # the server finishes with a dropped client on its own time: wait until it has
    for base in tienda inventario contabilidad; do
      for _ in $(seq 50); do
        [ "$(sql "select count(*) as N from MON\$ATTACHMENTS where MON\$REMOTE_PID = $pid;" $base)" = 0 ] && break
        sleep 0.2
      done
    done
  fi
  compras check --ahora > "$dir/check$k" 2>&1 || fail "check after kill $k: $(cat "$dir/check$k")"
  n=$(sql "select count(*) as N from FACTURAS_COMPRA where COMPROBANTE = 'K$k';" tienda)
  lineas=$(sql "select count(*) as N from DETALLE_FACTURAS_COMPRA d join FACTURAS_COMPRA f on f.ID_COMPRA = d.ID_COMPRA where f.COMPROBANTE = 'K$k';" tienda)
  despues=$(stock 7501031311309)
  if [ "$n" = 1 ]; then
    # 60 lines over 6 articles accumulate into 6 lines of 10
    [ "$lineas" = 6 ] && [ "$despues" = $((antes + 10 * 1000)) ] || fail "kill $k: posted but lines=$lineas stock $antes->$despues"
  else
    [ "$n" = 0 ] && [ "$lineas" = 0 ] && [ "$despues" = "$antes" ] || fail "kill $k: half a posting (n=$n lines=$lineas stock $antes->$despues)"
  fi
  echo "muerte $k: $([ "$n" = 1 ] && echo completa || echo nada)$(grep -q limbo "$dir/check$k" && echo ', limbo resuelto')"
  echo "delete from TEMPORAL_COMPRAS where COMPUTADORA = 'MATAR'; delete from TEMPORAL_ENC_COMPRA where COMPUTADORA = 'MATAR'; commit;" \
    | limite 60 env LD_PRELOAD="${COMPRAS_PRECARGA:-}" isql-fb -q "$prefijo$bases/tienda.fdb" "${isql_auth[@]}"
done
echo "1 passed, 0 failed"
