# Invoice files for the CLI tests; sourced after `compras` and `dir` are defined.
ART=(7501031311309 7441001000011 7441001000028 7441001000035 7441001000042 7441001000059)
# factura NUMERO LINEAS CANTIDAD: an invoice paid on credit, lines cycling over ART.
factura() {
  local lineas="" i
  for ((i = 0; i < $2; i++)); do
    lineas+="${lineas:+,}{\"codigo\": \"${ART[i % ${#ART[@]}]}\", \"cantidad\": $3, \"costo\": 100}"
  done
  printf '{"proveedor": 12, "comprobante": "%s", "fecha": "2026-12-06", "moneda": 1, "lineas": [%s], "pago": {"credito": %s, "dias": 30}}' \
    "$1" "$lineas" "${4:-0}"
}
# Posting needs the exact total: ask once with a wrong amount and read the missing part.
total_de() {
  factura "$1" "$2" "$3" 0 > "$dir/t.json"
  compras post "$dir/t.json" 2>&1 >/dev/null | grep -Eo 'falta: [0-9,.]+' | cut -d' ' -f2 | tr -d ,
}
