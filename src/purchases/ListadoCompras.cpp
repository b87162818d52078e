#include "purchases/ListadoCompras.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"
#include "platform/db/DbError.h"
#include "platform/workbook/ErrorLibro.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/workbook/TmxNativeExcel.h"
#include "platform/VariablesHost.h"

#include <cmath>

namespace {

QString campoRegistro(db::Dataset *registro, const QString &campo)
{
    if (!registro || !registro->active() || registro->isEmpty() || !registro->hasField(campo))
        return QString();
    return registro->fieldByName(campo).asString();
}


} // namespace

ListadoCompras::ListadoCompras(TFDatosComp &datos) : datos_(datos), comprobante_(datos) {}

ListadoCompras::~ListadoCompras() = default;

QString ListadoCompras::SqlFiltro(const FiltroCompras &f)
{
    QStringList sql;
    sql << QStringLiteral("select * from FACTURAS_COMPRA where COMPROBANTE <> ''");
    if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial)
        sql << QStringLiteral("and FECHA >= :Inicial and FECHA <= :Final");
    if (!f.todosProveedores)
        sql << QStringLiteral(" and CODIGO_PROVEEDOR = :Codigo");
    if (!f.comprobante.trimmed().isEmpty())
        sql << QStringLiteral("and COMPROBANTE containing :Comprobante");
    switch (f.orden) {
    case 0: sql << QStringLiteral(" order by FECHA, COMPROBANTE, NOMBRE"); break;
    case 1: sql << QStringLiteral(" order by COMPROBANTE, FECHA, NOMBRE"); break;
    case 2: sql << QStringLiteral(" order by NOMBRE, FECHA, COMPROBANTE"); break;
    default: break;
    }
    return sql.join(QLatin1Char('\n'));
}

void ListadoCompras::Filtrar(db::Dataset &facturas, const FiltroCompras &f)
{
    facturas.close();
    facturas.setSelectSql(SqlFiltro(f));
    if (f.inicial.isValid() && f.final.isValid() && f.final >= f.inicial) {
        facturas.paramByName(QStringLiteral("Inicial")).setAsDate(f.inicial);
        facturas.paramByName(QStringLiteral("Final")).setAsDate(f.final);
    }
    if (!f.todosProveedores)
        facturas.paramByName(QStringLiteral("Codigo")).setAsInteger(f.codigoProveedor);
    const QString parte = f.comprobante.trimmed();
    if (!parte.isEmpty())
        facturas.paramByName(QStringLiteral("Comprobante")).setAsString(parte);
    facturas.open();
}

void ListadoCompras::CargarDetalleFactura(db::Dataset &detalle, int idCompra)
{
    detalle.close();
    detalle.setSelectSql(QStringLiteral("select * from DETALLE_FACTURAS_COMPRA\n where ID_COMPRA = :ID order by FECHA"));
    detalle.paramByName(QStringLiteral("ID")).setAsInteger(idCompra);
    detalle.open();
}

void ListadoCompras::Filtrar(const FiltroCompras &filtro)
{
    Filtrar(*datos_.TFacturasCompra, filtro);
}

bool ListadoCompras::HayFacturas() const
{
    return datos_.TFacturasCompra->active() && !datos_.TFacturasCompra->isEmpty();
}

int ListadoCompras::IdSeleccionada()
{
    return HayFacturas() ? datos_.TFacturasCompra->fieldByName(QStringLiteral("ID_COMPRA")).asInteger() : 0;
}

QString ListadoCompras::ComprobanteSeleccionado()
{
    return HayFacturas() ? datos_.TFacturasCompra->fieldByName(QStringLiteral("COMPROBANTE")).asString() : QString();
}

void ListadoCompras::CargarDetalleFactura()
{
    CargarDetalleFactura(*datos_.TDetCom, IdSeleccionada());
}

