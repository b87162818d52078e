#pragma once
// "compras central-list" and "compras central-import": the head-office import run headless on
// a connected workstation, with the classes the windows use.

#include "cli/PosteoCli.h"

#include <QMap>
#include <QString>

// Every head-office invoice to this store: date, voucher, total, credit and state, a line each.
ResultadoCli ListarCentral();
// Records the head-office invoice `comprobante`; `recibidas` overrides received quantities by
// article code. Prints the new ID_COMPRA.
ResultadoCli ImportarCentral(const QString &comprobante, const QMap<QString, QString> &recibidas);
