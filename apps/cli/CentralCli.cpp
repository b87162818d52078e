#include "cli/CentralCli.h"

#include "data/Comp_fdatos.h"
#include "platform/Formato.h"
#include "purchases/ImportacionCentral.h"

#include <QStringList>

namespace {

struct Sesion {
    std::unique_ptr<ImportacionCentral> imp;
    ProveedorCentral proveedor;
    int nroTienda = 0;
};

// Connects to the head office and identifies store and supplier; a message when it cannot.
QString Abrir(Sesion &s)
{
    if (!FDatosComp->ConfigSi(QStringLiteral("CENTRALIZA")))
        return QStringLiteral("No se ha configurado la tienda para que centralice, por favor,\r\n"
                              "configúrelo y ejecute nuevamente esta aplicación");
    s.nroTienda = FDatosComp->ConfigEntero(QStringLiteral("NRO_TIENDA"));
    s.imp = ImportacionCentral::DesdeDatosComp(*FDatosComp);
    const AjustesCentral &a = s.imp->Ajustes();
    if (!a.direccionInternet.isEmpty() && !HayConexion(a.direccionInternet, a.segundosEspera))
        return QStringLiteral("No se encontró una conexión a internet activa, no se puede continuar...");
    s.imp->Conectar();
    s.proveedor = s.imp->IdentificarProveedor();
    return QString();
}

} // namespace

ResultadoCli ListarCentral()
{
    ResultadoCli r;
    Sesion s;
    try {
        if (const QString m = Abrir(s); !m.isEmpty())
            return {4, QString(), m};
        QStringList filas;
        for (const FacturaCentral &f : s.imp->ListarFacturas(s.nroTienda, s.proveedor))
            filas << QStringLiteral("%1\t%2\t%3\t%4\t%5")
                         .arg(f.fecha.toString(QStringLiteral("yyyy-MM-dd")), f.comprobante,
                              FormatoMoneda(f.importeTotal), FormatoMoneda(f.importeCredito), f.estado);
        r.salida = filas.join(QLatin1Char('\n'));
    } catch (const std::exception &e) {
        return {4, QString(), TextoDeError(e)};
    }
    return r;
}

ResultadoCli ImportarCentral(const QString &comprobante, const QMap<QString, QString> &recibidas)
{
    Sesion s;
    try {
        if (const QString m = Abrir(s); !m.isEmpty())
            return {4, QString(), m};
        if (!s.proveedor.encontrado)
            return {5, QString(), TextoSinProveedorCentral(s.imp->Ajustes().codProveedor)};
        const auto facturas = s.imp->ListarFacturas(s.nroTienda, s.proveedor);
        const FacturaCentral *f = nullptr;
        for (const FacturaCentral &x : facturas)
            if (x.comprobante == comprobante)
                f = &x;
        if (!f)
            return {2, QString(), QStringLiteral("Casa Central no tiene el comprobante %1 para esta tienda").arg(comprobante)};
        if (f->estado == QLatin1String("S"))
            return {5, QString(), QStringLiteral("La factura ya fue procesada")};
        auto lineas = s.imp->LeerLineas(comprobante);
        for (auto it = recibidas.begin(); it != recibidas.end(); ++it) {
            bool hay = false;
            for (LineaCentral &l : lineas)
                if (l.codigo == it.key()) {
                    const Currency c = Currency::fromString(it.value());
                    if (c < Currency())
                        return {2, QString(), QStringLiteral("Cantidad recibida inválida para %1").arg(it.key())};
                    l.recibida = c;
                    hay = true;
                }
            if (!hay)
                return {2, QString(), QStringLiteral("El comprobante %1 no tiene el artículo %2").arg(comprobante, it.key())};
        }
        const int id = s.imp->Registrar(*f, lineas, s.proveedor, s.nroTienda,
                                        TFDatosComp::VerVariable(QStringLiteral("vUsuario")));
        if (id <= 0)
            return {s.imp->EstadoUltimo() == ImportacionCentral::Estado::YaRegistrada ? 5 : 1, QString(),
                    s.imp->UltimoError()};
        return {0, QString::number(id), QStringLiteral("Comprobante ") + comprobante + QStringLiteral(" procesado correctamente")};
    } catch (const std::exception &e) {
        return {1, QString(), TextoDeError(e)};
    }
}
