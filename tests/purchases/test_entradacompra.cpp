// Purchase document entry without its window, over the demo data: line amounts and totals,
// accumulation, global discount, restoring the station's document, other stations' rows,
// the checks before processing, the exchange rate, the spreadsheet import, order loading and
// failed writes.
#include "purchases/EntradaCompra.h"

#include "platform/Formato.h"
#include "support/EntornoPrueba.h"
#include "platform/workbook/LibroHojas.h"
#include "support/PruebaVentanas.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QFile>
#include <QTextStream>

#include <functional>

#include <gtest/gtest.h>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const Currency &c, std::ostream *os) { *os << c.toString(); }

namespace {

const QString kCrema = QStringLiteral("7501031311309");     // taxed 13 %, tax included, CODIGO2 CER-0456
const QString kAcetaminofen = QStringLiteral("7441001000011");  // untaxed
const QString kProtector = QStringLiteral("7441001000288");  // taxed 13 %, tax not included
const QString kBotiquin = QStringLiteral("BOT-0001");        // composite

Currency M(const char *texto) { return Currency::fromString(std::string(texto)); }

void EscribirIni(const EntornoPrueba &env, const QString &texto)
{
    QFile f(env.carpeta.file(QStringLiteral("datos.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QTextStream(&f) << texto;
}

// Work rows of every station but this test's one (PRUEBA, till 1).
QString FilasAjenas(db::Database &tienda)
{
    QString out;
    for (const char *tabla : {"TEMPORAL_COMPRAS", "TEMPORAL_ENC_COMPRA"}) {
        db::Transaction t(tienda, db::TransactionKind::Read);
        db::Query q(&tienda, &t);
        q.setSql(QStringLiteral("select * from %1 where not (COMPUTADORA = 'PRUEBA' and NRO_CAJA = 1) order by 1")
                     .arg(QString::fromLatin1(tabla)));
        q.execQuery();
        out += EntornoPrueba::Filas(q);
        t.commit();
    }
    return out;
}

// Another till on this computer and another computer with this till, each with a document.
void SembrarOtrasEstaciones(db::Database &tienda)
{
    for (const auto &[compu, caja] : {std::pair{"PRUEBA", 2}, std::pair{"OTRA", 1}}) {
        EntornoPrueba::Ejecutar(tienda, QStringLiteral(
            "insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, NOMBRE, CANTIDAD, IMPORE_COSTO, "
            "IMP_UNIT_SIN_IV, GRAVADO, PORCE_IV, PORCE_DESC, IMPORTE_DESCUENTO, TOTAL_GRAVADO, SUBTOTAL_GRAVADO, "
            "TOTAL_SIN_IV, IMPORTE_TOLAL_IV, TOTAL_NO_GRAVADO, SUBTOTAL_NO_GRAVADO) values ('%1', %2, '%3', 'X', 2, 7, "
            "7, 'S', 13, 5, 99, 1, 1, 14, 1, 0, 0)").arg(QString::fromLatin1(compu)).arg(caja).arg(kCrema));
        EntornoPrueba::Ejecutar(tienda, QStringLiteral(
            "insert into TEMPORAL_COMPRAS (COMPUTADORA, NRO_CAJA, COD_BARRAS, NOMBRE, CANTIDAD, IMPORE_COSTO, "
            "IMP_UNIT_SIN_IV, GRAVADO) values ('%1', %2, '%3', 'X', 1, 9, 9, 'S')")
            .arg(QString::fromLatin1(compu)).arg(caja).arg(kCrema));
        EntornoPrueba::Ejecutar(tienda, QStringLiteral(
            "insert into TEMPORAL_ENC_COMPRA (COMPUTADORA, NRO_CAJA, COMPROBANTE, CODIGO_PROVEEDOR, POCE_DESCUENTO) "
            "values ('%1', %2, 'AJENO', 1, 5)").arg(QString::fromLatin1(compu)).arg(caja));
    }
}

class Entrada : public ::testing::Test {
protected:
    EntornoPrueba env;
    std::unique_ptr<EntradaCompra> e;

    void SetUp() override { Abrir(); }
    void Abrir()
    {
        e = std::make_unique<EntradaCompra>(*env.datos);
        e->Iniciar();
        e->Restaurar();
    }
    void Proveedor12()
    {
        e->EstablecerProveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
        ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("F-1")));
    }
    LineaEntrada Unica()
    {
        auto l = e->Lineas();
        EXPECT_EQ(l.size(), 1u);
        return l.empty() ? LineaEntrada() : l.front();
    }
};

TEST_F(Entrada, CostoPropuestoQuitaElImpuestoIncluidoYConvierteMoneda)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update INVENTARIO set PRECIO_COMPRA = 113 where COD_BARRAS = '%1'").arg(kCrema));
    auto crema = e->BuscarArticulo(QStringLiteral("cer-0456"));  // second code, typed in lower case
    ASSERT_TRUE(crema);
    EXPECT_EQ(crema->codigo, kCrema);
    EXPECT_EQ(e->CostoPropuesto(*crema), Currency(100));
    auto protector = e->BuscarArticulo(kProtector);
    EXPECT_EQ(e->CostoPropuesto(*protector), Currency(5200));  // tax not included: as stored

    env.datos->CargarTipoCambio();  // 520 and 1
    ASSERT_TRUE(e->EstablecerMoneda(2));
    EXPECT_EQ(e->CostoPropuesto(*protector), Currency(10));
    EXPECT_FALSE(e->BuscarArticulo(QStringLiteral("NO-EXISTE")));
}

TEST_F(Entrada, LineaConDescuentoGlobalEImpuesto)
{
    Proveedor12();
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(10)));  // no lines yet: stamped on new ones
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    const LineaEntrada l = Unica();
    EXPECT_EQ(l.importeDescuento, Currency(3));
    EXPECT_EQ(l.totalGravado, Currency(27));
    EXPECT_EQ(l.subtotalGravado, Currency(30));
    EXPECT_EQ(l.importeIv, M("3.51"));
    EXPECT_EQ(l.unitConIv, M("11.3"));
    EXPECT_EQ(l.totalConIv, M("33.9"));
    EXPECT_EQ(l.porceIv, Currency(13));
    EXPECT_EQ(l.gravado, QStringLiteral("S"));
    EXPECT_EQ(l.ivi, QStringLiteral("S"));
    const TotalesEntrada &t = e->Totales();
    EXPECT_EQ(t.TotalSinIV, Currency(30));
    EXPECT_EQ(t.SubTotal2, Currency(27));
    EXPECT_EQ(t.Impuesto, M("3.51"));
    EXPECT_EQ(t.Total, M("30.51"));
    EXPECT_EQ(t.PorcentajeDescuento(), Currency(10));

    // An untaxed line: no tax, its amounts on the untaxed side.
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(2), M("12.5")), EntradaCompra::Resultado::Agregada);
    auto lineas = e->Lineas();
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[1].subtotalNoGravado, Currency(25));
    EXPECT_EQ(lineas[1].totalNoGravado, M("22.5"));
    EXPECT_EQ(lineas[1].importeIv, Currency());
    EXPECT_EQ(lineas[1].porceIv, Currency());
    EXPECT_EQ(lineas[1].numeroLinea, 2);
    EXPECT_EQ(e->Totales().Total, M("53.01"));
    EXPECT_EQ(e->Totales().SubtotalNoGravado, Currency(25));
}

