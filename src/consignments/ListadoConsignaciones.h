#pragma once
// What the consignment windows read, without widgets: the browser's list filtered by period,
// supplier and number; a consignment's lines; the open consignments that can be invoiced;
// and loading what was sold of one into purchase entry.

#include "platform/Currency.h"

#include <QDate>
#include <QString>

class EntradaCompra;
class Mensajes;
class TFDatosComp;
namespace db {
class Dataset;
class Query;
}

struct FiltroConsignaciones {
    QDate inicial;  // invalid: no date
    QDate final;
    bool todosProveedores = true;  // the supplier box says "TODOS"
    QString proveedor;             // supplier name
    int codigoProveedor = 0;       // used by the printout's filter
    QString comprobante;           // part of the number, as typed
};

// Binds the values of SqlFiltro(filtro) on a query or a dataset.
template <class Consulta> void LigarFiltroConsignaciones(Consulta &c, const FiltroConsignaciones &f)
{
    if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial) {
        c.paramByName(QStringLiteral("Inicial")).setAsDate(f.inicial);
        c.paramByName(QStringLiteral("Final")).setAsDate(f.final);
    }
    if (!f.todosProveedores)
        c.paramByName(QStringLiteral("nombre")).setAsString(f.proveedor.trimmed());
    if (!f.comprobante.trimmed().isEmpty())
        c.paramByName(QStringLiteral("comp")).setAsString(f.comprobante.trimmed());
}

class ListadoConsignaciones {
public:
    static inline const QString kTodos = QStringLiteral("TODOS");
    static inline const QString kSinConsignaciones = QStringLiteral("No existen Consignaciones");
    static inline const QString kDebeSeleccionar = QStringLiteral("Debe seleccionar una consignación");

    // The browser's list; every typed value is a parameter.
    static QString SqlFiltro(const FiltroConsignaciones &filtro);
    static void Filtrar(db::Dataset &consignaciones, const FiltroConsignaciones &filtro);
    // First and last date of all consignments (today for both when there are none), read on
    // `lectura` without fetching the list.
    static void Periodo(db::Query &lectura, QDate &inicial, QDate &final);
    // A consignment's lines, by description.
    static void CargarDetalle(db::Dataset &detalle, int idConsignacion);

    // Open consignments (not annulled, not processed) matching a part of the supplier's name and
    // of the number.
    static QString SqlFacturables(const QString &proveedor, const QString &comprobante);
    static void FiltrarFacturables(db::Dataset &consignaciones, const QString &proveedor, const QString &comprobante);

    // Printouts: "Todas" (the period) or "Filtro" (the browser's filter by supplier code).
    static QString SqlImpresion(const QString &modo, const FiltroConsignaciones &filtro);
    static void FiltrarImpresion(db::Dataset &consignaciones, const QString &modo, const FiltroConsignaciones &filtro);
};

// Loading the goods of a consignment sold and not yet invoiced into purchase entry.
class FacturacionConsignacion {
public:
    enum class Resultado { Cargada, SinPendientes, NoExiste, Error };

    explicit FacturacionConsignacion(TFDatosComp &datos) : datos_(datos) {}
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

    // Reads the consignment on the store and inventory read transactions and loads its
    // pending lines into `entrada` (CargarConsignacion: one transaction, all or nothing).
    // Without pending lines the entry is cleared and the user told so.
    Resultado Cargar(EntradaCompra &entrada, int idConsignacion);
    const QString &UltimoError() const { return error_; }

private:
    Mensajes &Avisos() const;

    TFDatosComp &datos_;
    Mensajes *mensajes_ = nullptr;
    QString error_;
};
