#include "catalogs/FichaArticulo.h"

#include "data/Comp_fdatos.h"
#include "platform/Redondeo.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"
#include "platform/db/TwoPhase.h"
#include "records/RegistrosFicha.h"

#include <QDateTime>

namespace {

const QString kSi = QStringLiteral("S");
const QString kNo = QStringLiteral("N");

QString SN(bool si) { return si ? kSi : kNo; }

// One reading statement on the inventory update transaction with a single text parameter.
template <class F> auto Leer(const ConexionesCompra &c, const QString &sql, F &&enlazar)
{
    auto q = std::make_unique<db::Query>(c.inventario, c.transInventario);
    q->setSql(sql);
    enlazar(*q);
    q->execQuery();
    return q;
}

QString NombrePorClave(const ConexionesCompra &c, const QString &sql, int codigo)
{
    if (codigo <= 0)
        return QString();
    auto q = Leer(c, sql, [&](db::Query &x) { x.paramByName("Cod").setAsInteger(codigo); });
    return q->eof() ? QString() : q->field(0).asString();
}

// A step of the save: a counter conflict passes through untouched (the save runs again), any
// other failure becomes the card's message for that step.
template <class F> void Etapa(const QString &aviso, const QString &error, F &&cuerpo)
{
    try {
        cuerpo();
    } catch (const ErrorConflictoContador &) {
        throw;
    } catch (const FalloPaso &) {
        throw;
    } catch (const std::exception &e) {
        throw FalloPaso(aviso, error, TextoDeError(e));
    }
}

} // namespace

AjustesFicha AjustesDeFicha(const TFDatosComp &d)
{
    AjustesFicha a;
    a.codigoAutomatico = d.ConfigSi(QStringLiteral("COD_ARTICULO_AUTOMATICO"));
    a.noRepetirCod23 = d.ConfigSi(QStringLiteral("NO_REPETIR_COD2_3"));
    a.promociones = d.ConfigSi(QStringLiteral("PROMOCIONES_ARTICULOS"));
    a.adicional = d.ConfigSi(QStringLiteral("ADICIONAL_INVENTARIO"));
    a.verCostos = d.Permiso(QStringLiteral("INV_VER_COSTOS")) != kNo;
    a.verCalculo = d.Permiso(QStringLiteral("INV_VER_CALCULO_PRECIOS")) != kNo;
    a.brisandel = TFDatosComp::VerVariable(QStringLiteral("Brisandel")) == kSi;
    for (int i = 0; i < 4; ++i) {
        const QString n = QString::number(i + 1);
        NivelPrecio &v = a.niveles[i];
        v.baseCalculo = d.ConfigEntero(QStringLiteral("BASE") + n) - 1;
        v.coefA = d.ConfigMoneda(QStringLiteral("INC1_PRE") + n);
        v.coefB = d.ConfigMoneda(QStringLiteral("INC2_PRE") + n);
        v.sumaFija = d.ConfigMoneda(QStringLiteral("SUMA_FIJA") + n);
        v.redondeo = d.ConfigEntero(QStringLiteral("REDONDEO") + n);
        a.nombresLibres[i] = d.Config(QStringLiteral("NOMBRE_LIBRE") + n);
    }
    a.gravado = d.ConfigSi(QStringLiteral("PRECIO_GRAVADO"));
    a.ivi = d.ConfigSi(QStringLiteral("PRECIO_IVI"));
    a.redondeaFinal = d.ConfigSi(QStringLiteral("REDONDEA_PRECIO_FINAL"));
    a.porcIv = d.ConfigMoneda(QStringLiteral("PORCENTAJE_IV"));
    a.precios = AjustesDeTienda(d);
    if (d.DatosMoneda && d.DatosMoneda->active() && d.DatosMoneda->hasField(QStringLiteral("SIGLAS_CED_JURIDICA")))
        a.siglas = d.DatosMoneda->fieldByName(QStringLiteral("SIGLAS_CED_JURIDICA")).asString();
    a.usuario = TFDatosComp::VerVariable(QStringLiteral("vUsuario"));
    a.tipoCambio = d.TipoCambio;
    a.tipoCambio2 = d.TipoCambio2;
    return a;
}

