#pragma once
// The goods-receipt report: invoices filtered by period, supplier and number; their lines
// picked one by one, all lines of a list, or all lines of every listed invoice into a report
// list kept in memory; the customs header row; and the printout.

#include "reports/ComunReportes.h"
#include "records/EncabezadoReporteEntrada.h"
#include "platform/report/Reporte.h"

#include <QDate>
#include <QString>

#include <memory>
#include <vector>

struct FiltroEntrada {
    QDate inicial, final;
    int codProveedor = 0;  // 0: every supplier ("TODOS")
    QString comprobante;   // part of the number; empty: any
    bool ordenComprobante = false;  // order by number first instead of date
};

struct FacturaEntrada {
    int idCompra = 0;
    QDate fecha;
    QString comprobante, nombre, anulada;
    Currency importe, importeNC;
};

struct LineaEntrada {
    int idCompra = 0;
    QDate fecha;
    QString comprobante, codigo, descripcion;
    double cantidad = 0;
    Currency unitario, total;
};

struct FilaReporteEntrada {
    QString nroFactura, codigo, descripcion;
    qint64 cantidad = 0;
    Currency unitario, total;
    // The article's PESONETO, COD_UNIDAD and unit name (empty when unknown).
    QString peso, codUnidad, unidad;
};

class ReporteEntrada {
public:
    static inline const QString kPlantilla = QStringLiteral("comp_ReporteEntradaAduana.fr3");

    // `tienda`/`update` write the header row; reads go through `lectura`.
    ReporteEntrada(const ConexionReportes &lectura, db::Transaction *update, AjustesReportes ajustes);
    ~ReporteEntrada();
    ReporteEntrada(const ReporteEntrada &) = delete;
    ReporteEntrada &operator=(const ReporteEntrada &) = delete;

    // Invoices with a number; the dates apply only when both are valid and in order.
    std::vector<FacturaEntrada> Filtrar(const FiltroEntrada &filtro);
    std::vector<LineaEntrada> LineasFactura(int idCompra, bool ordenComprobante = false);
    // Lines of every invoice whose description contains `texto`.
    std::vector<LineaEntrada> BuscarLineas(const QString &texto);

    void AgregarLinea(const LineaEntrada &linea);
    void AgregarLineas(const std::vector<LineaEntrada> &lineas);
    // Every line of every invoice given, invoice by invoice.
    void AgregarFacturas(const std::vector<FacturaEntrada> &facturas, bool ordenComprobante);
    void BorrarFila(int indice);
    void BorrarTabla() { lista_.clear(); }
    const std::vector<FilaReporteEntrada> &Lista() const { return lista_; }

    EncabezadoEntrada LeerEncabezado();
    // Writes the header row and commits it.
    void GuardarEncabezado(EncabezadoEntrada &encabezado);

    // The list with each article's weight and unit, under the header's values.
    Reporte &Preparar();

    // Whole quantity, halves to even (2.5 -> 2, 3.5 -> 4).
    static qint64 CantidadEntera(double cantidad);

private:
    std::vector<LineaEntrada> leerLineas(db::Query &q);
    void completarArticulo(FilaReporteEntrada &fila);

    ConexionReportes c_;
    db::Transaction *update_;
    AjustesReportes a_;
    std::vector<FilaReporteEntrada> lista_;
    std::unique_ptr<Reporte> reporte_;
    ReporteDatos dsReporte_;
    std::unique_ptr<TablaReporte> tabla_;
    std::unique_ptr<db::Query> articulo_;
};
