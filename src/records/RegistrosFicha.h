#pragma once
// Writes of a new article's card besides the article row itself: its components, fractions and
// active ingredients, and the two counters the save reserves (the family's article number and
// the stock-document number). Each runs on the caller's update transactions through the
// statement cache, never commits and never shows anything; a failing statement throws
// ErrorRegistro naming the table. The counters are read with their row locked, so two stations
// saving at once take turns; a station that finds the row changed under it gets
// ErrorConflictoContador and may run its whole unit of work again.

#include "platform/Currency.h"
#include "records/ErrorRegistro.h"

#include <QString>

class ConsultasCompra;

class ErrorConflictoContador : public ErrorRegistro {
public:
    using ErrorRegistro::ErrorRegistro;
};

struct FilaCompuesto {
    QString COD_BARRAS;    // the composite article
    QString COD_ARTICULO;  // the component
    QString NOMBRE_ARTICULO;
    Currency CANTIDAD, COSTO;
    QString FRACCIONADO = QStringLiteral("N");
    Currency FRACCION;
    int ID_FRACCION = 0;   // 0 stores null
};

struct FilaArtFraccionado {
    QString COD_BARRAS;
    int ID_FRACCION = 0;
    QString PRESENTACION;
    Currency AJUSTE;
};

struct FilaComposicion {
    QString ID_ARTICULO;  // the article's code
    QString DROGA, CANTIDAD;
};

// The line number written.
int InsertarCompuesto(ConsultasCompra &consultas, const FilaCompuesto &fila);
void InsertarArtFraccionado(ConsultasCompra &consultas, const FilaArtFraccionado &fila);
void InsertarComposicion(ConsultasCompra &consultas, const FilaComposicion &fila);

// NRO_ARTICULO of the family with its row locked until the transaction ends; -1 when the family
// does not exist (a null counter reads 1).
int BloquearContadorFamilia(ConsultasCompra &consultas, const QString &codFamilia);
void FijarContadorFamilia(ConsultasCompra &consultas, const QString &codFamilia, int valor);

// ENTRADA (entrada) or SALIDA of CONSECUTIVOS row 1 with the row locked; -1 when the row is missing.
int BloquearConsecutivoEntradaSalida(ConsultasCompra &consultas, bool entrada);
// True when a document of that type already has the number.
bool ExisteEntradaSalida(ConsultasCompra &consultas, bool entrada, const QString &comprobante);
// The highest numeric document number of that type (0 when none).
qint64 UltimaEntradaSalida(ConsultasCompra &consultas, bool entrada);