TEST_F(Entrada, RechazaLoQueNoSePuedeComprar)
{
    using R = EntradaCompra::Resultado;
    EXPECT_EQ(e->AgregarArticulo(kBotiquin, Currency(1), Currency(10)), R::Compuesto);
    EXPECT_EQ(e->AgregarArticulo(QStringLiteral("NO-EXISTE"), Currency(1), Currency(10)), R::NoEncontrado);
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(), Currency(10)), R::CantidadInvalida);
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(-1), Currency(10)), R::CantidadInvalida);
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency()), R::CostoInvalido);
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(999999), Currency(999999999)), R::CostoInvalido);
    EXPECT_EQ(e->CantidadLineas(), 0);
}

TEST_F(Entrada, AcumulaPreguntandoAntesDeCambiarElCosto)
{
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(2), Currency(10)), EntradaCompra::Resultado::Agregada);
    env.mensajes.Limpiar();
    // Same cost: no question.
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Acumulada);
    EXPECT_TRUE(env.mensajes.mostrados().empty());

    env.mensajes.Responder(Mensajes::Respuesta::No);
    EXPECT_EQ(e->AgregarArticulo(QStringLiteral("CER-0456"), Currency(2), Currency(12)), EntradaCompra::Resultado::Acumulada);
    ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
    EXPECT_EQ(env.mensajes.mostrados()[0].texto, EntradaCompra::kPreguntaCambioCosto);
    EXPECT_EQ(env.mensajes.mostrados()[0].titulo, QStringLiteral("Información"));
    LineaEntrada l = Unica();
    EXPECT_EQ(l.cantidad, Currency(5));
    EXPECT_EQ(l.costo, Currency(10));
    EXPECT_EQ(l.totalGravado, Currency(50));

    env.mensajes.Responder(Mensajes::Respuesta::Si);
    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(12)), EntradaCompra::Resultado::Acumulada);
    l = Unica();
    EXPECT_EQ(l.cantidad, Currency(6));
    EXPECT_EQ(l.costo, Currency(12));
    EXPECT_EQ(l.unitSinIv, Currency(12));
    EXPECT_EQ(l.totalSinIv, Currency(72));
    EXPECT_EQ(l.importeIv, M("9.36"));
    EXPECT_EQ(e->Totales().Total, M("81.36"));
}

TEST_F(Entrada, SinAcumularPideElegirElCostoYNoTocaElInventario)
{
    EscribirIni(env, QStringLiteral("[Functions]\nAcumulaRenglonesCompras=N\n"));
    Abrir();
    ASSERT_FALSE(e->AcumulaRenglones());
    Proveedor12();
    for (const char *costo : {"12", "10", "11", "10"})
        ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), M(costo)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kProtector, Currency(1), Currency(5)), EntradaCompra::Resultado::Agregada);
    EXPECT_EQ(e->CantidadLineas(), 5);

    const auto v = e->Validar();
    EXPECT_EQ(v.falla, EntradaCompra::Falla::ElegirPrecios);
    EXPECT_EQ(v.codigosVariosCostos, QStringList{kCrema});
    EXPECT_EQ(e->CostosDeArticulo(kCrema), (std::vector<Currency>{Currency(12), Currency(11), Currency(10)}));

    const QString antes = EntornoPrueba::Volcado(env.inventario);
    e->EstablecerPreciosElegidos({{kCrema, Currency(11)}});
    EXPECT_TRUE(e->Validar());
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), antes);  // only the posting writes them
}

TEST_F(Entrada, DescuentoGlobalPorPorcentajeYPorImporte)
{
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(20)), EntradaCompra::Resultado::Agregada);
    QString motivo;
    EXPECT_FALSE(e->AplicarDescuentoGlobal(M("100.01"), &motivo));
    EXPECT_EQ(motivo, EntradaCompra::kPorcentajeMayor100);
    EXPECT_FALSE(e->AplicarDescuentoGlobal(Currency(-1), &motivo));

    // 5 of 50: 10 % on every line.
    ASSERT_TRUE(e->AplicarDescuentoImporte(Currency(5)));
    EXPECT_EQ(e->PorcDescuento(), Currency(10));
    EXPECT_EQ(e->Totales().Descuento, Currency(5));
    EXPECT_EQ(e->Totales().Total, M("48.51"));
    // More than the lines without tax: ignored.
    EXPECT_FALSE(e->AplicarDescuentoImporte(M("50.01")));
    EXPECT_EQ(e->PorcDescuento(), Currency(10));
    // A third of the total: four decimals.
    ASSERT_TRUE(e->AplicarDescuentoImporte(Currency(7)));
    EXPECT_EQ(e->PorcDescuento(), Currency(14));
    ASSERT_TRUE(e->AplicarDescuentoImporte(Currency(1)));
    EXPECT_EQ(e->PorcDescuento(), Currency(2));
    ASSERT_TRUE(e->AplicarDescuentoGlobal(M("33.3333")));
    for (const LineaEntrada &l : e->Lineas())
        EXPECT_EQ(l.porceDesc, M("33.3333"));
    EXPECT_EQ(e->Lineas()[0].importeDescuento, Currency(10));  // 9.99999 rounded once
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency()));
    EXPECT_EQ(e->Totales().Descuento, Currency());
}

TEST_F(Entrada, LineaEditadaConSuPropioDescuento)
{
    Proveedor12();
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(10)));
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(20)), EntradaCompra::Resultado::Agregada);
    const CalculoLinea c = EntradaCompra::CalcularEdicion(Currency(10), Currency(3), Currency(10));
    EXPECT_EQ(c.subtotal, Currency(30));
    EXPECT_EQ(c.descuento, Currency(3));
    EXPECT_EQ(c.total, Currency(27));

    auto lineas = e->Lineas();
    CambioLinea cambio{Currency(10), Currency(4), Currency(10), true, true, Currency(1500)};
    ASSERT_TRUE(e->ModificarLinea(lineas[0].id, cambio));  // only the quantity
    EXPECT_EQ(e->Lineas()[0].importeDescuento, Currency(4));
    EXPECT_EQ(e->PorcDescuento(), Currency(10));
    EXPECT_EQ(e->Lineas()[0].precioVenta, Currency(1500));

    cambio.porcDescuento = Currency(25);
    ASSERT_TRUE(e->ModificarLinea(lineas[0].id, cambio));
    EXPECT_EQ(e->PorcDescuento(), Currency());
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, QStringLiteral("select POCE_DESCUENTO from TEMPORAL_ENC_COMPRA "
                                                                "where COMPUTADORA = 'PRUEBA' and NRO_CAJA = 1")),
              Currency());
    lineas = e->Lineas();
    EXPECT_EQ(lineas[0].importeDescuento, Currency(10));
    EXPECT_EQ(lineas[1].porceDesc, Currency(10));  // the other line keeps its percentage

    // Untaxed: no tax rate; taxed again: the article's rate.
    cambio.gravado = false;
    ASSERT_TRUE(e->ModificarLinea(lineas[0].id, cambio));
    EXPECT_EQ(e->Lineas()[0].importeIv, Currency());
    EXPECT_EQ(e->Lineas()[0].totalNoGravado, Currency(30));
    cambio.gravado = true;
    ASSERT_TRUE(e->ModificarLinea(lineas[0].id, cambio));
    EXPECT_EQ(e->Lineas()[0].porceIv, Currency(13));
    EXPECT_EQ(e->Lineas()[0].importeIv, M("3.9"));

    cambio.porcDescuento = M("100.5");
    EXPECT_FALSE(e->ModificarLinea(lineas[0].id, cambio));
}

