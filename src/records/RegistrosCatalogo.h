#pragma once
// Writes of the small catalogues: families, units of measure and locations. Each function runs
// one statement on the transaction given, never commits and never shows anything; a failure
// throws ErrorRegistro naming the table.

#include "records/ErrorRegistro.h"

#include <QString>

namespace db {
class Database;
class Transaction;
}

struct FilaFamilia {
    QString codigo;        // COD_FAMILIA
    QString nombre;        // NOMBRE
    QString nota;          // NOTA
    QString activa = QStringLiteral("S");
    QString codPertenece;  // parent code, empty at the top
    QString nomPertenece;
    QString promocion = QStringLiteral("N");
    int nroArticulo = 1;   // next automatic article number
};

void InsertarFamilia(db::Database &base, db::Transaction &tx, const FilaFamilia &fila);
// Updates every column but the code.
void ModificarFamilia(db::Database &base, db::Transaction &tx, const FilaFamilia &fila);
void BorrarFamilia(db::Database &base, db::Transaction &tx, const QString &codigo);

// A row of UNIDAD_MEDIDA or UBICACION: the key, NOMBRE, NOTA and, for units, UNIDAD.
struct FilaCatalogo {
    int codigo = 0;
    QString nombre;
    QString unidad;
    QString nota;
};

// Which of the two tables a row goes to.
enum class TablaCatalogo { UnidadMedida, Ubicacion };

// Inserts without a key and returns the one the database assigned.
int InsertarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, const FilaCatalogo &fila);
void ModificarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, const FilaCatalogo &fila);
void BorrarCatalogo(db::Database &base, db::Transaction &tx, TablaCatalogo tabla, int codigo);

// LABORATORIOS: the name only; the key is assigned by the database and returned.
int InsertarLaboratorio(db::Database &base, db::Transaction &tx, const QString &nombre);
void ModificarLaboratorio(db::Database &base, db::Transaction &tx, int id, const QString &nombre);
void BorrarLaboratorio(db::Database &base, db::Transaction &tx, int id);
