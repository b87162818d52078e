#include "cli/PosteoCli.h"

#include "cli/MensajesCli.h"

#include "consignments/ListadoConsignaciones.h"
#include "consignments/RecepcionConsignacion.h"

#include "creditnotes/DevolucionNotaCredito.h"
#include "creditnotes/NotasCreditoProveedor.h"
#include "purchases/AnulacionCompra.h"
#include "data/Comp_fdatos.h"
#include "purchases/EntradaCompra.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/Mensajes.h"
#include "platform/TextoEntrada.h"
#include "purchases/PosteoEntrada.h"
#include "purchases/ProcesoCompra.h"
#include "platform/db/Query.h"

#include <algorithm>
#include <climits>

namespace {

ResultadoCli falla(const QString &mensaje, int codigo = 1)
{
    return {codigo, QString(), mensaje};
}

struct Proveedor {
    QString nombre;
    bool existe = false;
};

Proveedor BuscarProveedor(int codigo)
{
    db::Query &q = FDatosComp->QueryL_Inv;
    q.setSql(QStringLiteral("select NOMBRE from PROVEEDORES where COD_PROVEEDOR = :c"));
    q.paramByName("c").setAsInteger(codigo);
    q.execQuery();
    Proveedor p;
    if (!q.eof()) {
        p.existe = true;
        p.nombre = q.field(0).asString();
    }
    q.close();
    return p;
}

QString DescripcionBodega(const QString &codigo)
{
    db::Query &q = FDatosComp->QueryL_Inv;
    q.setSql(QStringLiteral("select DESCRIPCION from BODEGAS where COD_BODEGA = :c"));
    q.paramByName("c").setAsString(codigo);
    q.execQuery();
    const QString d = q.eof() ? QString() : q.field(0).asString();
    const bool existe = !q.eof();
    q.close();
    return existe ? (d.isEmpty() ? codigo : d) : QString();
}

// The point-of-sale user that posts or annuls (vUsuario) must be a row of USUARIOS; "" when it is.
QString RevisarUsuario()
{
    const QString usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    const QString motivo = RevisarCodigo(usuario, kLargoUsuario, QStringLiteral("usuario"));
    if (!motivo.isEmpty())
        return motivo;
    bool existe = false;
    if (!usuario.isEmpty()) {
        db::Query &q = FDatosComp->Query_Lectura;
        q.setSql(QStringLiteral("select 1 from USUARIOS where USUARIO = :u"));
        q.paramByName("u").setAsString(usuario);
        q.execQuery();
        existe = !q.eof();
        q.close();
    }
    return existe ? QString() : QStringLiteral("El usuario %1 no existe.").arg(usuario);
}

// The notes named in the payment ticked as the picker would, in the file's order: each must be an
// open note of the supplier, and one is only taken while the earlier ones leave part of the total
// unpaid. Sets `pago`'s notes, their amount (what the payment window would put) and the balance note.
bool ElegirNotas(TFDatosComp &datos, const FacturaJson &f, Currency total, PagoCompra &pago, QString &error)
{
    SeleccionNotasCredito seleccion(total);
    seleccion.Cargar(datos, f.proveedor);
    const std::vector<NotaCreditoAbierta> &abiertas = seleccion.Notas();
    for (qsizetype i = 0; i < f.pago.notas.size(); ++i) {
        const QString &nota = f.pago.notas.at(i);
        const QString clave = QStringLiteral("\"pago.notas[%1]\": ").arg(i);
        if (f.pago.notas.indexOf(nota) != i) {
            error = clave + QStringLiteral("La nota de crédito %1 está repetida.").arg(nota);
            return false;
        }
        const auto it = std::find_if(abiertas.begin(), abiertas.end(),
                                     [&](const NotaCreditoAbierta &n) { return n.comprobante == nota; });
        if (it == abiertas.end()) {
            error = clave + QStringLiteral("La nota de crédito %1 no existe para este proveedor o ya fue aplicada.").arg(nota);
            return false;
        }
        if (!seleccion.Marcar(static_cast<int>(it - abiertas.begin()), true)) {
            error = clave + QStringLiteral("La nota de crédito %1 sobra: las notas anteriores ya cubren el total de la factura.")
                                .arg(nota);
            return false;
        }
    }
    const EleccionNotas eleccion = seleccion.Eleccion(seleccion.Excede() ? f.pago.notaSaldo : QString());
    const Currency importe = RepartirNotas(total, eleccion.importe).notas;
    if (f.pago.importeNotas && *f.pago.importeNotas != importe) {
        error = QStringLiteral("\"pago.importe_notas\" (%1) no coincide con lo que pagan las notas elegidas (%2).")
                    .arg(FormatCurrency(QStringLiteral("#,##0.00"), *f.pago.importeNotas),
                         FormatCurrency(QStringLiteral("#,##0.00"), importe));
        return false;
    }
    if (seleccion.Excede() && f.pago.notaSaldo.isEmpty()) {
        error = QStringLiteral("Las notas de crédito exceden el total de la factura: indique en \"nota_saldo\" "
                               "el número de la nota por el saldo.");
        return false;
    }
    pago.notasCredito = importe;
    pago.notasElegidas = f.pago.notas;
    pago.notaSaldo = eleccion.notaSaldo;
    return true;
}

// The lines as the entry window would take them (add, accumulate, global discount, then each
// line's own discount and new sale price as the line editor applies them), written in one go.
bool CargarLineas(EntradaCompra &entrada, const FacturaJson &f, QString &error)
{
    std::vector<ArticuloTecleado> lineas;
    lineas.reserve(f.lineas.size());
    for (const LineaJson &l : f.lineas) {
        ArticuloTecleado t{l.codigo, l.cantidad, l.costo, std::nullopt, std::nullopt};
        if (l.descuento > Currency())
            t.porcDescuento = l.descuento;
        if (l.precioVenta > Currency())
            t.precioVenta = l.precioVenta;
        lineas.push_back(std::move(t));
    }
    const EntradaCompra::ResultadoLote r = entrada.AgregarArticulos(lineas, f.descuento);
    if (r)
        return true;
    const QString clave = r.indice >= 0 ? QStringLiteral("\"lineas[%1]\": ").arg(r.indice) : QString();
    switch (r.resultado) {
    case EntradaCompra::Resultado::Agregada:
    case EntradaCompra::Resultado::Acumulada: return true;
    case EntradaCompra::Resultado::NoEncontrado:
        error = QStringLiteral("Artículo no encontrado: %1").arg(f.lineas.at(r.indice).codigo);
        break;
    case EntradaCompra::Resultado::Compuesto: error = EntradaCompra::kArticuloCompuesto; break;
    case EntradaCompra::Resultado::CantidadInvalida:
        // The file's quantity is above 0: here it is too large, alone or added to an earlier line.
        error = clave + EntradaCompra::kCantidadExcede;
        break;
    case EntradaCompra::Resultado::CostoInvalido:
        error = clave + (f.lineas.at(r.indice).costo <= Currency() ? EntradaCompra::kDebePrecio : EntradaCompra::kCostoExcede);
        break;
    case EntradaCompra::Resultado::Error:
        error = clave + (entrada.UltimoError().isEmpty() ? EntradaCompra::kNoRecalcula : entrada.UltimoError());
        break;
    }
    return false;
}

// The user, the rates and a free station, as every document from a file needs them: a
// failure's result, or nothing with `entrada` open in `modo`.
std::optional<ResultadoCli> AbrirEntrada(std::optional<EntradaCompra> &entrada, const QString &computadora,
                                         const QString &modo = EntradaCompra::ModoCompra)
{
    TFDatosComp &datos = *FDatosComp;
    if (const QString motivo = RevisarUsuario(); !motivo.isEmpty())
        return falla(motivo);
    datos.CargarTipoCambio();
    entrada.emplace(datos, modo);
    entrada->EstablecerEstacion(datos.NroCaja, computadora);
    entrada->Iniciar();
    if (entrada->CantidadLineas() > 0)
        return falla(QStringLiteral("La estación %1 (caja %2) tiene un comprobante sin terminar; termínelo o bórrelo antes (compras clear).")
                         .arg(computadora)
                         .arg(datos.NroCaja));
    return std::nullopt;
}

// The same, and the file's supplier, whose name is set.
std::optional<ResultadoCli> AbrirEntrada(std::optional<EntradaCompra> &entrada, const QString &computadora,
                                         int codProveedor, QString &nombreProveedor,
                                         const QString &modo = EntradaCompra::ModoCompra)
{
    if (auto r = AbrirEntrada(entrada, computadora, modo))
        return r;
    const Proveedor proveedor = BuscarProveedor(codProveedor);
    if (!proveedor.existe)
        return falla(QStringLiteral("Proveedor no encontrado: %1").arg(codProveedor));
    nombreProveedor = proveedor.nombre;
    return std::nullopt;
}

// Header, destination and lines as the entry window takes them: "" or the failure's message
// (the caller then empties the station).
QString CargarDocumento(EntradaCompra &entrada, const FacturaJson &f, const QString &nombreProveedor,
                        const QString &descripcionBodega, const MensajesCli &avisos)
{
    QString error;
    // The whole header in one commit.
    entrada.DiferirEncabezado();
    const QString enEncabezado = [&]() -> QString {
        entrada.EstablecerProveedor(f.proveedor, nombreProveedor);
        if (!entrada.EstablecerComprobante(f.comprobante))
            return RevisarCodigo(f.comprobante, EntradaCompra::kLargoComprobante, QStringLiteral("comprobante"));
        entrada.EstablecerFecha(f.fecha);
        if (!entrada.EstablecerMoneda(f.moneda, &error))
            return error.isEmpty() ? entrada.MensajeTipoCambioCero() : error;
        if (entrada.EsCompra())
            entrada.EstablecerDestino(f.bodega.isEmpty(), f.bodega,
                                      f.bodega.isEmpty() ? EntradaCompra::kInventarioPrincipal : descripcionBodega);
        entrada.EstablecerCambioCosto(EntradaCompra::CambioCosto::Cambiar);
        return QString();
    }();
    const bool confirmado = entrada.ConfirmarEncabezado();
    if (!enEncabezado.isEmpty())
        return enEncabezado;
    if (!confirmado)
        return entrada.UltimoError();
    if (!CargarLineas(entrada, f, error))
        return error.isEmpty() ? avisos.primero : error;
    return QString();
}

// The checks, the payment of the file and the posting of the document in `entrada`, as the
// payment window takes them; on any failure the station is left empty.
ResultadoCli PagarYPublicar(TFDatosComp &datos, EntradaCompra &entrada, const FacturaJson &f, MensajesCli &avisos)
{
    QString error;
    auto limpiar = [&entrada] { entrada.LimpiarFactura(); };
    try {
        if (entrada.EsProveedorExento())
            entrada.AplicarExencion();
        const EntradaCompra::Validacion v = entrada.Validar();
        if (!v) {
            limpiar();
            return falla(v.mensaje.isEmpty() ? avisos.primero : v.mensaje);
        }

        PagoCompra pago;
        pago.efectivo = f.pago.efectivo;
        pago.efectivoDeCaja = f.pago.origen == QLatin1String("caja");
        pago.cheque = f.pago.cheque;
        pago.numeroCheque = f.pago.numeroCheque;
        pago.cuentaBancaria = f.pago.cuentaBancaria;
        pago.credito = f.pago.credito;
        pago.diasCredito = f.pago.dias;
        const TotalesCompra totales = TotalesDeEntrada(entrada.Totales());
        if (!f.pago.notas.isEmpty()
            && !ElegirNotas(datos, f, Currency::fromScaled(totales.total.toScaled(2), 2), pago, error)) {
            limpiar();
            return falla(error);
        }
        if (f.pago.notas.isEmpty() && f.pago.importeNotas && *f.pago.importeNotas != Currency()) {
            limpiar();
            return falla(QStringLiteral("\"pago.importe_notas\" indica un importe pero \"pago.notas\" no nombra ninguna nota."));
        }
        const ValidacionPago vp = ProcesoCompra::Validar(totales.total, pago);
        if (!vp.ok()) {
            limpiar();
            return falla(vp.mensaje);
        }
        if (pago.cheque > Currency() && pago.cuentaBancaria == 0) {
            limpiar();
            return falla(QStringLiteral("Indique la cuenta bancaria del cheque en \"cuenta_bancaria\"."));
        }

        auto proceso = ProcesoCompra::DesdeDatosComp(datos);
        proceso->EstablecerMensajes(&avisos);
        proceso->RegistrarCheque = [&pago](MovimientoBanco &m) {
            m.idCuenta = pago.cuentaBancaria;
            return true;
        };
        const int id = proceso->Procesar(DocumentoDeEntrada(entrada), totales, pago);
        if (id <= 0) {
            limpiar();
            return falla(!proceso->UltimoError().isEmpty() ? proceso->UltimoError() : avisos.primero);
        }
        return {0, QString::number(id), QString()};
    } catch (const ErrorCompras &e) {
        // An amount out of range met on the way: nothing stays in the station.
        limpiar();
        return falla(e.mensaje());
    }
}

} // namespace

