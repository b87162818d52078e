#pragma once
// The module's entry points, called by the host in this order: ConectarBaseDatos once,
// ConectarConta before the first posting while accounting export is on, then Abrir...
// to open windows (Crear false brings the existing window to the front).

#define COMPRAS_EXPORT extern "C" __attribute__((visibility("default")))

namespace db {
class Database;
class Transaction;
class Dataset;
}

COMPRAS_EXPORT void ConectarBaseDatos(db::Database *dbTienda, db::Transaction *transLectura,
                                      db::Transaction *transUpdate, db::Database *dbInventario,
                                      db::Transaction *transLecturaInv, db::Transaction *transUpdateInv,
                                      db::Dataset *datosPermisos, db::Dataset *datosConfig, db::Dataset *datosEmpresa,
                                      db::Dataset *datosCambio, db::Dataset *datosCuentas, db::Dataset *datosCaja,
                                      db::Dataset *datosMoneda);
COMPRAS_EXPORT void ConectarConta(db::Dataset *asientos, db::Dataset *lineasAsiento);
COMPRAS_EXPORT void AbrirCompras(bool Crear);
COMPRAS_EXPORT void AbrirPedidos(bool Crear);
COMPRAS_EXPORT void AbrirConsignacion(bool Crear);
COMPRAS_EXPORT void AbrirFamilias(bool Crear);
COMPRAS_EXPORT void AbrirUnidadMedida(bool Crear);
COMPRAS_EXPORT void AbrirUbicaciones(bool Crear);
COMPRAS_EXPORT void AbrirReporteEntrada();

// Function types for hosts that load the module at run time.
using ConectarBaseDatosFn = decltype(&ConectarBaseDatos);
using ConectarContaFn = decltype(&ConectarConta);
using AbrirFn = void (*)(bool);
using AbrirReporteEntradaFn = void (*)();