std::array<NivelPrecio, 4> NivelesDe(const TArticuloInventario &fila)
{
    std::array<NivelPrecio, 4> niveles;
    for (std::size_t i = 0; i < niveles.size(); ++i) {
        const NivelArticulo &n = fila.Niveles[i];
        niveles[i] = {n.BASECALCULO, n.COEFA, n.COEFB, n.SUMAFIJA, n.REDONDEO, n.PREVEN, n.PRECIOSINIV, n.PRECIOCONIV};
    }
    return niveles;
}

void FijarNiveles(TArticuloInventario &fila, const std::array<NivelPrecio, 4> &niveles)
{
    for (std::size_t i = 0; i < niveles.size(); ++i) {
        const NivelPrecio &n = niveles[i];
        fila.Niveles[i] = {n.preven, n.baseCalculo, n.coefA, n.coefB, n.sumaFija, n.redondeo, n.precioSinIv, n.precioConIv};
    }
}

FichaArticulo::FichaArticulo(const ConexionesCompra &conexiones, AjustesFicha ajustes)
    : c_(conexiones), a_(std::move(ajustes))
{
}

ArticuloFicha FichaArticulo::Nuevo(const QString &origen, const QString &codigo) const
{
    ArticuloFicha n;
    TArticuloInventario &f = n.fila;
    f.FECHA_ULTIMACOMPRA = QDateTime::currentDateTime();
    f.ACTUALIZAR_EXIST = kSi;
    for (QString *s : {&f.PAGA_COMISION, &f.COMPUESTO, &f.TIENE_SERIE, &f.FRACCIONADO, &f.CONSIGNACION, &f.PROMOCION,
                       &f.RESTRINGE_DESCUENTO, &f.DESACTIVADO, &f.SE_USA_EN_PEDIDO, &f.TIENE_VENCIMIENTO,
                       &f.PG_COMPUESTO, &f.VENTAALPESO})
        *s = kNo;
    FijarNiveles(f, a_.niveles);
    f.GRAVADO = SN(a_.gravado);
    f.IMPUESTO_INCLUIDO = SN(a_.ivi);
    f.REDONDEA_PRECIO_FINAL = SN(a_.redondeaFinal);
    // Every caller starts from the store's tax (purchase entry and the order editor as the search).
    f.PORC_IV = a_.porcIv;
    if (origen != OrigenFicha::Buscar)
        f.OLD_COD_BARRAS = codigo.trimmed().toUpper();
    return n;
}

bool FichaArticulo::CodigoExiste(const QString &codigo) const
{
    if (codigo.trimmed().isEmpty())
        return false;
    auto q = Leer(c_, QStringLiteral("select count(COD_BARRAS) as TIENE from INVENTARIO where COD_BARRAS = :codBarras"),
                  [&](db::Query &x) { x.paramByName("codBarras").setAsString(codigo.trimmed()); });
    return !q->eof() && q->field(0).asInteger() > 0;
}

namespace {

bool OtroCodigoRepetido(const ConexionesCompra &c, const QString &columna, const QString &otra, const QString &cod1,
                        const QString &cod)
{
    auto q = Leer(c,
                  QStringLiteral("select first 1 %1 from INVENTARIO where ((:cod = %2 or :cod = %1 or :cod = COD_BARRAS)"
                                 " and (COD_BARRAS <> :cod1)) or ((:cod = %2 or :cod = COD_BARRAS) and (COD_BARRAS = :cod1))")
                      .arg(columna, otra),
                  [&](db::Query &x) {
                      x.paramByName("cod").setAsString(cod);
                      x.paramByName("cod1").setAsString(cod1);
                  });
    return !q->eof();
}

} // namespace

bool FichaArticulo::Codigo2Repetido(const TArticuloInventario &f) const
{
    const QString cod = f.CODIGO2.trimmed();
    if (cod.isEmpty())
        return false;
    if (cod == f.OLD_COD_BARRAS.trimmed() || cod == f.CODIGO3.trimmed())
        return true;
    return OtroCodigoRepetido(c_, QStringLiteral("CODIGO2"), QStringLiteral("CODIGO3"), f.OLD_COD_BARRAS.trimmed(), cod);
}

