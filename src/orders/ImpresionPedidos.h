#pragma once
// Printouts of purchase orders: the control report of one order, the list of the orders of a
// period, and the export of one order to a workbook.

#include "orders/Pedidos.h"
#include "platform/report/Reporte.h"

#include <QFont>
#include <QMap>
#include <QString>

#include <memory>

class Mensajes;
class TFDatosComp;

class ImpresionPedidos {
public:
    static inline const QString kControl = QStringLiteral("comp_Pedido.fr3");
    static inline const QString kListado = QStringLiteral("comp_listadoDePedidos.fr3");

    // `encabezado`: Encabezado1 to Encabezado4 already quoted; `carpeta`: the templates' folder
    // (PathReportes, the file name follows it directly).
    ImpresionPedidos(Pedidos &pedidos, QMap<QString, QString> encabezado, QString carpeta);
    ~ImpresionPedidos();
    ImpresionPedidos(const ImpresionPedidos &) = delete;
    ImpresionPedidos &operator=(const ImpresionPedidos &) = delete;

    // The header lines from the host's records.
    static QMap<QString, QString> EncabezadoDe(const TFDatosComp &datos);

    // Lays out the control report of `pedido`; `verNombre2` prints each article's alternative
    // name. Throws ErrorReporte or DbError.
    Reporte &PrepararControl(const PedidoListado &pedido, bool verNombre2);
    // Lays out every order dated from `desde` to `hasta`, annulled ones included.
    Reporte &PrepararListado(const QDate &desde, const QDate &hasta);

    // Writes the order and its lines to `archivo` (.xlsx); the outcome is shown through
    // `mensajes`. Returns whether the file was written.
    bool Exportar(const PedidoListado &pedido, const QString &archivo, const QFont &fuenteNormal, Mensajes &mensajes);

    static QString TextoFecha(const QDate &fecha);

private:
    Reporte &Nuevo(const QString &plantilla);

    Pedidos &pedidos_;
    QMap<QString, QString> encabezado_;
    QString carpeta_;
    std::unique_ptr<Reporte> reporte_;
    std::unique_ptr<FuenteDatosReporte> fuente_;
    ReporteDatos dsReporte_;
};
