#!/usr/bin/env bash
# Installs the Debian packages the project needs that are missing. Sourced by ./run and ./test.
paquetes_compilar=(cmake ninja-build ccache g++ pkg-config qt6-base-dev qt6-qpa-plugins fonts-dejavu-core
  firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils libboost-dev
  libxlsxwriter-dev liborcus-dev libixion-dev libfreexl-dev libkainjow-mustache-dev libcurl4-openssl-dev libssl-dev qt6-translations-l10n)
paquetes_pruebas=(libgtest-dev libgmock-dev libbenchmark-dev poppler-utils python3 python3-aiosmtpd firebird3.0-server
  help2man desktop-file-utils man-db dpkg-dev)  # the last four build and check the Debian package

instalar_faltantes() {
  local faltan=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || faltan+=("$p")
  done
  [ ${#faltan[@]} -eq 0 ] && return 0
  echo "Instalando paquetes: ${faltan[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${faltan[@]}"
}

# Configures (or re-configures, which is quick) the build folder with the given options.
configurar() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" > /dev/null
}
