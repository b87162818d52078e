#!/usr/bin/env bash
# Builds the Debian package and checks what a shop's technician gets: the files, the menu entry,
# the man pages, the versions and the unpacked programs working from their own folders. As root
# with CI=true it also installs the package, uses it and purges it again.
set -u
BUILD=$1 VERSION=$2
CPACK=${CPACK:-cpack}
dir=$(mktemp -d /tmp/compras-paquete-XXXXXX)
instalado=
limpiar() {
  if [ -n "$instalado" ]; then
    timeout -k 10 300 env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q compras > /dev/null 2>&1 ||
      timeout -k 10 120 dpkg --purge compras > /dev/null 2>&1
  fi
  rm -rf "$dir"
}
trap limpiar EXIT
fail() { echo "FALLO: $*"; exit 1; }
for herramienta in dpkg-deb dpkg-shlibdeps desktop-file-validate man help2man; do
  command -v "$herramienta" > /dev/null || fail "falta $herramienta (scripts/dependencias.sh)"
done

timeout -k 10 600 "$CPACK" -G DEB --config "$BUILD/CPackConfig.cmake" -B "$dir/salida" > "$dir/cpack" 2>&1 ||
  fail "cpack: $(tail -20 "$dir/cpack")"
deb=$dir/salida/compras_${VERSION}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no se creó $(basename "$deb"): $(ls "$dir/salida")"