ResultadoCli PostearFactura(const FacturaJson &f, const QString &computadora)
{
    MensajesCli avisos;
    TFDatosComp &datos = *FDatosComp;
    std::optional<EntradaCompra> abierta;
    QString nombreProveedor;
    if (auto r = AbrirEntrada(abierta, computadora, f.proveedor, nombreProveedor))
        return *r;
    EntradaCompra &entrada = *abierta;
    QString bodega;
    if (!f.bodega.isEmpty()) {
        bodega = DescripcionBodega(f.bodega);
        if (bodega.isEmpty())
            return falla(QStringLiteral("Bodega no encontrada: %1").arg(f.bodega));
    }

    try {
        if (const QString motivo = CargarDocumento(entrada, f, nombreProveedor, bodega, avisos); !motivo.isEmpty()) {
            entrada.LimpiarFactura();
            return falla(motivo);
        }
    } catch (const ErrorCompras &e) {
        entrada.LimpiarFactura();
        return falla(e.mensaje());
    }
    return PagarYPublicar(datos, entrada, f, avisos);
}

ResultadoCli GuardarConsignacion(const FacturaJson &f, const QString &computadora)
{
    MensajesCli avisos;
    TFDatosComp &datos = *FDatosComp;
    if (!f.bodega.isEmpty())
        return falla(QStringLiteral("Las consignaciones entran al inventario principal: quite \"bodega\" del archivo."));
    std::optional<EntradaCompra> abierta;
    QString nombreProveedor;
    if (auto r = AbrirEntrada(abierta, computadora, f.proveedor, nombreProveedor, QStringLiteral("Consignacion")))
        return *r;
    EntradaCompra &entrada = *abierta;
    try {
        if (const QString motivo = CargarDocumento(entrada, f, nombreProveedor, QString(), avisos); !motivo.isEmpty()) {
            entrada.LimpiarFactura();
            return falla(motivo);
        }
        if (entrada.EsProveedorExento())
            entrada.AplicarExencion();
        const EntradaCompra::Validacion v = entrada.Validar();
        if (!v) {
            entrada.LimpiarFactura();
            return falla(v.mensaje.isEmpty() ? avisos.primero : v.mensaje);
        }
        auto recepcion = RecepcionConsignacion::DesdeDatosComp(datos);
        recepcion->EstablecerMensajes(&avisos);
        const int id = recepcion->Guardar(ConsignacionDeEntrada(entrada));
        if (id <= 0) {
            entrada.LimpiarFactura();
            return falla(!avisos.primero.isEmpty() ? avisos.primero : recepcion->UltimoError());
        }
        return {0, QString::number(id), QString()};
    } catch (const ErrorCompras &e) {
        entrada.LimpiarFactura();
        return falla(e.mensaje());
    }
}