bool FichaArticulo::Codigo3Repetido(const TArticuloInventario &f) const
{
    const QString cod = f.CODIGO3.trimmed();
    if (cod.isEmpty())
        return false;
    if (cod == f.OLD_COD_BARRAS.trimmed() || cod == f.CODIGO2.trimmed())
        return true;
    return OtroCodigoRepetido(c_, QStringLiteral("CODIGO3"), QStringLiteral("CODIGO2"), f.OLD_COD_BARRAS.trimmed(), cod);
}

std::vector<FalloFicha> FichaArticulo::Validar(const ArticuloFicha &a) const
{
    using Campo = FalloFicha::Campo;
    std::vector<FalloFicha> fallos;
    const TArticuloInventario &f = a.fila;
    const QString codigo = f.OLD_COD_BARRAS.trimmed();
    if (a_.noRepetirCod23) {
        if (Codigo2Repetido(f))
            fallos.push_back({Campo::Codigo2, TextoFicha::Codigo2Existe, false});
        if (Codigo3Repetido(f))
            fallos.push_back({Campo::Codigo3, TextoFicha::Codigo3Existe, false});
    }
    for (const auto &[campo, texto] : {std::pair{Campo::Codigo2, f.CODIGO2}, std::pair{Campo::Codigo3, f.CODIGO3}})
        if (texto.trimmed().size() > 30)
            fallos.push_back({campo, TextoFicha::CodigoLargo.arg(30)});
    if (f.NOMBRE.trimmed().isEmpty())
        fallos.push_back({Campo::Nombre, TextoFicha::NombreObligatorio});
    else if (f.NOMBRE.size() > 200)
        fallos.push_back({Campo::Nombre, TextoFicha::TextoLargo.arg(200)});
    if (f.NOMBRE2.size() > 100)
        fallos.push_back({Campo::Nombre2, TextoFicha::TextoLargo.arg(100)});
    if (a_.codigoAutomatico) {
        if (f.COD_FAMILIA.trimmed().isEmpty() || f.COD_FAMILIA == QLatin1String("0"))
            fallos.push_back({Campo::Familia, TextoFicha::FamiliaObligatoria});
        else if (NombreFamilia(f.COD_FAMILIA).isNull())
            fallos.push_back({Campo::Familia, TextoFicha::FamiliaInexistente});
    } else if (codigo.isEmpty()) {
        fallos.push_back({Campo::Codigo, TextoFicha::CodigoObligatorio});
    } else if (codigo.size() > 30) {
        fallos.push_back({Campo::Codigo, TextoFicha::CodigoLargo.arg(30)});
    } else if (CodigoExiste(codigo)) {
        fallos.push_back({Campo::Codigo, TextoFicha::CodigoExiste, false});
    } else if (a_.noRepetirCod23) {
        auto q = Leer(c_, QStringLiteral("select first 1 1 from INVENTARIO where CODIGO2 = :cod or CODIGO3 = :cod"),
                      [&](db::Query &x) { x.paramByName("cod").setAsString(codigo); });
        if (!q->eof())
            fallos.push_back({Campo::Codigo, TextoFicha::CodigoExiste, false});
    }
    // Active ingredients point at the article through a 15-character column.
    if (!a.ingredientes.empty() && !a_.codigoAutomatico && codigo.size() > 15)
        fallos.push_back({Campo::Ingredientes, TextoFicha::CodigoLargo.arg(15), false});
    return fallos;
}

QString FichaArticulo::NombreFamilia(const QString &codigo) const
{
    const std::optional<std::pair<QString, QString>> f = BuscarFamilia(codigo);
    return f ? f->second : QString();
}

