#pragma once
// Joins PDFs as QPdfWriter writes them into one holding the pages of every file, in order.
// Only that shape is taken: plain object headers, one classic xref table, object 1 the
// /Info, 2 the /Catalog, 3 a flat /Pages tree. The first file's /Info and catalog are kept;
// the other files' objects are renumbered after it, their streams copied byte for byte, and
// their font subset tags renamed so that no two subsets share a /FontName.

#include "platform/report/ErrorReporte.h"

#include <QStringList>

// A file that is not of that shape, or is damaged or truncated.
class ErrorUnionPdf : public ErrorReporte {
public:
    using ErrorReporte::ErrorReporte;
};

// Writes `destino` through a temporary file in its folder, renamed over it at the end; on
// any failure `destino` is left as it was. Throws ErrorUnionPdf for inputs it refuses and
// ErrorReporte when `destino` cannot be written.
void UnirPdf(const QStringList &partes, const QString &destino);
