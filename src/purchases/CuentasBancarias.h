#pragma once
// The store's bank accounts a cheque may be drawn on.

#include <QString>

#include <vector>

class TFDatosComp;

struct CuentaBancaria {
    int id = 0;      // ID_CUENTA
    QString nombre;  // NOMBRE_CUENTA
};

// Every account by name (TCuenBanco of the data module). Throws DbError.
std::vector<CuentaBancaria> CuentasBancarias(TFDatosComp &datos);