TEST_F(Entrada, CerrarYAbrirRestauraElDocumento)
{
    Proveedor12();
    const QDate fecha = QDate::currentDate().addDays(-3);
    e->EstablecerFecha(fecha);
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(20)), EntradaCompra::Resultado::Agregada);
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(10)));
    const TotalesEntrada antes = e->Totales();

    e = std::make_unique<EntradaCompra>(*env.datos);
    e->Iniciar();
    ASSERT_TRUE(e->Restaurar());
    EXPECT_EQ(e->CodigoProveedor(), 12);
    EXPECT_EQ(e->NombreProveedor(), QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    EXPECT_EQ(e->Comprobante(), QStringLiteral("F-1"));
    EXPECT_EQ(e->Fecha(), fecha);
    EXPECT_EQ(e->PorcDescuento(), Currency(10));
    EXPECT_EQ(e->Totales().Total, antes.Total);
    EXPECT_EQ(e->Totales().Descuento, Currency(5));
    EXPECT_EQ(env.datos->TMP_Compra->recordCount(), 2);
    ASSERT_EQ(e->AgregarArticulo(kProtector, Currency(1), Currency(5)), EntradaCompra::Resultado::Agregada);
    EXPECT_EQ(e->Lineas().back().numeroLinea, 3);
    EXPECT_EQ(e->Lineas().back().porceDesc, Currency(10));

    // A header left without lines is dropped on opening.
    ASSERT_TRUE(e->LimpiarFactura());
    e->EstablecerProveedor(12, QStringLiteral("X"));
    Abrir();
    EXPECT_EQ(e->CodigoProveedor(), 0);
    EXPECT_EQ(EntornoPrueba::Entero(env.tienda, QStringLiteral("select count(*) from TEMPORAL_ENC_COMPRA where "
                                                                "COMPUTADORA = 'PRUEBA' and NRO_CAJA = 1")),
              0);
}

TEST_F(Entrada, OtrasEstacionesNoSeTocan)
{
    SembrarOtrasEstaciones(env.tienda);
    const QString ajenas = FilasAjenas(env.tienda);
    Abrir();
    EXPECT_EQ(e->CantidadLineas(), 0);
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Acumulada);
    EXPECT_EQ(Unica().cantidad, Currency(2));  // not accumulated onto another station's line
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(50)));
    EXPECT_EQ(e->Totales().TotalSinIV, Currency(20));
    EXPECT_TRUE(e->ArticulosConVariosCostos().isEmpty());
    EXPECT_EQ(e->CostosDeArticulo(kCrema), std::vector<Currency>{Currency(10)});
    ASSERT_TRUE(e->RecalcularLineas());
    ASSERT_TRUE(e->EliminarLinea(e->Lineas()[0].id));
    EXPECT_EQ(FilasAjenas(env.tienda), ajenas);
    const int ajena = EntornoPrueba::Entero(env.tienda, QStringLiteral("select min(ID_TEMP_COMPRA) from TEMPORAL_COMPRAS"));
    EXPECT_FALSE(e->EliminarLinea(ajena));
    EXPECT_FALSE(e->ModificarLinea(ajena, {Currency(1), Currency(1), Currency(), true, true, Currency()}));
    ASSERT_TRUE(e->LimpiarFactura());
    EXPECT_EQ(FilasAjenas(env.tienda), ajenas);
}

TEST_F(Entrada, ValidarAntesDeProcesar)
{
    using F = EntradaCompra::Falla;
    EXPECT_EQ(e->Validar().falla, F::SinProveedor);
    e->EstablecerProveedor(1, QStringLiteral("DISTRIBUIDORA FARMACEUTICA DEL VALLE S.A."));
    EXPECT_EQ(e->Validar().falla, F::SinComprobante);
    EXPECT_FALSE(e->EstablecerComprobante(QStringLiteral("1234567890123")));  // 13 characters
    ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("0045871")));
    e->EstablecerFecha(QDate());
    EXPECT_EQ(e->Validar().falla, F::SinFecha);
    e->EstablecerFecha(QDate::currentDate());
    EXPECT_EQ(e->Validar().falla, F::SinLineas);
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    const auto v = e->Validar();
    EXPECT_EQ(v.falla, F::ComprobanteUsado);
    EXPECT_EQ(v.mensaje, EntradaCompra::kComprobanteUsado);
    // The same number from another supplier is free.
    e->EstablecerProveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    EXPECT_TRUE(e->Validar());
    // As a credit note the number is checked against the supplier's notes.
    e->EstablecerTipoComprobante(EntradaCompra::TipoNotaCredito);
    EXPECT_TRUE(e->Validar());
}

TEST_F(Entrada, ProveedorExentoSinImpuesto)
{
    EntornoPrueba::Ejecutar(env.inventario, QStringLiteral("update PROVEEDORES set EXENTO = 'S' where COD_PROVEEDOR = 12"));
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_TRUE(e->Validar());
    ASSERT_TRUE(e->AplicarExencion());
    EXPECT_TRUE(e->ProveedorExento());
    EXPECT_EQ(e->Totales().Impuesto, Currency());
    EXPECT_EQ(e->Totales().Total, Currency(30));
    e->EstablecerProveedor(1, QStringLiteral("DFV"));
    EXPECT_FALSE(e->AplicarExencion());
}

TEST_F(Entrada, TipoDeCambioCeroRechazaLaSegundaMoneda)
{
    env.datos->TipoCambio = Currency();
    env.datos->TipoCambio2 = Currency(1);
    QString motivo;
    EXPECT_FALSE(e->EstablecerMoneda(2, &motivo));
    EXPECT_EQ(e->Moneda(), 1);
    EXPECT_TRUE(motivo.contains(QStringLiteral("tipo de cambio es cero"))) << motivo.toStdString();
    EXPECT_TRUE(motivo.contains(QStringLiteral("Dólares")));
    EXPECT_EQ(e->TransformaMonedaDos(Currency(520)), Currency(520));

    // A document already in the second currency cannot be processed once a rate is 0.
    env.datos->CargarTipoCambio();
    ASSERT_TRUE(e->EstablecerMoneda(2));
    EXPECT_EQ(e->TransformaMonedaDos(Currency(520)), Currency(1));
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    env.datos->TipoCambio2 = Currency();
    EXPECT_EQ(e->Validar().falla, EntradaCompra::Falla::TipoCambioCero);
}

