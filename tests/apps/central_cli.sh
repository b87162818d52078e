#!/usr/bin/env bash
# compras central-list / central-import: first against the embedded demo head office, then
# (as root, with firebird3.0-server) against a head office on a Firebird server on the loopback,
# including a wrong password and a head office that is down.
set -u
CLI=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"; [ -n "${srv:-}" ] && rm -rf "$srv"' EXIT
fail() { echo "FALLO: $*"; exit 1; }
export COMPRAS_INI_DIR="$dir/ini"
mkdir -p "$COMPRAS_INI_DIR"
cli() { timeout -k 5 120 "$CLI" "$@"; }

cli init "$dir/bases" --demo > "$dir/out" 2>&1 || fail "init --demo: $(cat "$dir/out")"

# No iniGestionCentral.ini: the workstation's own head-office database.
cli central-list "$dir/bases" > "$dir/out" 2>&1 || fail "central-list: $(cat "$dir/out")"
grep -q "CC-0000101.*S$" "$dir/out" || fail "CC-0000101 must be listed as recorded: $(cat "$dir/out")"
grep -q "CC-0000102.*N$" "$dir/out" || fail "CC-0000102 must be waiting: $(cat "$dir/out")"
grep -q "CC-0000104" "$dir/out" && fail "CC-0000104 belongs to another store"

cli central-import "$dir/bases" CC-0000101 > "$dir/out" 2>&1
[ $? = 5 ] || fail "a recorded invoice must be refused: $(cat "$dir/out")"
grep -q "La factura ya fue procesada" "$dir/out" || fail "refusal message: $(cat "$dir/out")"

cli central-import "$dir/bases" CC-0000103 --recibido 7441001000240=3 > "$dir/out" 2> "$dir/err" \
  || fail "central-import: $(cat "$dir/out" "$dir/err")"
grep -qE "^[0-9]+$" "$dir/out" || fail "central-import must print the new id: $(cat "$dir/out")"
cli central-list "$dir/bases" > "$dir/out" 2>&1 || fail "central-list after import"
grep -q "CC-0000103.*S$" "$dir/out" || fail "CC-0000103 must now be recorded: $(cat "$dir/out")"

# A head office that is down: a clear message, quickly.
printf '[datos]\npcentral=127.0.0.1/1:/no/existe.fdb\npcenventas=127.0.0.1/1:/no/existe.fdb\nespera=3\n' \
  > "$COMPRAS_INI_DIR/iniGestionCentral.ini"
cli central-list "$dir/bases" > "$dir/out" 2>&1
[ $? = 4 ] || fail "a head office that is down must fail with 4: $(cat "$dir/out")"
grep -q "iniGestionCentral.ini" "$dir/out" || fail "down message: $(cat "$dir/out")"

source "$(dirname "$0")/servidor_local.sh"
if ! iniciar_servidor; then
  echo "sin servidor Firebird: solo la casa central embebida"
  exit 0
fi
srv=/var/lib/firebird/3.0/data/cc-$$
install -d -o firebird -g firebird "$srv"
timeout -k 5 300 "$CLI" init "$srv" --demo --servidor localhost --usuario SYSDBA --clave "$CLAVE" > "$dir/out" 2>&1 \
  || fail "init on the server: $(cat "$dir/out")"
escribir_ini() {
  printf '[datos]\npcentral=localhost:%s/central.fdb\npcenventas=localhost:%s/central.fdb\n' "$srv" "$srv" \
    > "$COMPRAS_INI_DIR/iniGestionCentral.ini"
  printf 'usuariocentral=SYSDBA\nclavecentral=%s\nusuarioventas=SYSDBA\nclaveventas=%s\nespera=5\n' "$1" "$1" \
    >> "$COMPRAS_INI_DIR/iniGestionCentral.ini"
}
escribir_ini "$CLAVE"
cli central-list "$dir/bases" > "$dir/out" 2>&1 || fail "central-list on the server: $(cat "$dir/out")"
grep -q "CC-0000102.*N$" "$dir/out" || fail "server list: $(cat "$dir/out")"
cli central-import "$dir/bases" CC-0000102 > "$dir/out" 2>&1 || fail "import from the server: $(cat "$dir/out")"
cli central-import "$dir/bases" CC-0000102 > "$dir/out" 2>&1
[ $? = 5 ] || fail "a second import must be refused: $(cat "$dir/out")"

escribir_ini "incorrecta"
cli central-list "$dir/bases" > "$dir/out" 2>&1
[ $? = 4 ] || fail "a wrong password must fail with 4: $(cat "$dir/out")"
grep -q "iniGestionCentral.ini" "$dir/out" || fail "wrong password message: $(cat "$dir/out")"
echo "casa central: correcto"
