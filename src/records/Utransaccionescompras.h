#pragma once
// The station's purchase work tables, through the data module's shared write query
// (FDatosComp). Every other purchasing write goes through RegistrosCompra.
//
// Neither function starts a transaction itself (the query hooks do) nor commits: the caller
// commits or rolls back. The result is true when the statement ran and false when the
// database raised; the error is swallowed and nothing is shown. A leading mode that matches
// no case runs nothing and returns true.

#include "platform/Currency.h"

#include <QString>

// ---------------------------------------------------------------------------
// Purchase work tables (TEMPORAL_ENC_COMPRA, TEMPORAL_COMPRAS) of one workstation
// ---------------------------------------------------------------------------

// 1: deletes the station's header and lines; 2: only the header.
bool EliminaTempCompras(int modo, int nroCaja, const QString &computadora);

// 1: global discount on every line of the station (PORCE_DESC and IMPORTE_DESCUENTO,
// computed by the database). The ten trailing values are not used.
bool ActualizaTempCompras(int modo, int nroCaja, const QString &computadora, Currency porcDescuento,
                          Currency v1 = {}, Currency v2 = {}, Currency v3 = {}, Currency v4 = {},
                          Currency v5 = {}, Currency v6 = {}, Currency v7 = {}, Currency v8 = {},
                          Currency v9 = {}, Currency v10 = {});