TEST_F(Entrada, CambioDeMonedaConvierteLasLineas)
{
    env.datos->CargarTipoCambio();  // 520 and 1
    Proveedor12();
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(10)));
    ASSERT_EQ(e->AgregarArticulo(kProtector, Currency(2), Currency(5200)), EntradaCompra::Resultado::Agregada);

    QString motivo, aviso;
    ASSERT_TRUE(e->EstablecerMoneda(2, &motivo, &aviso)) << motivo.toStdString();
    EXPECT_EQ(e->Moneda(), 2);
    EXPECT_TRUE(aviso.contains(QStringLiteral("1 línea(s)"))) << aviso.toStdString();
    EXPECT_TRUE(aviso.contains(QStringLiteral("Dólares"))) << aviso.toStdString();
    LineaEntrada l = Unica();
    EXPECT_EQ(l.costo, Currency(10));
    EXPECT_EQ(l.unitSinIv, Currency(10));
    EXPECT_EQ(l.unitConIv, M("11.3"));
    EXPECT_EQ(l.totalSinIv, Currency(20));
    EXPECT_EQ(l.importeDescuento, Currency(2));
    EXPECT_EQ(l.importeIv, M("2.34"));
    EXPECT_EQ(l.cantidad, Currency(2));
    EXPECT_EQ(e->Totales().Total, M("20.34"));

    // Choosing the same currency again converts nothing.
    aviso.clear();
    ASSERT_TRUE(e->EstablecerMoneda(2, &motivo, &aviso));
    EXPECT_TRUE(aviso.isEmpty());
    EXPECT_EQ(Unica().costo, Currency(10));

    // Back to the local currency, and the currency survives reopening.
    ASSERT_TRUE(e->EstablecerMoneda(1, &motivo, &aviso));
    EXPECT_EQ(Unica().costo, Currency(5200));
    EXPECT_EQ(e->Totales().Total, M("10576.8"));
    ASSERT_TRUE(e->EstablecerMoneda(2));
    Abrir();
    EXPECT_EQ(e->Moneda(), 2);
    EXPECT_EQ(Unica().costo, Currency(10));
}

TEST_F(Entrada, CambioDeMonedaSeRechazaSinTocarLasLineas)
{
    env.datos->CargarTipoCambio();
    Proveedor12();
    ASSERT_TRUE(e->EstablecerMoneda(2));
    // $2,000,000 is more than 999,999,999.99 in the local currency.
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(2000000)), EntradaCompra::Resultado::Agregada);
    QString motivo;
    EXPECT_FALSE(e->EstablecerMoneda(1, &motivo));
    EXPECT_EQ(motivo, EntradaCompra::kNoConvierteLineas);
    EXPECT_EQ(e->Moneda(), 2);
    EXPECT_EQ(Unica().costo, Currency(2000000));
    EXPECT_EQ(e->Totales().Total, Currency(2000000));
    Abrir();
    EXPECT_EQ(e->Moneda(), 2);

    // Two lines that each fit but together pass the document's bound: nothing changes either.
    ASSERT_TRUE(e->EliminarLinea(Unica().id));
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(1000000)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kProtector, Currency(1), Currency(1000000)), EntradaCompra::Resultado::Agregada);
    EXPECT_FALSE(e->EstablecerMoneda(1, &motivo));
    EXPECT_EQ(motivo, EntradaCompra::kTotalExcede);
    for (const LineaEntrada &x : e->Lineas())
        EXPECT_EQ(x.costo, Currency(1000000));

    // With a rate of 0 the lines cannot follow the currency.
    env.datos->TipoCambio = Currency();
    EXPECT_FALSE(e->EstablecerMoneda(1, &motivo));
    EXPECT_EQ(motivo, EntradaCompra::kNoConvierteTipoCambio);
    EXPECT_EQ(e->Moneda(), 2);
}

// ---- spreadsheet import

QString EscribirLibro(const QString &ruta, const std::vector<QStringList> &filas)
{
    THojaCalc hoja(thcNone, false);
    hoja.SetCellText(1, 1, QStringLiteral("Importación"));
    for (std::size_t i = 0; i < filas.size(); ++i)
        for (int c = 0; c < filas[i].size(); ++c)
            if (!filas[i][c].isEmpty())
                hoja.SetCellText(static_cast<int>(i) + 3, c + 1, filas[i][c]);
    hoja.SaveDocAs(ruta);
    return hoja.FileName;
}

TEST_F(Entrada, ImportaLaHojaCompleta)
{
    Proveedor12();
    const QString archivo = EscribirLibro(env.carpeta.file(QStringLiteral("compras.xlsx")), {
        {QStringLiteral("cer-0456"), QString(), QStringLiteral("3"), QStringLiteral("10"), QStringLiteral("10")},
        {QStringLiteral("nuevo-1"), QStringLiteral("crema de manos"), QStringLiteral("2"), QStringLiteral("1,250.50"),
         QString(), QStringLiteral("2000"), QStringLiteral("n"), QStringLiteral("N")},
        {kAcetaminofen, QStringLiteral("otro nombre"), QStringLiteral("1.5"), QStringLiteral("4")},
        {QStringLiteral("NUEVO-1"), QString(), QStringLiteral("1"), QStringLiteral("1250.5")},
    });
    std::vector<std::pair<int, int>> avance;
    const ResultadoImportacion r = e->ImportarArchivo(archivo, [&](int h, int t) { avance.push_back({h, t}); });
    ASSERT_TRUE(r.ok) << r.mensaje.toStdString();
    EXPECT_EQ(r.lineas, 4);
    EXPECT_EQ(r.articulosCreados, 1);
    ASSERT_EQ(avance.size(), 4u);
    EXPECT_EQ(avance.back(), (std::pair<int, int>{4, 4}));

    const auto l = e->Lineas();
    ASSERT_EQ(l.size(), 4u);  // appended, never accumulated
    EXPECT_EQ(l[0].codigo, kCrema);
    EXPECT_EQ(l[0].nombre, QStringLiteral("CREMA DENTAL CON FLUOR 100 ML"));
    EXPECT_EQ(l[0].importeDescuento, Currency(3));
    EXPECT_EQ(l[0].importeIv, M("3.51"));
    EXPECT_EQ(l[1].codigo, QStringLiteral("NUEVO-1"));
    EXPECT_EQ(l[1].gravado, QStringLiteral("N"));
    EXPECT_EQ(l[1].precioVenta, Currency(2000));
    EXPECT_EQ(l[1].totalNoGravado, Currency(2501));
    EXPECT_EQ(l[2].nombre, QStringLiteral("OTRO NOMBRE"));
    EXPECT_EQ(l[2].cantidad, M("1.5"));
    EXPECT_EQ(l[3].codigo, QStringLiteral("NUEVO-1"));
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, QStringLiteral("select NOMBRE || '|' || GRAVADO || '|' || "
                                                                   "BASECALCULO_1 || '|' || ACTUALIZAR_EXIST from "
                                                                   "INVENTARIO where COD_BARRAS = 'NUEVO-1'")),
              QStringLiteral("CREMA DE MANOS|N|1|S"));
    EXPECT_EQ(e->Totales().TotalSinIV, M("3787.5"));
}

