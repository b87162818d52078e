# Sourced by the server tests: starts the Firebird server on the loopback when it is not running
# and sets CLAVE to its SYSDBA password. Returns 1 when there is no server to use (no root, no
# firebird3.0-server).
iniciar_servidor() {
  local passfile=/etc/firebird/3.0/SYSDBA.password
  if [ "$(id -u)" != 0 ] || [ ! -x /usr/sbin/fbguard ] || [ ! -r "$passfile" ]; then
    return 1
  fi
  if ! (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; then
    timeout 60 runuser -u firebird -- /usr/sbin/fbguard -daemon -forever
    for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null && break; sleep 0.2; done
  fi
  CLAVE=$(grep '^ISC_PASSWORD' "$passfile" | cut -d'"' -f2)
}
