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

QString dinero(Currency valor)
{
    return FormatCurrency(QStringLiteral("#,##0.00"), valor);
}

} // namespace

ListadoCompras::ListadoCompras(TFDatosComp &datos) : datos_(datos), reporte_(std::make_unique<Reporte>()) {}

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
    libro.AlInformar = [](const QString &texto) { mensajes().Informacion(texto); };
    libro.AlError = [](const QString &texto) { mensajes().Error(texto); };
    try {
        const int id = IdSeleccionada();
        const QString comprobante = ComprobanteSeleccionado();
        const std::vector<FilaEtiqueta> filas = FilasEtiquetas(id);
        EscribirEtiquetas(libro, archivo, comprobante, campoRegistro(datos_.DatosMoneda, QStringLiteral("SIGLAS_IV")),
                          filas, fuenteNormal);
    } catch (const std::exception &) {
        mensajes().Error(TmxNativeExcel::MensajeErrorGuardar());
        return false;
    }
    return libro.SaveToFile();
}

void ListadoCompras::VariablesEncabezado(TFDatosComp &datos, QMap<QString, QString> &v)
{
    auto empresa = [&datos](const char *campo) { return campoRegistro(datos.DatosEmpresa, QString::fromLatin1(campo)); };
    v[QStringLiteral("Encabezado1")] = Reporte::QuotedStr(empresa("NOMBRE_EMPRESA"));
    v[QStringLiteral("Encabezado2")] =
        Reporte::QuotedStr(empresa("DIRECCION").left(100).trimmed() + QStringLiteral(" - ") + empresa("CIUDAD"));
    v[QStringLiteral("Encabezado3")] = Reporte::QuotedStr(
        campoRegistro(datos.DatosMoneda, QStringLiteral("SIGLAS_CED_JURIDICA")) + QStringLiteral(": ") + empresa("CEDULA"));
    v[QStringLiteral("Encabezado4")] = Reporte::QuotedStr(QStringLiteral("Teléfono: ") + empresa("TELEFONO").trimmed()
                                                          + QStringLiteral("   Fax: ") + empresa("FAX").trimmed());
}

Reporte &ListadoCompras::PrepararComprobante(int idCompra)
{
    // Lines look their sale price up in the whole inventory.
    datos_.TInventario2->close();
    datos_.TInventario2->setSelectSql(QStringLiteral("select * from INVENTARIO"));
    datos_.TInventario2->open();

    db::Dataset &factura = *datos_.TFacCompraReporte;
    factura.close();
    factura.setSelectSql(QStringLiteral("select * from FACTURAS_COMPRA\n where ID_COMPRA = :NFac"));
    factura.paramByName(QStringLiteral("NFac")).setAsInteger(idCompra);
    factura.open();
    if (factura.isEmpty())
        throw ErrorReporte(QStringLiteral("No existe la factura de compra %1").arg(idCompra));

    db::Dataset &lineas = *datos_.TDetCom;
    lineas.close();
    lineas.setSelectSql(
        QStringLiteral("select * from DETALLE_FACTURAS_COMPRA\n where ID_COMPRA = :IdFac\n order by ID_DETALLE_FACTURA"));
    lineas.paramByName(QStringLiteral("IdFac")).setAsInteger(idCompra);
    lineas.open();

    fuente_ = std::make_unique<FuenteDataset<db::Dataset>>(lineas);
    dsReporte_.setDataSet(fuente_.get());
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(VerVariable(QStringLiteral("PathReportes")) + kPlantillaComprobante);
    VariablesComprobante(reporte_->Variables);
    reporte_->PrepareReport();
    return *reporte_;
}

void ListadoCompras::VariablesComprobante(QMap<QString, QString> &v)
{
    db::Dataset &f = *datos_.TFacCompraReporte;
    auto texto = [&f](const char *campo) { return f.fieldByName(QString::fromLatin1(campo)).asString(); };
    auto monto = [&f](const char *campo) { return f.fieldByName(QString::fromLatin1(campo)).asCurrency(); };
    auto q = [](const QString &t) { return Reporte::QuotedStr(t); };

    const Currency subTotal1 = monto("SUBTOTAL_GRAVADO") + monto("SUBTOTAL_NO_GRAVADO");
    const Currency subTotal2 = monto("TOTAL_GRAVADO") + monto("TOTAL_NO_GRAVADO");

    db::Query &prov = datos_.QueryL_Inv;
    prov.clearSql();
    prov.addSql(QStringLiteral("select COD_PROVEEDOR2 from PROVEEDORES"));
    prov.addSql(QStringLiteral("where COD_PROVEEDOR = :vProv"));
    prov.paramByName(QStringLiteral("vProv")).setAsInteger(f.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger());
    prov.execQuery();
    const QString codProveedor = prov.eof() ? QString() : prov.field(0).asString().trimmed();
    prov.close();

    const bool monedaLocal = f.fieldByName(QStringLiteral("MONEDA_CARGA")).asInteger() == 1;
    const QString signo = monedaLocal ? campoRegistro(datos_.DatosMoneda, QStringLiteral("SIMBOLO_MONEDA"))
                                      : datos_.Config(QStringLiteral("SIGNO_MONEDA2"));

    VariablesEncabezado(datos_, v);
    v[QStringLiteral("NroFactura")] = q(texto("COMPROBANTE"));
    v[QStringLiteral("FechaCarga")] = q(texto("FECHA_CARGA"));
    v[QStringLiteral("Fecha")] = q(texto("FECHA"));
    v[QStringLiteral("DiasCredito")] = q(texto("DIAS_CREDITO"));
    v[QStringLiteral("SubTotal1")] = q(dinero(subTotal1));
    v[QStringLiteral("SubTotal2")] = q(dinero(subTotal2));
    v[QStringLiteral("Descuento")] = q(dinero(monto("IMPORTE_DESCUENTO")));
    v[QStringLiteral("Impuesto")] = q(dinero(monto("IMPORTE_IV")));
    v[QStringLiteral("Total")] = q(dinero(monto("IMPORTE_TOTAL")));
    v[QStringLiteral("Telefono")] = q(texto("TELEFONO"));
    v[QStringLiteral("Proveedor")] = q(texto("NOMBRE"));
    v[QStringLiteral("CodProveedor")] = q(codProveedor);
    v[QStringLiteral("ImpEfectivo")] = q(dinero(monto("IMPORTE_EFECTIVO")));
    v[QStringLiteral("ImpCheque")] = q(dinero(monto("IMPORTE_CHEQUE")));
    v[QStringLiteral("ImpCredito")] = q(dinero(monto("IMPORTE_CREDITO")));
    v[QStringLiteral("NumCheque")] = q(texto("NUMERO_CHEQUE"));
    v[QStringLiteral("DefinicionIVPais")] =
        q(campoRegistro(datos_.DatosMoneda, QStringLiteral("DEFINICION_IV")) + QStringLiteral(": "));
    v[QStringLiteral("vMoneda1")] = q(monedaLocal ? QStringLiteral("S") : QStringLiteral("N"));
    v[QStringLiteral("vSigno")] = q(signo.trimmed());
    v[QStringLiteral("vTextoMoneda1")] = q(campoRegistro(datos_.DatosMoneda, QStringLiteral("NOMBRE_MONEDA")).trimmed());
    v[QStringLiteral("vTextoMoneda2")] = q(datos_.Config(QStringLiteral("DENOMINACION_MONEDA2")).trimmed());
}
