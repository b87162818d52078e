#pragma once
// The warehouse list of the warehouse search and the destination it hands back.

#include "platform/db/ConsultaFiltrada.h"

#include <QString>

#include <optional>

// Destination of the goods received.
struct DestinoCompra {
    QString codigo;       // COD_BODEGA; "000" for the main inventory
    QString descripcion;  // what purchase entry shows in edDestino
    bool principal = false;
};

inline const QString kBodegaPrincipal = QStringLiteral("000");
inline const QString kNombreInventarioPrincipal = QStringLiteral("INVENTARIO PRINCIPAL");

// The warehouse list: a text matches the code exactly or the description (any case), the
// main inventory included; no text lists every other warehouse. By description.
ConsultaFiltrada ConsultaBodegas(const QString &texto);
// The pick: the main inventory when `principal` is ticked, else the current row of `bodegas`;
// nothing when neither (empty list).
std::optional<DestinoCompra> DestinoElegido(bool principal, db::Dataset &bodegas);