TEST_F(Entrada, UnaHojaConErroresNoCambiaNada)
{
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    const QString tiendaAntes = EntornoPrueba::Volcado(env.tienda);
    const QString inventarioAntes = EntornoPrueba::Volcado(env.inventario);
    const TotalesEntrada totalesAntes = e->Totales();
    struct Caso {
        QStringList fila;
        int columna;
        const char *dice;
    };
    const std::vector<Caso> casos = {
        {{kCrema, QString(), QStringLiteral("dos"), QStringLiteral("10")}, 3, "no es un número"},
        {{kCrema, QString(), QStringLiteral("0"), QStringLiteral("10")}, 3, "mayor a cero"},
        {{kCrema, QString(), QStringLiteral("1"), QStringLiteral("-10")}, 4, "negativo"},
        {{kCrema, QString(), QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("150")}, 5, "fuera del rango"},
        {{kCrema, QString(), QStringLiteral("1"), QString()}, 4, "vacía"},
        {{kCrema, QString(), QStringLiteral("1"), QStringLiteral("10"), QString(), QString(), QStringLiteral("X")}, 7, "S o N"},
        {{QStringLiteral("NUEVO-2"), QString(), QStringLiteral("1"), QStringLiteral("10")}, 2, "falta su descripción"},
        {{kBotiquin, QString(), QStringLiteral("1"), QStringLiteral("10")}, 1, "compuesto"},
        {{kCrema, QString(), QStringLiteral("999999"), QStringLiteral("999999999")}, 3, "demasiado grande"},
    };
    for (const Caso &c : casos) {
        // A good row first and after: the bad one in row 4 spoils the whole sheet.
        const QStringList buena = {QStringLiteral("NUEVO-3"), QStringLiteral("ARTICULO"), QStringLiteral("1"),
                                   QStringLiteral("5")};
        const QString archivo = EscribirLibro(env.carpeta.file(QStringLiteral("mala.xlsx")), {buena, c.fila, buena});
        const ResultadoImportacion r = e->ImportarArchivo(archivo);
        EXPECT_FALSE(r.ok) << c.dice;
        ASSERT_EQ(r.errores.size(), 1u) << c.dice << " " << r.mensaje.toStdString();
        EXPECT_EQ(r.errores[0].fila, 4);
        EXPECT_EQ(r.errores[0].columna, c.columna) << c.dice;
        EXPECT_TRUE(r.errores[0].texto.contains(QString::fromUtf8(c.dice))) << r.errores[0].texto.toStdString();
        EXPECT_TRUE(r.mensaje.contains(QStringLiteral("Fila 4, columna %1").arg(c.columna))) << r.mensaje.toStdString();
    }
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tiendaAntes);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventarioAntes);
    EXPECT_EQ(e->Totales().Total, totalesAntes.Total);

    const ResultadoImportacion r = e->ImportarArchivo(env.carpeta.file(QStringLiteral("no-existe.xlsx")));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.mensaje.isEmpty());
    EXPECT_EQ(e->ImportarArchivo(QString()).mensaje, EntradaCompra::kSinArchivo);
}

// Totals past the largest document are refused whole: per row, for the sheet, after taxes, and
// when typed or edited; nothing is written and the totals stay as they were.
TEST_F(Entrada, TotalesFueraDeRangoNoSeEscriben)
{
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    ASSERT_EQ(e->AgregarArticulo(kProtector, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    const QString tiendaAntes = EntornoPrueba::Volcado(env.tienda);
    const QString inventarioAntes = EntornoPrueba::Volcado(env.inventario);
    const Currency totalAntes = e->Totales().Total;

    // Ten thousand rows of 1,000,000 x 100,000 once went in with a total of 0.
    std::vector<QStringList> enorme(10000, {kAcetaminofen, QString(), QStringLiteral("1000000"), QStringLiteral("100000")});
    ResultadoImportacion r = e->ImportarArchivo(EscribirLibro(env.carpeta.file(QStringLiteral("enorme.xlsx")), enorme));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.errores.size(), 10000u);
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("máximo 999,999.9999"))) << r.mensaje.toStdString();

    // Each row within bounds, the sheet's total is not.
    const std::vector<QStringList> suma(3, {kAcetaminofen, QString(), QStringLiteral("1000"), QStringLiteral("500000")});
    r = e->ImportarArchivo(EscribirLibro(env.carpeta.file(QStringLiteral("suma.xlsx")), suma));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("999,999,999.99"))) << r.mensaje.toStdString();

    // Within bounds before tax, beyond them with it.
    const std::vector<QStringList> impuesto = {{kProtector, QString(), QStringLiteral("1"), QStringLiteral("999999000")}};
    r = e->ImportarArchivo(EscribirLibro(env.carpeta.file(QStringLiteral("impuesto.xlsx")), impuesto));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.mensaje.contains(EntradaCompra::kTotalExcede)) << r.mensaje.toStdString();

    EXPECT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(999999000)), EntradaCompra::Resultado::Error);
    EXPECT_EQ(e->UltimoError(), EntradaCompra::kTotalExcede);
    // Added to the line already there, the quantity goes past the largest one.
    EXPECT_EQ(e->AgregarArticulo(kAcetaminofen, M("999999.9999"), Currency(10)), EntradaCompra::Resultado::CantidadInvalida);

    const LineaEntrada l = e->Lineas().at(0);
    ASSERT_EQ(l.codigo, kAcetaminofen);
    CambioLinea cambio;
    cambio.costo = M("999999999.99");  // alone within bounds; with the other line, not
    cambio.cantidad = l.cantidad;
    cambio.precioVenta = l.precioVenta;
    EXPECT_FALSE(e->ModificarLinea(l.id, cambio));
    EXPECT_EQ(e->UltimoError(), EntradaCompra::kTotalExcede);

    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tiendaAntes);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventarioAntes);
    EXPECT_EQ(e->CantidadLineas(), 2);
    EXPECT_EQ(e->Totales().Total, totalAntes);
    EXPECT_NE(e->Validar().falla, EntradaCompra::Falla::TotalExcede);
}

TEST_F(Entrada, HojaConMasDeCuatroDecimalesRedondeaYAvisa)
{
    Proveedor12();
    const QString archivo = EscribirLibro(env.carpeta.file(QStringLiteral("decimales.xlsx")), {
        {kAcetaminofen, QString(), QStringLiteral("2"), QStringLiteral("10.12345")},
        {kAcetaminofen, QString(), QStringLiteral("1.5"), QStringLiteral("4.50000")},
    });
    const ResultadoImportacion r = e->ImportarArchivo(archivo);
    ASSERT_TRUE(r.ok) << r.mensaje.toStdString();
    ASSERT_EQ(r.avisos.size(), 1);
    EXPECT_TRUE(r.avisos[0].contains(QStringLiteral("Fila 3, columna 4"))) << r.avisos[0].toStdString();
    EXPECT_TRUE(r.avisos[0].contains(QStringLiteral("10.1234"))) << r.avisos[0].toStdString();
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("redondearon"))) << r.mensaje.toStdString();
    EXPECT_EQ(e->Lineas().at(0).costo, M("10.1234"));
}