ResultadoCli FacturarConsignacion(int idConsignacion, const FacturaJson &f, const QString &computadora)
{
    MensajesCli avisos;
    TFDatosComp &datos = *FDatosComp;
    std::optional<EntradaCompra> abierta;
    if (auto r = AbrirEntrada(abierta, computadora))
        return *r;
    EntradaCompra &entrada = *abierta;
    try {
        QString error;
        if (!entrada.EstablecerMoneda(f.moneda, &error))
            return falla(error.isEmpty() ? entrada.MensajeTipoCambioCero() : error);
        FacturacionConsignacion facturacion(datos);
        facturacion.EstablecerMensajes(&avisos);
        if (facturacion.Cargar(entrada, idConsignacion) != FacturacionConsignacion::Resultado::Cargada) {
            entrada.LimpiarFactura();
            return falla(facturacion.UltimoError());
        }
        // The supplier and the lines come from the consignment; the file gives the invoice's
        // number, date and payment.
        if (!entrada.EstablecerComprobante(f.comprobante)) {
            entrada.LimpiarFactura();
            return falla(RevisarCodigo(f.comprobante, EntradaCompra::kLargoComprobante, QStringLiteral("comprobante")));
        }
        entrada.EstablecerFecha(f.fecha);
    } catch (const ErrorCompras &e) {
        entrada.LimpiarFactura();
        return falla(e.mensaje());
    }
    return PagarYPublicar(datos, entrada, f, avisos);
}