std::optional<std::pair<QString, QString>> FichaArticulo::BuscarFamilia(const QString &texto) const
{
    const QString codigo = texto.trimmed();
    if (codigo.isEmpty())
        return std::nullopt;
    auto q = Leer(c_, QStringLiteral("select COD_FAMILIA, NOMBRE from FAMILIA where COD_FAMILIA = :Cod"),
                  [&](db::Query &x) { x.paramByName("Cod").setAsString(codigo); });
    if (q->eof())
        return std::nullopt;
    QString nombre = q->field(1).asString();
    if (nombre.isNull())
        nombre = QLatin1String("");
    return std::pair{q->field(0).asString().trimmed(), nombre};
}

QString FichaArticulo::NombreUbicacion(int codigo) const
{
    return NombrePorClave(c_, QStringLiteral("select NOMBRE from UBICACION where COD_UBICACION = :Cod"), codigo);
}

QString FichaArticulo::NombreUnidad(int codigo) const
{
    return NombrePorClave(c_, QStringLiteral("select NOMBRE from UNIDAD_MEDIDA where COD_UNIDAD = :Cod"), codigo);
}

QString FichaArticulo::NombreProveedor(int codigo) const
{
    return NombrePorClave(c_, QStringLiteral("select NOMBRE from PROVEEDORES where COD_PROVEEDOR = :Cod"), codigo);
}

QString FichaArticulo::CodigoAutomatico(const QString &familia) const
{
    auto q = Leer(c_, QStringLiteral("select COD_FAMILIA, coalesce(NRO_ARTICULO, 1) from FAMILIA where COD_FAMILIA = :Cod"),
                  [&](db::Query &x) { x.paramByName("Cod").setAsString(familia.trimmed()); });
    if (q->eof())
        return QString();
    return q->field(0).asString().trimmed() + QString::number(q->field(1).asInteger());
}

std::vector<std::pair<int, QString>> FichaArticulo::Laboratorios() const
{
    std::vector<std::pair<int, QString>> labs;
    auto q = Leer(c_, QStringLiteral("select ID_LABORATORIOS, NOMBRE from LABORATORIOS order by NOMBRE"), [](db::Query &) {});
    for (; !q->eof(); q->next())
        labs.emplace_back(static_cast<int>(q->field(0).asInteger()), q->field(1).asString());
    return labs;
}

QStringList FichaArticulo::Drogas() const
{
    QStringList drogas;
    auto q = Leer(c_, QStringLiteral("SELECT DISTINCT DROGA FROM COMPOSICION ORDER BY DROGA"), [](db::Query &) {});
    for (; !q->eof(); q->next())
        if (!q->field(0).isNull())
            drogas << q->field(0).asString();
    return drogas;
}

std::optional<ComponenteFicha> FichaArticulo::Componente(const QString &codigo, const QString &nombre, Currency costo,
                                                         Currency cantidad, bool fraccionado, int idFraccion) const
{
    auto existe = Leer(c_, QStringLiteral("select first 1 1 from INVENTARIO where COD_BARRAS = :Cod"),
                       [&](db::Query &x) { x.paramByName("Cod").setAsString(codigo); });
    if (existe->eof())
        return std::nullopt;
    ComponenteFicha k;
    k.codigo = codigo;
    k.nombre = nombre;
    k.costo = costo;
    k.cantidad = cantidad;
    if (fraccionado) {
        auto q = Leer(c_, QStringLiteral("select FRACCION from FRACCIONAMIENTOS where ID_FRACCION = :Fracc"),
                      [&](db::Query &x) { x.paramByName("Fracc").setAsInteger(idFraccion); });
        k.fraccionado = true;
        k.idFraccion = idFraccion;
        k.fraccion = q->eof() ? Currency() : Currency::fromDouble(q->field(0).asFloat());
        k.cantidad = k.fraccion * cantidad;
    }
    return k;
}

Currency FichaArticulo::CostoComponentes(const std::vector<ComponenteFicha> &componentes)
{
    Currency total;
    for (const ComponenteFicha &k : componentes)
        total += k.CostoTotal();
    return total;
}

std::pair<Currency, QString> FichaArticulo::DescuentoValido(Currency descuento)
{
    if (descuento > Currency(100))
        return {Currency(), TextoFicha::DescuentoMayor};
    if (descuento < Currency())
        return {Currency(), TextoFicha::DescuentoMenor};
    return {descuento, QString()};
}