# The files.
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$dir/lista"
libdir=$(grep -E '/libmodulo_compras\.so$' "$dir/lista") || fail "falta libmodulo_compras.so"
case "$libdir" in /usr/lib/*compras/libmodulo_compras.so) ;; *) fail "módulo fuera de /usr/lib: $libdir" ;; esac
for f in /usr/bin/compras /usr/bin/compras-host /usr/share/compras/reportes/comp_RespaldoComprobante.html \
         /usr/share/compras/reportes/Comp_importar_compras.xlsx /usr/share/applications/compras.desktop \
         /usr/share/icons/hicolor/scalable/apps/compras.svg /usr/share/man/man1/compras.1.gz \
         /usr/share/man/man1/compras-host.1.gz; do
  grep -qx "$f" "$dir/lista" || fail "falta $f en el paquete"
done
grep -v '/$' "$dir/lista" | grep -v '^/usr/' && fail "archivos fuera de /usr"
grep -Eq '\.fdb$|\.ini$' "$dir/lista" && fail "el paquete no debe traer bases ni ajustes"

# Dependencies: the linked libraries from shlibdeps, the engine and translations by name.
depende=$(dpkg-deb -f "$deb" Depends)
for p in libc6 libqt6core6 libqt6widgets6 libfbclient2 firebird3.0-server-core qt6-translations-l10n qt6-qpa-plugins; do
  echo "$depende" | grep -Eq "(^|, )$p( |,|$)" || fail "Depends sin $p: $depende"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$VERSION" ] || fail "versión del paquete"

dpkg-deb -x "$deb" "$dir/raiz" || fail "no se pudo desempacar"
raiz=$dir/raiz

# The menu entry.
escritorio=$raiz/usr/share/applications/compras.desktop
desktop-file-validate "$escritorio" > "$dir/dfv" 2>&1 || fail "desktop-file-validate: $(cat "$dir/dfv")"
[ -s "$dir/dfv" ] && fail "desktop-file-validate avisa: $(cat "$dir/dfv")"
grep -qx 'Name=Compras' "$escritorio" || fail "la entrada debe llamarse Compras"
grep -qx 'Comment=Compras — punto de venta' "$escritorio" || fail "falta el comentario en español"
exe=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$escritorio")
[ -x "$raiz/usr/bin/$exe" ] || fail "Exec=$exe no está en /usr/bin"
icono=$(sed -n 's/^Icon=//p' "$escritorio")
[ -f "$raiz/usr/share/icons/hicolor/scalable/apps/$icono.svg" ] || fail "falta el icono $icono"

# The man pages, from the programs' own help.
for p in compras compras-host; do
  pagina=$raiz/usr/share/man/man1/$p.1.gz
  LC_ALL=C.UTF-8 MANWIDTH=80 timeout 60 man --warnings -l "$pagina" > "$dir/$p.man" 2> "$dir/$p.avisos" ||
    fail "man $p"
  [ -s "$dir/$p.avisos" ] && fail "man --warnings $p: $(cat "$dir/$p.avisos")"
  grep -q "$VERSION" "$dir/$p.man" || fail "la página de $p no dice la versión"
  grep -q -- "--version" "$dir/$p.man" || fail "la página de $p no trae las opciones"
done
grep -q -- "--demo" "$dir/compras.man" || fail "la página de compras no trae --demo"

# The unpacked programs: version without a display, and the command working from its folder.
export XDG_DATA_HOME=$dir/datos XDG_CONFIG_HOME=$dir/config
for p in compras compras-host; do
  v=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$raiz/usr/bin/$p" --version 2>&1)
  [ "$v" = "$p $VERSION" ] || fail "$p --version: $v"
done
timeout -k 5 120 "$raiz/usr/bin/compras" init "$dir/bases" --demo > "$dir/out" 2>&1 || fail "init --demo: $(cat "$dir/out")"
timeout -k 5 120 "$raiz/usr/bin/compras" check "$dir/bases" > "$dir/out" 2>&1 || fail "check: $(cat "$dir/out")"

[ "${CI:-}" = true ] && [ "$(id -u)" = 0 ] || { echo "contenido correcto (sin instalar: solo con CI=true como root)"; exit 0; }

# Installed: use it, reinstall it over the user's data, purge it.
dpkg-query -W -f='${Status}' compras 2>/dev/null | grep -q "install ok installed" &&
  fail "compras ya estaba instalado; no se toca"
instalado=1
timeout -k 10 600 env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" > "$dir/apt" 2>&1 ||
  fail "apt-get install: $(tail -20 "$dir/apt")"
[ "$(compras --version)" = "compras $VERSION" ] || fail "compras instalado: versión"
[ "$(command -v compras)" = /usr/bin/compras ] || fail "compras no es el instalado"
man -w compras 2>/dev/null | grep -q '^/usr/share/man/man1/compras.1.gz$' || fail "man compras no encuentra la página"
usuario=$dir/usuario
mkdir -p "$usuario/config/compras"
printf '[BaseDatos]\nUsuario=SYSDBA\n' > "$usuario/config/compras/compras-host.ini"
timeout -k 5 120 compras init "$usuario/datos/compras" --demo > "$dir/out" 2>&1 || fail "compras init instalado: $(cat "$dir/out")"
timeout -k 5 120 compras check "$usuario/datos/compras" > "$dir/out" 2>&1 || fail "compras check instalado: $(cat "$dir/out")"
(cd "$usuario" && find . -type f -exec md5sum {} + | sort) > "$dir/antes"
timeout -k 10 300 dpkg -i "$deb" > "$dir/apt" 2>&1 || fail "reinstalación: $(tail -20 "$dir/apt")"
dpkg -L compras | sort > "$dir/instalados"
timeout -k 10 300 env DEBIAN_FRONTEND=noninteractive apt-get purge -y -q compras > "$dir/apt" 2>&1 ||
  fail "apt-get purge: $(tail -20 "$dir/apt")"
instalado=
(cd "$usuario" && find . -type f -exec md5sum {} + | sort) > "$dir/despues"
cmp -s "$dir/antes" "$dir/despues" || fail "instalar o quitar el paquete cambió los datos del usuario"
while read -r f; do
  [ -f "$f" ] && fail "quedó $f después de quitar el paquete"
done < "$dir/instalados"
[ -e /usr/share/compras ] && fail "quedó /usr/share/compras"
echo "paquete instalado, usado y quitado"