TEST_F(Entrada, PlantillaDeCarga)
{
    const QString reportes = env.carpeta.file(QStringLiteral("reportes"));
    const QString documentos = env.carpeta.file(QStringLiteral("documentos"));
    QDir().mkpath(reportes);
    QString error;
    EXPECT_TRUE(EntradaCompra::CopiarPlantilla(reportes, QString(), &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("No puedo encontrar MisDocumentos."));
    // A folder under a plain file cannot be created.
    QFile archivo(env.carpeta.file(QStringLiteral("archivo")));
    ASSERT_TRUE(archivo.open(QIODevice::WriteOnly));
    archivo.close();
    error.clear();
    EXPECT_TRUE(EntradaCompra::CopiarPlantilla(reportes, archivo.fileName() + QStringLiteral("/docs"), &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("No puedo encontrar MisDocumentos."));
    // A missing documents folder is created.
    EXPECT_TRUE(EntradaCompra::CopiarPlantilla(reportes, documentos, &error).isEmpty());
    EXPECT_EQ(error, QStringLiteral("La hoja \"Comp_importar_compras.xlsx\" no existe, solicítela a su técnico"));
    EXPECT_TRUE(QDir(documentos).exists());

    ASSERT_TRUE(EntradaCompra::EscribirPlantillaImportacion(reportes + QStringLiteral("/Comp_importar_compras.xlsx")));
    const QString copia = EntradaCompra::CopiarPlantilla(reportes, documentos, &error);
    ASSERT_FALSE(copia.isEmpty()) << error.toStdString();
    const LibroHojas libro = LeerLibro(copia);
    ASSERT_FALSE(libro.hojas.empty());
    EXPECT_EQ(TextoVisible(*libro.hojas[0].celda(2, 3)), QStringLiteral("Cantidad"));
    EXPECT_EQ(libro.hojas[0].ultimaFila(), 2);  // the template imports nothing by itself

    // The shipped template matches.
    const QString enviada = QStringLiteral(COMPRAS_REPORTES_FUENTE "/Comp_importar_compras.xlsx");
    const LibroHojas original = LeerLibro(enviada);
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(TextoVisible(*original.hojas[0].celda(2, c)), TextoVisible(*libro.hojas[0].celda(2, c)));
}

TEST_F(Entrada, CargaUnPedido)
{
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE) values ('P-9')"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into DETALLE_PEDIDO (COMPROBANTE, COD_BARRAS, "
                                                       "NOMBRE_ARTICULO, CANTIDAD, PRECIO_COMPRA) values ('P-9', "
                                                       "'CER-0456', 'CREMA', 4, 800)"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into DETALLE_PEDIDO (COMPROBANTE, COD_BARRAS, "
                                                       "NOMBRE_ARTICULO, CANTIDAD, PRECIO_COMPRA) values ('P-9', "
                                                       "'PED-NUEVO', 'Nuevo del pedido', 2, 100)"));
    ASSERT_TRUE(e->CargarPedido(QStringLiteral("P-9"), 12, QStringLiteral("EL ROBLE"), 2));
    EXPECT_TRUE(e->ModoPedido);
    const auto l = e->Lineas();
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(l[0].codigo, kCrema);
    EXPECT_EQ(l[0].totalSinIv, Currency(3200));
    EXPECT_EQ(l[1].codigo, QStringLiteral("PED-NUEVO"));
    EXPECT_EQ(EntornoPrueba::Texto(env.inventario, QStringLiteral("select NOMBRE from INVENTARIO where COD_BARRAS = 'PED-NUEVO'")),
              QStringLiteral("NUEVO DEL PEDIDO"));
}

// ---- failed writes

// Triggers that raise while FALLA_PRUEBA holds "<TABLE>:<I|U|D>".
void PrepararFallas(db::Database &base, const QStringList &tablas)
{
    EntornoPrueba::Ejecutar(base, QStringLiteral("create table FALLA_PRUEBA (CLAVE varchar(60))"));
    EntornoPrueba::Ejecutar(base, QStringLiteral("create exception E_FALLA_PRUEBA 'falla de prueba'"));
    int n = 0;
    for (const QString &t : tablas)
        for (const char *ev : {"INSERT", "UPDATE", "DELETE"})
            EntornoPrueba::Ejecutar(base, QStringLiteral("create trigger T_FALLA_%1 for %2 active before %3 as begin "
                                                         "if (exists(select 1 from FALLA_PRUEBA where CLAVE = '%2:%4')) "
                                                         "then exception E_FALLA_PRUEBA; end")
                                              .arg(++n)
                                              .arg(t, QLatin1String(ev), QString(QLatin1Char(ev[0]))));
}

void Fallar(db::Database &base, const QString &clave)
{
    EntornoPrueba::Ejecutar(base, QStringLiteral("delete from FALLA_PRUEBA"));
    if (!clave.isEmpty())
        EntornoPrueba::Ejecutar(base, QStringLiteral("insert into FALLA_PRUEBA values ('%1')").arg(clave));
}

TEST_F(Entrada, UnaEscrituraFallidaDejaLineasYTotalesComoEstaban)
{
    PrepararFallas(env.tienda, {QStringLiteral("TEMPORAL_COMPRAS"), QStringLiteral("TEMPORAL_ENC_COMPRA")});
    Proveedor12();
    ASSERT_TRUE(e->AplicarDescuentoGlobal(Currency(10)));
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(3), Currency(10)), EntradaCompra::Resultado::Agregada);
    const Currency total = e->Totales().Total;
    const int id = e->Lineas()[0].id;
    using R = EntradaCompra::Resultado;

    struct Caso {
        const char *falla;
        std::function<bool()> operacion;
        const char *mensaje;  // shown to the user, or null
    };
    const std::vector<Caso> casos = {
        {"TEMPORAL_COMPRAS:I", [&] { return e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(5)) != R::Error; }, nullptr},
        // the line is written, then the header fails: the line goes too
        {"TEMPORAL_ENC_COMPRA:U", [&] { return e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(5)) != R::Error; }, nullptr},
        {"TEMPORAL_COMPRAS:U", [&] { return e->AgregarArticulo(kCrema, Currency(1), Currency(10)) != R::Error; }, nullptr},
        {"TEMPORAL_COMPRAS:U", [&] { return e->AplicarDescuentoGlobal(Currency(20)); },
         "No se pudo aplicar el descuento ocurrio un error."},
        {"TEMPORAL_ENC_COMPRA:U",
         [&] { return e->ModificarLinea(id, {Currency(10), Currency(3), Currency(25), true, true, Currency()}); }, nullptr},
        {"TEMPORAL_COMPRAS:D", [&] { return e->EliminarLinea(id); }, nullptr},
        {"TEMPORAL_COMPRAS:D", [&] { return e->LimpiarFactura(); }, "No se pudieron eliminar los datos."},
    };
    for (const Caso &c : casos) {
        Fallar(env.tienda, QString::fromLatin1(c.falla));
        const QString antes = EntornoPrueba::Volcado(env.tienda);
        env.mensajes.Limpiar();
        EXPECT_FALSE(c.operacion()) << c.falla;
        EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), antes) << c.falla;
        EXPECT_TRUE(e->UltimoError().contains(QString::fromLatin1(c.falla).section(QLatin1Char(':'), 0, 0)))
            << e->UltimoError().toStdString();
        EXPECT_EQ(e->Totales().Total, total) << c.falla;
        EXPECT_EQ(e->PorcDescuento(), Currency(10)) << c.falla;
        EXPECT_EQ(e->NumeroLinea(), 1) << c.falla;
        EXPECT_EQ(env.datos->TMP_Compra->recordCount(), 1) << c.falla;
        if (c.mensaje) {
            EXPECT_TRUE(env.mensajes.Mostro(QString::fromUtf8(c.mensaje))) << c.falla;
        }
    }

    // A header that cannot be saved is reported.
    Fallar(env.tienda, QStringLiteral("TEMPORAL_ENC_COMPRA:U"));
    env.mensajes.Limpiar();
    ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("F-2")));
    ASSERT_EQ(env.mensajes.mostrados().size(), 1u);
    EXPECT_TRUE(env.mensajes.mostrados()[0].texto.startsWith(EntradaCompra::kNoGuardaEncabezado));

    Fallar(env.tienda, QString());
    ASSERT_EQ(e->AgregarArticulo(kAcetaminofen, Currency(1), Currency(5)), R::Agregada);
    EXPECT_EQ(e->Lineas().back().numeroLinea, 2);  // no number lost to the failed attempts
}

