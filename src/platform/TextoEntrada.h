#pragma once
// Numbers and codes that come from outside (a file, the command line, a cell) before they reach
// a query: never longer than their column, never carrying invisible or control characters.

#include <QString>

// Characters as the database counts them (code points, not UTF-16 units).
qsizetype LargoEnCaracteres(const QString &texto);

// True when `texto` holds a control character (NUL, tab, line feed...), a format character such as
// the bidirectional overrides U+202A-U+202E and U+2066-U+2069, a line or paragraph separator, or a
// lone surrogate.
bool TieneCaracterNoPermitido(const QString &texto);

// "" when `texto` fits in `largo` characters and has no character refused above; otherwise the
// Spanish reason, naming `campo` as the user wrote it ("lineas[2].codigo", "comprobante").
QString RevisarCodigo(const QString &texto, int largo, const QString &campo);
