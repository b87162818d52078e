#pragma once
// What the purchases browser does with data, without widgets: the invoice list filtered by
// period, supplier and number; an invoice's lines; the shelf-label workbook; the reprint of
// the purchase voucher.

#include "platform/Currency.h"
#include "purchases/ComprobanteCompra.h"

#include <QDate>
#include <QFont>
#include <QMap>
#include <QString>

#include <memory>
#include <vector>

class Mensajes;
class TFDatosComp;
class TmxNativeExcel;
namespace db {
class Dataset;
}

struct FiltroCompras {
    QDate inicial;  // invalid: no date typed
    QDate final;
    bool todosProveedores = true;  // the supplier box says "TODOS"
    int codigoProveedor = 0;
    QString comprobante;  // part of the invoice number, as typed
    int orden = 0;        // 0 date, 1 number, 2 supplier name
};

struct FilaEtiqueta {
    QString codigo;
    QString nombre;
    Currency precioConIV;
    Currency precioSinIV;
    qint64 cantidad = 0;
};

class ListadoCompras {
public:
    static inline const QString kTodos = QStringLiteral("TODOS");

    explicit ListadoCompras(TFDatosComp &datos);
    ~ListadoCompras();
    ListadoCompras(const ListadoCompras &) = delete;
    ListadoCompras &operator=(const ListadoCompras &) = delete;
    // Where the label workbook's outcome is told (the module's service by default).
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }

    // SELECT of the list; every typed value is a parameter (:Inicial, :Final, :Codigo, :Comprobante).
    static QString SqlFiltro(const FiltroCompras &filtro);
    // Reopens `facturas` on the filter.
    static void Filtrar(db::Dataset &facturas, const FiltroCompras &filtro);
    // Reopens `detalle` on the lines of one invoice, by date.
    static void CargarDetalleFactura(db::Dataset &detalle, int idCompra);

    // On the data module's TFacturasCompra.
    void Filtrar(const FiltroCompras &filtro);
    bool HayFacturas() const;
    // ID_COMPRA / COMPROBANTE of the current row; 0 / "" with an empty list.
    int IdSeleccionada();
    QString ComprobanteSeleccionado();
    // TDetCom <- lines of the selected invoice.
    void CargarDetalleFactura();

    // Label rows of an invoice: one per line whose article still exists, in line order.
    std::vector<FilaEtiqueta> FilasEtiquetas(int idCompra);
    // Writes the label workbook of the selected invoice to `archivo` (the writer makes it .xlsx)
    // and tells the user how it went. True when the file was written.
    bool GenerarEtiquetas(const QString &archivo, const QFont &fuenteNormal);
    static void EscribirEtiquetas(TmxNativeExcel &libro, const QString &archivo, const QString &comprobante,
                                  const QString &siglasIV, const std::vector<FilaEtiqueta> &filas,
                                  const QFont &fuenteNormal);

    // Loads the voucher template, the invoice and its lines, sets the variables and lays the
    // report out; the caller previews, prints or exports it. Throws ErrorReporte / DbError.
    Reporte &PrepararComprobante(int idCompra);
    Reporte &reporte() { return comprobante_.reporte(); }

private:
    TFDatosComp &datos_;
    ComprobanteCompra comprobante_;
    Mensajes *mensajes_ = nullptr;
};