TEST_F(Entrada, ImportacionQueNoPuedeCrearUnArticuloNoDejaNada)
{
    PrepararFallas(env.inventario, {QStringLiteral("INVENTARIO")});
    Fallar(env.inventario, QStringLiteral("INVENTARIO:I"));
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    const QString tienda = EntornoPrueba::Volcado(env.tienda);
    const QString inventario = EntornoPrueba::Volcado(env.inventario);
    const QString archivo = EscribirLibro(env.carpeta.file(QStringLiteral("compras.xlsx")), {
        {kAcetaminofen, QString(), QStringLiteral("2"), QStringLiteral("4")},
        {QStringLiteral("NUEVO-9"), QStringLiteral("ARTICULO NUEVO"), QStringLiteral("1"), QStringLiteral("7")},
    });
    std::vector<int> avance;
    const ResultadoImportacion r = e->ImportarArchivo(archivo, [&](int h, int) { avance.push_back(h); });
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.lineas, 0);
    EXPECT_EQ(r.articulosCreados, 0);
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("no se agregó ninguna línea"))) << r.mensaje.toStdString();
    EXPECT_TRUE(r.mensaje.contains(QStringLiteral("NUEVO-9"))) << r.mensaje.toStdString();
    EXPECT_EQ(avance, std::vector<int>{1});  // the first row was on its way
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tienda);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario);
    EXPECT_EQ(e->CantidadLineas(), 1);
    EXPECT_EQ(e->NumeroLinea(), 1);

    // The same for an order with an unknown article.
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into PEDIDOS (COMPROBANTE) values ('P-7')"));
    EntornoPrueba::Ejecutar(env.tienda, QStringLiteral("insert into DETALLE_PEDIDO (COMPROBANTE, COD_BARRAS, "
                                                       "NOMBRE_ARTICULO, CANTIDAD, PRECIO_COMPRA) values ('P-7', "
                                                       "'PED-NUEVO', 'Nuevo', 2, 100)"));
    const QString tiendaPedido = EntornoPrueba::Volcado(env.tienda);
    QString error;
    EXPECT_FALSE(e->CargarPedido(QStringLiteral("P-7"), 12, QStringLiteral("EL ROBLE"), 1, &error));
    EXPECT_TRUE(error.startsWith(EntradaCompra::kNoRecalcula)) << error.toStdString();
    EXPECT_EQ(EntornoPrueba::Volcado(env.tienda), tiendaPedido);
    EXPECT_EQ(EntornoPrueba::Volcado(env.inventario), inventario);
}

// Questions go to the service the entry was given.
TEST_F(Entrada, PreguntaPorElServicioDado)
{
    struct Propio : Mensajes {
        QStringList preguntas;
        void Informacion(const QString &, const QString &) override {}
        void Advertencia(const QString &, const QString &) override {}
        void Error(const QString &, const QString &) override {}
        bool Pregunta(const QString &t, const QString &) override
        {
            preguntas << t;
            return false;
        }
        Respuesta PreguntaSiNoCancelar(const QString &, const QString &) override { return Respuesta::Cancelar; }
        void Globo(QWidget *, const QString &, const QString &, int) override {}
    } propio;
    e->EstablecerMensajes(&propio);
    Proveedor12();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(10)), EntradaCompra::Resultado::Agregada);
    env.mensajes.Limpiar();
    ASSERT_EQ(e->AgregarArticulo(kCrema, Currency(1), Currency(12)), EntradaCompra::Resultado::Acumulada);
    EXPECT_EQ(propio.preguntas, QStringList{EntradaCompra::kPreguntaCambioCosto});
    EXPECT_TRUE(env.mensajes.mostrados().empty());
    EXPECT_EQ(Unica().costo, Currency(10));  // answered no
}

// Every column a line's amounts, flags and prices come from, in a comparable form.
QString Renglon(const LineaEntrada &l)
{
    QStringList c{l.codigo, l.nombre, l.familia, l.gravado, l.ivi, l.fraccionado, l.tieneSerie,
                  QString::number(l.numeroLinea)};
    for (const Currency &m : {l.cantidad, l.costo, l.unitSinIv, l.unitConIv, l.porceIvArticulo, l.porceIv, l.porceDesc,
                              l.importeDescuento, l.subtotalGravado, l.subtotalNoGravado, l.totalGravado, l.totalNoGravado,
                              l.importeIv, l.totalSinIv, l.totalConIv, l.precioVenta, l.precioVentaAnterior, l.descuentoMaximo})
        c << QString::fromStdString(m.toString());
    return c.join(QLatin1Char('|'));
}

QString Sumas(const TotalesEntrada &t)
{
    QStringList c;
    for (const Currency &m : {t.SubtotalGravado, t.SubtotalNoGravado, t.TotalGravado, t.TotalNoGravado, t.TotalSinIV,
                              t.SubTotal2, t.Impuesto, t.Descuento, t.Total})
        c << QString::fromStdString(m.toString());
    return c.join(QLatin1Char('|'));
}

const QString kRevista = QStringLiteral("9771234500112");  // untaxed, every price level manual

TEST_F(Entrada, EnUnSoloPasoComoLineaPorLinea)
{
    // Taxed with and without the tax included, untaxed, a repeated article at another cost,
    // own percentages (one equal to the global one), a cost with four decimals edited, and a
    // new sale price on a manual article; 5 % global discount.
    const std::vector<ArticuloTecleado> factura = {
        {kCrema, Currency(3), M("10.125"), M("12.5"), std::nullopt},
        {kAcetaminofen, Currency(2), M("12.5"), std::nullopt, std::nullopt},
        {kProtector, M("1.5"), Currency(5200), std::nullopt, std::nullopt},
        {QStringLiteral("cer-0456"), Currency(2), M("11.0051"), std::nullopt, std::nullopt},  // the crema again
        {kRevista, Currency(4), Currency(900), std::nullopt, Currency(1750)},
        {QStringLiteral("7441001000158"), Currency(1), Currency(2340), Currency(5), std::nullopt},
    };
    const Currency global(5);
    Proveedor12();
    e->EstablecerCambioCosto(EntradaCompra::CambioCosto::Cambiar);

    // One by one, as the window is used: add, global discount, then the line editor.
    for (const ArticuloTecleado &t : factura)
        ASSERT_NE(e->AgregarArticulo(t.codigo, t.cantidad, t.costo), EntradaCompra::Resultado::Error);
    ASSERT_TRUE(e->AplicarDescuentoGlobal(global));
    for (const ArticuloTecleado &t : factura) {
        if (!t.porcDescuento && !t.precioVenta)
            continue;
        const QString codigo = e->BuscarArticulo(t.codigo)->codigo;
        for (const LineaEntrada &l : e->Lineas()) {
            if (l.codigo != codigo)
                continue;
            const CambioLinea cambio{Currency::fromString(FormatCurrency(QStringLiteral("0.00"), l.costo)), l.cantidad,
                                     t.porcDescuento.value_or(l.porceDesc), l.esGravada(), l.ivi == QLatin1String("S"),
                                     t.precioVenta.value_or(l.precioVenta)};
            ASSERT_TRUE(e->ModificarLinea(l.id, cambio));
            break;
        }
    }
    QStringList unoAUno;
    for (const LineaEntrada &l : e->Lineas())
        unoAUno << Renglon(l);
    const QString sumasUnoAUno = Sumas(e->Totales());
    const Currency globalUnoAUno = e->PorcDescuento();
    ASSERT_EQ(unoAUno.size(), 5);
    ASSERT_TRUE(e->LimpiarFactura());

    Proveedor12();
    const EntradaCompra::ResultadoLote r = e->AgregarArticulos(factura, global);
    ASSERT_TRUE(r) << e->UltimoError().toStdString();
    QStringList lote;
    for (const LineaEntrada &l : e->Lineas())
        lote << Renglon(l);
    EXPECT_EQ(lote, unoAUno);
    EXPECT_EQ(Sumas(e->Totales()), sumasUnoAUno);
    EXPECT_EQ(e->PorcDescuento(), globalUnoAUno);
    EXPECT_EQ(e->PorcDescuento(), Currency());  // a line took its own percentage
    EXPECT_EQ(EntornoPrueba::Moneda(env.tienda, QStringLiteral("select POCE_DESCUENTO from TEMPORAL_ENC_COMPRA "
                                                                "where COMPUTADORA = 'PRUEBA' and NRO_CAJA = 1")),
              Currency());
    // The edited crema: its last cost, to two decimals; the revista keeps the typed price.
    EXPECT_EQ(e->Lineas()[0].costo, M("11.01"));
    EXPECT_EQ(e->Lineas()[0].cantidad, Currency(5));
    EXPECT_EQ(e->Lineas()[3].precioVenta, Currency(1750));
    EXPECT_EQ(e->Totales().Total, M("14383.4707")) << Sumas(e->Totales()).toStdString();
}

