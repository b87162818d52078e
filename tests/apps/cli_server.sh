#!/usr/bin/env bash
# compras init / check against a Firebird server on this machine (started here when needed).
set -u
CLI=$1
source "$(dirname "$0")/servidor_local.sh"
if ! iniciar_servidor; then
  echo "sin servidor Firebird (hace falta root y el paquete firebird3.0-server): se omite"
  exit 77
fi
dir=/var/lib/firebird/3.0/data/ci-$$
install -d -o firebird -g firebird "$dir"
trap 'rm -rf "$dir"' EXIT
fail() { echo "FALLO: $*"; exit 1; }
timeout -k 5 300 "$CLI" init "$dir" --demo --servidor localhost --usuario SYSDBA --clave "$CLAVE" > /tmp/cli-server-$$ 2>&1 \
  || fail "init on the server: $(cat /tmp/cli-server-$$)"
COMPRAS_CLAVE=$CLAVE timeout -k 5 120 "$CLI" check "$dir" --servidor localhost --usuario SYSDBA > /tmp/cli-server-$$ 2>&1 \
  || fail "check on the server: $(cat /tmp/cli-server-$$)"
timeout -k 5 120 "$CLI" check "$dir" --servidor localhost --usuario SYSDBA --clave incorrecta > /dev/null 2>&1 \
  && fail "a wrong password must fail"
rm -f /tmp/cli-server-$$
# Several posting processes and killed postings, on the server.
COMPRAS_CLAVE=$CLAVE timeout -k 5 900 bash "$(dirname "$0")/cli_procesos.sh" "$CLI" servidor || fail "processes on the server"
