#!/usr/bin/env bash
# compras init / check on embedded databases, including a grouped commit left in limbo.
set -u
CLI=$1 CRASH=$2
dir=$(mktemp -d /tmp/compras-cli-XXXXXX)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FALLO: $*"; exit 1; }
# Every program runs with a time limit: a hang fails the test instead of holding it.
cli() { timeout -k 5 120 "$CLI" "$@"; }
isql() { timeout -k 5 60 env LD_PRELOAD="${COMPRAS_PRECARGA:-}" isql-fb "$@"; }

cli init "$dir/bases" --demo > "$dir/out" 2>&1 || fail "init --demo: $(cat "$dir/out")"
[ "$(ls "$dir/bases" | wc -l)" = 5 ] || fail "init must create five databases"
cli check "$dir/bases" > "$dir/out" 2>&1 || fail "check of a fresh folder: $(cat "$dir/out")"

# A second init must refuse and leave the files alone.
before=$(md5sum "$dir/bases/tienda.fdb")
cli init "$dir/bases" > "$dir/out" 2>&1 && fail "init over existing databases must fail"
[ "$before" = "$(md5sum "$dir/bases/tienda.fdb")" ] || fail "init changed an existing database"

# Missing databases and missing tables are reported with a non-zero exit.
cli check "$dir/nada" > "$dir/out" 2>&1; [ $? -ne 0 ] || fail "check of an empty folder must fail"
grep -q "FALTA la base tienda" "$dir/out" || fail "missing database not named: $(cat "$dir/out")"
cli init "$dir/esquema" > /dev/null 2>&1 || fail "init without demo"
export FIREBIRD=${FIREBIRD:-/tmp/compras-firebird-$(id -u)/root} FIREBIRD_LOCK=${FIREBIRD_LOCK:-/tmp/compras-firebird-$(id -u)/lock}
echo "drop table PEDIDOS; commit;" | isql -q "$dir/esquema/tienda.fdb" -user SYSDBA > /dev/null 2>&1
cli check "$dir/esquema" > "$dir/out" 2>&1; [ $? -ne 0 ] || fail "check must fail when a table is missing"
grep -q "FALTA la tabla PEDIDOS en la base tienda" "$dir/out" || fail "missing table not named: $(cat "$dir/out")"

# A grouped commit interrupted after both prepares is finished by check.
for f in tienda inventario; do
  echo "create table T (V integer primary key); commit;" | isql -q "$dir/bases/$f.fdb" -user SYSDBA > /dev/null
done
timeout -k 5 60 "$CRASH" "$dir/bases/tienda.fdb" "$dir/bases/inventario.fdb" grupo-cli 42 prepared; [ $? -eq 3 ] || fail "crash helper"
cli check "$dir/bases" --ahora > "$dir/out" 2>&1 || fail "check with limbo: $(cat "$dir/out")"
grep -q "en limbo" "$dir/out" || fail "limbo not reported: $(cat "$dir/out")"
cli check "$dir/bases" > "$dir/out" 2>&1 || fail "second check"
grep -q "limbo" "$dir/out" && fail "limbo must be gone after check"
for f in tienda inventario; do
  n=$(echo "select count(*) from T;" | isql -q "$dir/bases/$f.fdb" -user SYSDBA | grep -Eo '[0-9]+' | tail -1)
  [ "$n" = 1 ] || fail "the prepared row must be committed in $f (got $n)"
done
# post and annul through the binary: the new id on stdout, the refusal's message on stderr.
cat > "$dir/f.json" <<'JSON'
{"proveedor": 12, "comprobante": "F-CLI", "fecha": "2026-12-06", "moneda": 1, "bodega": "", "descuento": 0,
 "lineas": [{"codigo": "7501031311309", "cantidad": 3, "costo": 10.0}],
 "pago": {"efectivo": 33.90, "origen": "caja"}}
JSON
id=$(cli post "$dir/bases" "$dir/f.json" 2> "$dir/err") || fail "post: $(cat "$dir/err")"
[ "$id" -gt 0 ] 2>/dev/null || fail "post must print the new ID_COMPRA, printed '$id'"
cli post "$dir/bases" "$dir/f.json" > "$dir/out" 2> "$dir/err" && fail "a second post of the same number must fail"
grep -q "ya fue Utilizado" "$dir/err" || fail "duplicate number not explained: $(cat "$dir/err")"
echo '{"proveedor": 12' > "$dir/malo.json"
cli post "$dir/bases" "$dir/malo.json" > "$dir/out" 2> "$dir/err" && fail "a malformed file must fail"
grep -q "JSON" "$dir/err" || fail "malformed file not explained: $(cat "$dir/err")"
# The point-of-sale user (--usuario) must exist; the database login is a separate option.
sed 's/F-CLI/F-CLI2/' "$dir/f.json" > "$dir/f2.json"
cli post "$dir/bases" "$dir/f2.json" --usuario fantasma > "$dir/out" 2> "$dir/err" && fail "an unknown user must not post"
grep -q "El usuario FANTASMA no existe." "$dir/err" || fail "unknown user not explained: $(cat "$dir/err")"
cli post "$dir/bases" "$dir/f2.json" --usuario cajero --usuario-base SYSDBA > "$dir/out" 2> "$dir/err" \
  || fail "post as CAJERO: $(cat "$dir/err")"
cli annul "$dir/bases" 12 "F-CLI       X" > "$dir/out" 2> "$dir/err" && fail "a number with junk after a real one must not annul it"
grep -q "NUMERO" "$dir/err" || fail "overlong number not explained: $(cat "$dir/err")"
cli --ayuda > "$dir/out" 2>&1 || fail "--ayuda"
grep -q -- "--usuario-base" "$dir/out" || fail "--ayuda must name --usuario-base: $(cat "$dir/out")"
cli annul "$dir/bases" 12 F-CLI > "$dir/out" 2> "$dir/err" || fail "annul: $(cat "$dir/err")"
cli annul "$dir/bases" 12 F-CLI > "$dir/out" 2> "$dir/err" && fail "annulling twice must fail"
echo "1 passed, 0 failed"