TEST_F(Entrada, EnUnSoloPasoSinAcumularYConElDescuentoGlobal)
{
    EscribirIni(env, QStringLiteral("[Functions]\nAcumulaRenglonesCompras=N\n"));
    Abrir();
    Proveedor12();
    const std::vector<ArticuloTecleado> factura = {
        {kCrema, Currency(1), Currency(10), std::nullopt, std::nullopt},
        {kCrema, Currency(1), Currency(12), Currency(10), std::nullopt},  // same as the global: still in force
    };
    ASSERT_TRUE(e->AgregarArticulos(factura, Currency(10)));
    const auto lineas = e->Lineas();
    ASSERT_EQ(lineas.size(), 2u);
    EXPECT_EQ(lineas[0].porceDesc, Currency(10));
    EXPECT_EQ(lineas[1].costo, Currency(12));
    EXPECT_EQ(lineas[1].numeroLinea, 2);
    EXPECT_EQ(e->PorcDescuento(), Currency(10));
    EXPECT_EQ(e->Validar().falla, EntradaCompra::Falla::ElegirPrecios);
}

TEST_F(Entrada, EnUnSoloPasoUnaLineaRechazadaNoEscribeNada)
{
    using R = EntradaCompra::Resultado;
    Proveedor12();
    const QString antes = FilasAjenas(env.tienda);
    const ArticuloTecleado crema{kCrema, Currency(1), Currency(10), std::nullopt, std::nullopt};
    struct Caso {
        std::vector<ArticuloTecleado> lineas;
        R resultado;
        int indice;
        const char *mensaje;
    } casos[] = {
        {{crema, {QStringLiteral("NO-EXISTE"), Currency(1), Currency(1), std::nullopt, std::nullopt}}, R::NoEncontrado, 1, ""},
        {{crema, crema, {kBotiquin, Currency(1), Currency(1), std::nullopt, std::nullopt}}, R::Compuesto, 2, ""},
        {{crema, {kCrema, Currency(), Currency(1), std::nullopt, std::nullopt}}, R::CantidadInvalida, 1, ""},
        {{{kCrema, Currency(1), Currency(), std::nullopt, std::nullopt}}, R::CostoInvalido, 0, ""},
        // Each quantity fits; their sum on the accumulated line does not.
        {{{kCrema, Currency(600000), Currency(1), std::nullopt, std::nullopt},
          {kCrema, Currency(600000), Currency(1), std::nullopt, std::nullopt}}, R::CantidadInvalida, 1, ""},
        // The crema's price follows its cost: the editor would not take a new one.
        {{{kCrema, Currency(1), Currency(10), std::nullopt, Currency(1500)}}, R::Error, 0, "precio manual"},
        {{{kCrema, Currency(1), Currency(10), M("100.01"), std::nullopt}}, R::Error, 0, "mayor a 100%"},
        // A cost the editor shows as 0.00.
        {{{kCrema, Currency(1), M("0.004"), Currency(1), std::nullopt}}, R::Error, -1, "precio de compra"},
        // Lines within bounds whose document total is not.
        {{{kCrema, Currency(1), Currency(600000000), std::nullopt, std::nullopt},
          {kAcetaminofen, Currency(1), Currency(600000000), std::nullopt, std::nullopt}}, R::Error, -1, "999,999,999.99"},
    };
    for (const Caso &c : casos) {
        const EntradaCompra::ResultadoLote r = e->AgregarArticulos(c.lineas);
        EXPECT_EQ(r.resultado, c.resultado) << c.indice << c.mensaje;
        EXPECT_EQ(r.indice, c.indice) << c.mensaje;
        EXPECT_TRUE(e->UltimoError().contains(QString::fromUtf8(c.mensaje))) << e->UltimoError().toStdString();
        EXPECT_EQ(e->CantidadLineas(), 0) << c.mensaje;
        EXPECT_EQ(e->NumeroLinea(), 0) << c.mensaje;
        EXPECT_EQ(e->Totales().Total, Currency()) << c.mensaje;
    }
    EXPECT_EQ(e->AgregarArticulos({crema}, M("-1")).resultado, R::Error);
    EXPECT_EQ(e->UltimoError(), EntradaCompra::kPorcentajeNegativo);

    // Only on an empty document.
    ASSERT_TRUE(e->AgregarArticulos({crema}));
    const EntradaCompra::ResultadoLote r = e->AgregarArticulos({crema});
    EXPECT_EQ(r.resultado, R::Error);
    EXPECT_EQ(e->CantidadLineas(), 1);
    EXPECT_EQ(FilasAjenas(env.tienda), antes);
}

} // namespace

PRUEBAS_CON_VENTANAS_MAIN()

// A header set in one go reaches the base in one commit: no other station sees it half set,
// and each change after that is committed as it is made.
TEST_F(Entrada, UnEncabezadoDiferidoSeConfirmaDeUnaVez)
{
    auto otra = env.AbrirConexion();
    auto visto = [&](const char *comprobante) {
        return EntornoPrueba::Entero(otra->tienda, QStringLiteral("select count(*) from TEMPORAL_ENC_COMPRA where "
                                                                  "COMPUTADORA = 'PRUEBA' and NRO_CAJA = 1 and COMPROBANTE = '%1'")
                                                       .arg(QLatin1String(comprobante)));
    };
    e->DiferirEncabezado();
    e->EstablecerProveedor(12, QStringLiteral("COMERCIALIZADORA EL ROBLE S.A."));
    ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("F-9")));
    e->EstablecerFecha(QDate(2026, 12, 1));
    EXPECT_EQ(visto("F-9"), 0);
    ASSERT_TRUE(e->ConfirmarEncabezado());
    EXPECT_EQ(visto("F-9"), 1);
    ASSERT_TRUE(e->EstablecerComprobante(QStringLiteral("F-10")));
    EXPECT_EQ(visto("F-10"), 1);
}