std::vector<FilaEtiqueta> ListadoCompras::FilasEtiquetas(int idCompra)
{
    std::vector<FilaEtiqueta> filas;
    db::Dataset &detalle = *datos_.TDetCom;
    CargarDetalleFactura(detalle, idCompra);
    db::Query &q = datos_.QueryL_Inv;
    for (detalle.first(); !detalle.eof(); detalle.next()) {
        q.clearSql();
        q.addSql(QStringLiteral("select NOMBRE, PRECIOCONIV_1, PRECIOSINIV_1 from INVENTARIO"));
        q.addSql(QStringLiteral("where COD_BARRAS = :Arti"));
        q.paramByName(QStringLiteral("Arti")).setAsString(detalle.fieldByName(QStringLiteral("CODIGO_ARTICULO")).asString());
        q.execQuery();
        if (!q.eof()) {
            FilaEtiqueta fila;
            fila.codigo = detalle.fieldByName(QStringLiteral("CODIGO_ARTICULO")).asString();
            fila.nombre = q.fieldByName(QStringLiteral("NOMBRE")).asString();
            fila.precioConIV = q.fieldByName(QStringLiteral("PRECIOCONIV_1")).asCurrency();
            fila.precioSinIV = q.fieldByName(QStringLiteral("PRECIOSINIV_1")).asCurrency();
            fila.cantidad = static_cast<qint64>(std::trunc(detalle.fieldByName(QStringLiteral("CANTIDAD")).asFloat()));
            filas.push_back(fila);
        }
        q.close();
    }
    return filas;
}

void ListadoCompras::EscribirEtiquetas(TmxNativeExcel &libro, const QString &archivo, const QString &comprobante,
                                       const QString &siglasIV, const std::vector<FilaEtiqueta> &filas,
                                       const QFont &fuenteNormal)
{
    libro.NewFile();
    libro.SetFileName(archivo);
    const int normal = libro.AddFont(fuenteNormal);
    const int negrita = libro.AddFont(QStringLiteral("Tahoma"), 8, true);
    libro.SetActiveFont(negrita);
    libro.WriteLabel(1, 1, QStringLiteral("IMPRESIÓN DE ETIQUETAS - COMPRA Nº ") + comprobante);
    libro.Borders = BordeTodos;
    libro.WriteLabel(2, 1, QStringLiteral("Codigo"));
    libro.WriteLabel(2, 2, QStringLiteral("Nombre Articulo"));
    libro.WriteLabel(2, 3, QStringLiteral("Precio Con ") + siglasIV);
    libro.WriteLabel(2, 4, QStringLiteral("Precio Sin ") + siglasIV);
    libro.WriteLabel(2, 5, QStringLiteral("Cantidad Etiquetas"));
    libro.Borders = 0;
    libro.SetActiveFont(normal);
    int fila = 3;
    for (const FilaEtiqueta &f : filas) {
        libro.WriteLabel(fila, 1, f.codigo);
        libro.WriteLabel(fila, 2, f.nombre);
        libro.WriteNumber(fila, 3, f.precioConIV.toDouble());
        libro.WriteNumber(fila, 4, f.precioSinIV.toDouble());
        libro.WriteInteger(fila, 5, f.cantidad);
        ++fila;
    }
    libro.SetColumnWidth(1, 19);
    libro.SetColumnWidth(2, 50);
    libro.SetColumnWidth(3, 5, 19);
    libro.CloseFile();
}

bool ListadoCompras::GenerarEtiquetas(const QString &archivo, const QFont &fuenteNormal)
{
    if (!HayFacturas())
        return false;
    TmxNativeExcel libro;
    Mensajes &avisos = mensajes_ ? *mensajes_ : mensajes();
    libro.AlInformar = [&avisos](const QString &texto) { avisos.Informacion(texto); };
    libro.AlError = [&avisos](const QString &texto) { avisos.Error(texto); };
    try {
        const int id = IdSeleccionada();
        const QString comprobante = ComprobanteSeleccionado();
        const std::vector<FilaEtiqueta> filas = FilasEtiquetas(id);
        EscribirEtiquetas(libro, archivo, comprobante, campoRegistro(datos_.DatosMoneda, QStringLiteral("SIGLAS_IV")),
                          filas, fuenteNormal);
    } catch (const std::exception &) {
        avisos.Error(TmxNativeExcel::MensajeErrorGuardar());
        return false;
    }
    return libro.SaveToFile();
}

Reporte &ListadoCompras::PrepararComprobante(int idCompra)
{
    return comprobante_.Preparar(idCompra);
}
