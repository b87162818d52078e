#pragma once
// What the payment and posting take from a document being entered.

#include "EntradaCompra.h"
#include "ProcesoCompra.h"

DocumentoCompra DocumentoDeEntrada(const EntradaCompra &entrada);
TotalesCompra TotalesDeEntrada(const TotalesEntrada &totales);
