#include "host/Comp_exports.h"

#include "catalogs/Comp_frmfamilias.h"
#include "catalogs/Comp_frmfichaarticulo.h"
#include "catalogs/Comp_frmubicaciones.h"
#include "catalogs/Comp_frmunidadmedida.h"
#include "data/Comp_fdatos.h"
#include "orders/Comp_frmpedidos.h"
#if __has_include("purchases/Comp_frmprincipalcompras.h")  // absent when purchases are left out of the build
#include "purchases/Comp_frmprincipalcompras.h"
#define COMPRAS_CON_VENTANA_COMPRAS 1
#include "catalogs/Comp_frmcambiarproveedor.h"
#include "reports/Comp_frmreporteentrada.h"
#endif
#if __has_include("consignments/Comp_frmconsignaciones.h")
#include "consignments/Comp_frmconsignaciones.h"
#define COMPRAS_CON_CONSIGNACIONES 1
#endif
#include "ui/MensajesPantalla.h"
#include "ui/Permisos.h"

COMPRAS_EXPORT void ConectarBaseDatos(db::Database *dbTienda, db::Transaction *transLectura,
                                      db::Transaction *transUpdate, db::Database *dbInventario,
                                      db::Transaction *transLecturaInv, db::Transaction *transUpdateInv,
                                      db::Dataset *datosPermisos, db::Dataset *datosConfig, db::Dataset *datosEmpresa,
                                      db::Dataset *datosCambio, db::Dataset *datosCuentas, db::Dataset *datosCaja,
                                      db::Dataset *datosMoneda)
{
    InstalarMensajesPantalla();
    delete FDatosComp;
    FDatosComp = new TFDatosComp;
    FDatosComp->Conectar(dbTienda, transLectura, transUpdate, dbInventario, transLecturaInv, transUpdateInv,
                         datosPermisos, datosConfig, datosEmpresa, datosCambio, datosCuentas, datosCaja, datosMoneda);
#ifdef COMPRAS_CON_VENTANA_COMPRAS
    // The article card's supplier pick is the purchases supplier chooser.
    TfrmFichaArticulo::ElegirProveedor = [](TfrmFichaArticulo &ficha) {
        QPointer<TfrmFichaArticulo> destino(&ficha);
        auto *chooser = new TfrmCambiarProveedor(*FDatosComp);
        QObject::connect(chooser, &TfrmCambiarProveedor::proveedorElegido, &ficha,
                         [destino](int codigo, const QString &nombre, int) {
                             if (destino)
                                 destino->ProveedorElegido(codigo, nombre);
                         });
        chooser->AbrirDesde(&ficha, true);
    };
#endif
#ifdef COMPRAS_CON_CONSIGNACIONES
    ConectarVentanasConsignacion(*FDatosComp);
#endif
}

COMPRAS_EXPORT void ConectarConta(db::Dataset *asientos, db::Dataset *lineasAsiento)
{
    if (FDatosComp)
        FDatosComp->ConectarConta(asientos, lineasAsiento);
}

COMPRAS_EXPORT void AbrirCompras(bool Crear)
{
#ifdef COMPRAS_CON_VENTANA_COMPRAS
    AbrirVentanaPrincipal(frmPrincipalCompras, Crear, QStringLiteral("venCompras"),
                          [] { return new TfrmPrincipalCompras(*FDatosComp); });
#else
    AvisoVentanaNoDisponible(QStringLiteral("Compras"));
#endif
}

COMPRAS_EXPORT void AbrirPedidos(bool Crear)
{
    AbrirVentanaPrincipal(frmPedidos, Crear, QStringLiteral("venPedidos"), [] { return new TfrmPedidos(*FDatosComp); });
}

#ifdef COMPRAS_CON_CONSIGNACIONES
namespace {
QPointer<TfrmConsignaciones> frmConsignaciones;
}
#endif

COMPRAS_EXPORT void AbrirConsignacion(bool Crear)
{
#ifdef COMPRAS_CON_CONSIGNACIONES
    AbrirVentanaPrincipal(frmConsignaciones, Crear, QStringLiteral("venConsigna"),
                          [] { return new TfrmConsignaciones(*FDatosComp); });
#else
    AvisoVentanaNoDisponible(QStringLiteral("Consignaciones"));
#endif
}

namespace {
QPointer<TfrmFamilias> frmFamilias;
QPointer<TfrmUnidadMedida> frmUnidadMedida;
QPointer<TfrmUbicaciones> frmUbicaciones;
} // namespace

COMPRAS_EXPORT void AbrirFamilias(bool Crear)
{
    AbrirVentanaPrincipal(frmFamilias, Crear, QStringLiteral("venFamilias"), [] { return new TfrmFamilias(*FDatosComp); });
}

COMPRAS_EXPORT void AbrirUnidadMedida(bool Crear)
{
    AbrirVentanaPrincipal(frmUnidadMedida, Crear, QStringLiteral("venUniMed"),
                          [] { return new TfrmUnidadMedida(*FDatosComp); });
}

COMPRAS_EXPORT void AbrirUbicaciones(bool Crear)
{
    AbrirVentanaPrincipal(frmUbicaciones, Crear, QStringLiteral("venUbicaciones"),
                          [] { return new TfrmUbicaciones(*FDatosComp); });
}

COMPRAS_EXPORT void AbrirReporteEntrada()
{
#ifdef COMPRAS_CON_VENTANA_COMPRAS
    // One window per call; the supplier chooser is the purchases one, in "Aduana" mode.
    auto *frm = new TfrmReporteEntrada(*FDatosComp);
    QPointer<TfrmReporteEntrada> destino(frm);
    frm->ElegirProveedor = [destino] {
        if (!destino)
            return;
        auto *chooser = new TfrmCambiarProveedor(*FDatosComp);
        chooser->Modo = QStringLiteral("Aduana");
        QObject::connect(chooser, &TfrmCambiarProveedor::proveedorElegido, destino.data(),
                         [destino](int codigo, const QString &nombre, int) {
                             if (destino)
                                 destino->ProveedorElegido(codigo, nombre);
                         });
        chooser->AbrirDesde(destino.data(), true);
    };
    MarcarVentana(frm, QStringLiteral("venRepEntrada"));
    frm->show();
#else
    AvisoVentanaNoDisponible(QStringLiteral("Reporte de entrada de mercadería"));
#endif
}
