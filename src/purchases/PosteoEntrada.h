#pragma once
// What the payment and posting take from a document being entered.

#include "purchases/EntradaCompra.h"
#include "purchases/ProcesoCompra.h"

DocumentoCompra DocumentoDeEntrada(const EntradaCompra &entrada);
TotalesCompra TotalesDeEntrada(const TotalesEntrada &totales);