ResultadoCli AnularFactura(int proveedor, const QString &comprobante)
{
    MensajesCli avisos;
    if (const QString motivo = RevisarUsuario(); !motivo.isEmpty())
        return falla(motivo);
    // Refused as typed: a longer number must not reach the one it starts with.
    const QString numero = comprobante.trimmed().toUpper();
    if (const QString motivo = RevisarCodigo(comprobante, INT_MAX, QStringLiteral("NUMERO")); !motivo.isEmpty())
        return falla(motivo);
    if (const QString motivo = RevisarCodigo(numero, EntradaCompra::kLargoComprobante, QStringLiteral("NUMERO"));
        !motivo.isEmpty())
        return falla(motivo);
    auto anulacion = AnulacionCompra::DesdeDatosComp(*FDatosComp);
    anulacion->EstablecerMensajes(&avisos);
    const int id = anulacion->BuscarFactura(proveedor, numero);
    if (id <= 0)
        return falla(QStringLiteral("No existe la factura %1 del proveedor %2.").arg(comprobante).arg(proveedor));
    if (!anulacion->AnularCompras(id))
        return falla(!anulacion->UltimoError().isEmpty() ? anulacion->UltimoError() : avisos.primero);
    // The cheque's bank movement stays: say so beside the id.
    return {0, QString::number(id), anulacion->AvisoCheque()};
}

