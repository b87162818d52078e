#pragma once
// INVENTARIO rows that the purchase entry creates for codes it does not know (spreadsheet
// import, order loading). Runs on the inventory update transaction of the statement cache,
// never commits and never shows anything; a failure throws ErrorArticulosCompra.

#include "platform/Currency.h"
#include "records/ErrorRegistro.h"

#include <QDateTime>
#include <QString>

#include <array>

class ConsultasCompra;

// The write layer's one error type; the message names the table and carries the database text.
using ErrorArticulosCompra = ErrorRegistro;

// One sale-price level of a new article (BASECALCULO_n, COEFA_n, COEFB_n, SUMAFIJA_n, REDONDEO_n).
struct NivelPrecioNuevo {
    int baseCalculo = 0;
    Currency coefA, coefB, sumaFija;
    int redondeo = 0;
};

// A new INVENTARIO row: no stock, no cost, not composite, fractioned, serial or inactive.
struct FilaArticuloNuevo {
    QString codBarras;            // COD_BARRAS
    QString nombre;               // NOMBRE
    QDateTime alta;               // FECHA_ALTA and FECHA_ULTIMACOMPRA
    bool gravado = false;         // GRAVADO
    bool impuestoIncluido = false;  // IMPUESTO_INCLUIDO
    QString redondeaPrecioFinal;  // REDONDEA_PRECIO_FINAL
    Currency porcIv;              // PORC_IV
    std::array<NivelPrecioNuevo, 4> niveles;
};

void InsertarArticuloNuevo(ConsultasCompra &consultas, const FilaArticuloNuevo &fila);