Currency FichaArticulo::CoeficienteEntero(Currency coeficiente)
{
    return RedondearValor(coeficiente, 0, 0);
}

QString FichaArticulo::Comprobante(qint64 numero)
{
    return QStringLiteral("%1").arg(numero, 12, 10, QLatin1Char('0'));
}

void FichaArticulo::Marcar(const QString &nombre)
{
    if (TrasPaso)
        TrasPaso(nombre);
}

QString FichaArticulo::Guardar(const ArticuloFicha &articulo)
{
    for (int intento = 1;; ++intento) {
        try {
            return GuardarUnaVez(articulo);
        } catch (const ErrorConflictoContador &e) {
            if (intento >= kIntentos)
                throw FalloPaso(QString(), e.mensaje(), e.detalle());
        }
    }
}

QString FichaArticulo::ReservarComprobante(ConsultasCompra &consultas, bool entrada)
{
    RegistrosCompra r(consultas);
    QString usado;
    Etapa(QString(), TextoFicha::ErrorConsecutivo, [&] {
        const int valor = BloquearConsecutivoEntradaSalida(consultas, entrada);
        if (valor < 0)
            throw ErrorRegistro(TextoFicha::ErrorConsecutivo, QStringLiteral("CONSECUTIVOS no tiene la fila 1"));
        usado = Comprobante(valor);
        qint64 siguiente = qint64(valor) + 1;
        if (ExisteEntradaSalida(consultas, entrada, usado)) {
            const qint64 ultimo = UltimaEntradaSalida(consultas, entrada);
            usado = Comprobante(ultimo + 1);
            siguiente = ultimo + 2;
        }
        Etapa(QString(), TextoFicha::ErrorCambioConsecutivo, [&] {
            r.CambiarConsecutivo(entrada ? ModoConsecutivo::Entrada : ModoConsecutivo::Salida, 1,
                                 static_cast<int>(siguiente));
        });
    });
    Marcar(QStringLiteral("CONSECUTIVOS"));
    return usado;
}