ResultadoCli RegistrarNotaCredito(const NotaCreditoJson &n, const QString &computadora)
{
    MensajesCli avisos(n.confirmarExcesos);
    TFDatosComp &datos = *FDatosComp;
    const FacturaJson &f = n.nota;
    if (!f.bodega.isEmpty())
        return falla(QStringLiteral("Una devolución sale del inventario principal: no lleva \"bodega\"."));
    std::optional<EntradaCompra> abierta;
    QString nombreProveedor;
    if (auto r = AbrirEntrada(abierta, computadora, f.proveedor, nombreProveedor))
        return *r;
    EntradaCompra &entrada = *abierta;

    auto limpiar = [&entrada] { entrada.LimpiarFactura(); };
    try {
        entrada.EstablecerTipoComprobante(EntradaCompra::TipoNotaCredito);
        if (const QString error = CargarDocumento(entrada, f, nombreProveedor, QString(), avisos); !error.isEmpty()) {
            limpiar();
            return falla(error);
        }
        const EntradaCompra::Validacion v = entrada.Validar();
        if (!v) {
            limpiar();
            return falla(v.mensaje.isEmpty() ? avisos.primero : v.mensaje);
        }

        auto proceso = DevolucionNotaCredito::DesdeDatosComp(datos);
        proceso->EstablecerMensajes(&avisos);
        DocumentoDevolucion doc;
        doc.comprobante = entrada.Comprobante();
        doc.codProveedor = f.proveedor;
        doc.fecha = f.fecha;
        doc.monedaCarga = entrada.Moneda();
        doc.porcDescuento = entrada.PorcDescuento();
        doc.facturaNoSistema = n.facturaNoSistema;
        doc.factura = n.factura;
        doc.asignar = n.asignar;
        const int id = proceso->Registrar(doc);
        if (id <= 0) {
            QString motivo = !proceso->UltimoError().isEmpty() ? proceso->UltimoError() : avisos.primero;
            if (proceso->EstadoUltimo() == DevolucionNotaCredito::Estado::Cancelada) {
                const auto factura = n.facturaNoSistema ? std::nullopt : proceso->BuscarFactura(f.proveedor, n.factura);
                motivo = DevolucionNotaCredito::PreguntaExcesos(proceso->Excesos(factura ? &*factura : nullptr)) +
                         QStringLiteral("\nPara devolverlo de todos modos indique \"confirmar_excesos\": true.");
            }
            limpiar();
            return falla(motivo);
        }
        return {0, QString::number(id), QString()};
    } catch (const ErrorCompras &e) {
        limpiar();
        return falla(e.mensaje());
    }
}
