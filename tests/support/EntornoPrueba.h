#pragma once
// A workstation over fresh copies of the demo databases, with the module connected through
// its real entry points, messages recorded, and INI/report folders private to the test.

#include "data/Comp_fdatos.h"
#include "common/Estacion.h"
#include "support/MensajesGuion.h"
#include "support/TestSupport.h"

#include <memory>

// An extra, independent set of attachments on the same files (another workstation).
struct ConexionExtra {
    db::Database tienda, inventario, contabilidad;
    db::Transaction transUpdate{tienda}, transUpdateInv{inventario}, transUpdateConta{contabilidad};
    db::Transaction transLectura{tienda, db::TransactionKind::Read};
    db::Transaction transLecturaInv{inventario, db::TransactionKind::Read};
};

class EntornoPrueba {
public:
    explicit EntornoPrueba(const QString &usuario = QStringLiteral("ADMIN"), int nroCaja = 1);
    ~EntornoPrueba();

    testsupport::ScratchDir carpeta;  // also the INI folder and PathReportes
    MensajesGuion mensajes;
    std::unique_ptr<Estacion> estacion;
    TFDatosComp *datos = nullptr;

    db::Database &tienda;
    db::Database &inventario;
    db::Database &contabilidad;
    db::Transaction &transLectura, &transUpdate, &transLecturaInv, &transUpdateInv;

    QString RutaBase(const QString &rol) const;
    std::unique_ptr<ConexionExtra> AbrirConexion() const;

    // One-shot statements in their own transaction (committed).
    static void Ejecutar(db::Database &base, const QString &sql);
    static int Entero(db::Database &base, const QString &sql);
    static QString Texto(db::Database &base, const QString &sql);
    static Currency Moneda(db::Database &base, const QString &sql);
    static double Real(db::Database &base, const QString &sql);
    // Every row of every user table as text, for before/after comparisons.
    static QString Volcado(db::Database &base);
    // The rows of an executed query from its current one on, a line each, fields joined by '|'.
    static QString Filas(db::Query &q);
};
