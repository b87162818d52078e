#pragma once
// The header row of the goods-receipt report (REPORTES_TXT_PANAMA): importer, destination,
// transport, seller, manifest, report number and date.

#include <QDate>
#include <QString>

namespace db {
class Database;
class Transaction;
}

struct EncabezadoEntrada {
    int idReporte = 0;  // 0: no row yet
    QString importador, destino, transporte, vendedor, manifiesto, nroRep;
    QDate fecha;        // FECHA_REP_ENTRADA; invalid is NULL
};

// Updates the row `idReporte`, or inserts one when it is 0 (the new id is stored back).
// Runs on `trans`, never commits; throws ErrorRegistro naming the table.
void GuardarEncabezadoEntrada(db::Database &base, db::Transaction &trans, EncabezadoEntrada &encabezado);