QString FichaArticulo::GuardarUnaVez(const ArticuloFicha &a)
{
    comprobante_.clear();
    ConsultasCompra consultas(c_);
    RegistrosCompra r(consultas);
    try {
        for (db::Transaction *t : {c_.transTienda, c_.transInventario})
            if (!t->active())
                t->start();
        TArticuloInventario f = a.fila;
        f.OLD_COD_BARRAS = f.OLD_COD_BARRAS.trimmed();
        f.COSTO_PROMEDIO = f.PRECIO_COMPRA;
        for (NivelArticulo &n : f.Niveles) {
            n.COEFA = CoeficienteEntero(n.COEFA);
            n.COEFB = CoeficienteEntero(n.COEFB);
        }
        if (a_.codigoAutomatico) {
            const QString familia = f.COD_FAMILIA.trimmed();
            Etapa(QString(), TextoFicha::ErrorFamilia, [&] {
                int nro = BloquearContadorFamilia(consultas, familia);
                if (nro < 0)
                    throw ErrorRegistro(TextoFicha::ErrorFamilia, TextoFicha::FamiliaInexistente);
                // A number some article already has as its code is skipped.
                for (int i = 0; i < 1000 && CodigoExiste(familia + QString::number(nro)); ++i)
                    ++nro;
                f.OLD_COD_BARRAS = familia + QString::number(nro);
                FijarContadorFamilia(consultas, familia, nro + 1);
            });
            Marcar(QStringLiteral("FAMILIA"));
        }
        const QString codigo = f.OLD_COD_BARRAS;
        Etapa(QString(), TextoFicha::ErrorInventario, [&] { r.ActualizarInventario(ModoArticulo::Insertar, f); });
        Marcar(QStringLiteral("INVENTARIO"));
        Etapa(QString(), TextoFicha::ErrorCompuesto, [&] {
            for (const ComponenteFicha &k : a.componentes) {
                FilaCompuesto c;
                c.COD_BARRAS = codigo;
                c.COD_ARTICULO = k.codigo;
                c.NOMBRE_ARTICULO = k.nombre;
                c.CANTIDAD = k.cantidad;
                c.COSTO = k.costo;
                c.FRACCIONADO = SN(k.fraccionado);
                c.FRACCION = k.fraccion;
                c.ID_FRACCION = k.fraccionado ? k.idFraccion : 0;
                InsertarCompuesto(consultas, c);
            }
        });
        Marcar(QStringLiteral("COMPUESTO"));
        Etapa(QString(), TextoFicha::ErrorFracciones, [&] {
            for (const FraccionFicha &k : a.fracciones)
                InsertarArtFraccionado(consultas, {codigo, k.idFraccion, k.presentacion, k.ajuste});
        });
        Marcar(QStringLiteral("ART_FRACCIONADOS"));
        Etapa(QString(), TextoFicha::ErrorIngredientes, [&] {
            for (const IngredienteFicha &k : a.ingredientes)
                InsertarComposicion(consultas, {codigo, k.droga, k.cantidad});
        });
        Marcar(QStringLiteral("COMPOSICION"));

        const Currency diferencia = f.STOCK - a.stockInicial;
        if (diferencia != Currency()) {
            const bool entrada = diferencia > Currency();
            const Currency d = entrada ? diferencia : -diferencia;
            const QDateTime ahora = QDateTime::currentDateTime();
            const QString numero = ReservarComprobante(consultas, entrada);
            Etapa(TextoFicha::ErrorEncabezado, TextoFicha::ErrorMovimiento, [&] {
                FilaEntradaSalida e;
                e.entrada = entrada;
                e.FECHA = ahora;
                e.COMPROBANTE = numero;
                e.DESCRIPCION = QStringLiteral("Cambio manual de cantidad, artículo ") + codigo +
                                QStringLiteral(". USUARIO: ") + a_.usuario;
                e.CREATE_USERID = a_.usuario;
                r.InsertarMovEntradaSalida(e);
            });
            Marcar(QStringLiteral("ENTRADA_SALIDA"));
            Etapa(TextoFicha::ErrorDetalle, TextoFicha::ErrorGuardarDetalle, [&] {
                FilaDetalleEntradaSalida l;
                l.entrada = entrada;
                l.COMPROBANTE = numero;
                l.FECHA = ahora;
                l.COD_BARRAS = codigo;
                l.DESCRIPCION = f.NOMBRE.left(85);
                l.CANTIDAD = d;
                l.ID_FRACCION = -1;
                l.PRECIO_COSTO = f.PRECIO_COMPRA * d;
                l.PRECIO_VENTA = f.Niveles[0].PREVEN;
                l.TIPO_CAMBIO = a_.tipoCambio;
                l.TIPO_CAMBIO_2 = a_.tipoCambio2;
                r.InsertarDetalleEntradaSalida(l);
            });
            Marcar(QStringLiteral("DETALLE_ENTRADA_SALIDA"));
            Etapa(TextoFicha::ErrorMovStock, TextoFicha::ErrorGuardarDetalle, [&] {
                FilaMovStock m;
                m.FECHA = ahora;
                m.TIPO_MOVIMIENTO = entrada ? 1 : 2;
                m.DESCRIPCION_MOV = numero;
                m.FAMILIA = f.COD_FAMILIA;
                m.COD_BARRAS = codigo;
                m.NOMBRE_ARTICULO = f.NOMBRE.left(100);
                m.COMPROBANTE = numero;
                m.CANTIDAD = d;
                m.CREATE_USERID = m.UPDATE_USERID = a_.usuario;
                m.TIPO_CAMBIO = a_.tipoCambio;
                m.TIPO_CAMBIO_2 = a_.tipoCambio2;
                m.ID_TRANSACCION = -1;
                r.InsertarMovStock(m);
            });
            Marcar(QStringLiteral("MOVIMIENTOS_STOCK"));
            comprobante_ = numero;
        }
        db::CommitTwoPhase({c_.transTienda, c_.transInventario});
        return codigo;
    } catch (...) {
        comprobante_.clear();
        DeshacerTransacciones({c_.transTienda, c_.transInventario});
        throw;
    }
}
