#include "records/BaseDistribuidora.h"

#include "records/ErrorRegistro.h"
#include "data/Comp_fdatos.h"
#include "platform/ArchivoIni.h"
#include "platform/db/Query.h"

#include <algorithm>

AjustesBaseDistribuidora AjustesBaseDistribuidora::DesdeIni(const QString &rutaIni,
                                                           const AjustesBaseDistribuidora &porDefecto)
{
    const ArchivoIni ini(rutaIni);
    const QString s = QStringLiteral("BaseDatos");
    AjustesBaseDistribuidora a;
    a.ubicacion = ini.LeerTexto(s, QStringLiteral("UbicacionDis"), porDefecto.ubicacion).trimmed();
    a.servidor = ini.LeerTexto(s, QStringLiteral("Servidor"), porDefecto.servidor).trimmed();
    a.usuario = ini.LeerTexto(s, QStringLiteral("UsuarioDis"), porDefecto.usuario).trimmed();
    a.clave = ini.LeerTexto(s, QStringLiteral("ClaveDis"), porDefecto.clave);
    if (a.ubicacion.isEmpty())
        a.ubicacion = porDefecto.ubicacion;
    return a;
}

AjustesBaseDistribuidora AjustesBaseDistribuidora::DesdeDatosComp(TFDatosComp &datos)
{
    AjustesBaseDistribuidora porDefecto;
    if (datos.dbCorvane) {
        const db::ConnectionParams &p = datos.dbCorvane->params();
        QString ruta = p.database;
        if (p.isRemote()) {
            const qsizetype dos = ruta.indexOf(QLatin1Char(':'));
            porDefecto.servidor = ruta.left(dos);
            ruta = ruta.mid(dos + 1);
        }
        const qsizetype barra = std::max(ruta.lastIndexOf(QLatin1Char('/')), ruta.lastIndexOf(QLatin1Char('\\')));
        porDefecto.ubicacion = (barra >= 0 ? ruta.left(barra + 1) : QString()) + QStringLiteral("distribuidora.fdb");
        porDefecto.usuario = p.user;
        porDefecto.clave = p.password;
    }
    return DesdeIni(TFDatosComp::CarpetaIni() + QStringLiteral("/datos.ini"), porDefecto);
}

QString AjustesBaseDistribuidora::Conexion() const
{
    return servidor.isEmpty() ? ubicacion : servidor + QLatin1Char(':') + ubicacion;
}

BaseDistribuidora::BaseDistribuidora(AjustesBaseDistribuidora ajustes) : ajustes_(std::move(ajustes)) {}

BaseDistribuidora::~BaseDistribuidora()
{
    Desconectar();
}

bool BaseDistribuidora::Conectada() const
{
    return base_ && base_->connected();
}

void BaseDistribuidora::Conectar()
{
    Desconectar();
    if (ajustes_.ubicacion.isEmpty())
        throw ErrorCompras(kErrorConexion + QStringLiteral("\r\nNo se indicó la ubicación (UbicacionDis)."));
    db::ConnectionParams p;
    p.database = ajustes_.Conexion();
    p.user = ajustes_.usuario;
    p.password = ajustes_.clave;
    auto base = std::make_unique<db::Database>();
    try {
        base->open(p);
    } catch (const std::exception &e) {
        throw ErrorCompras(kErrorConexion + QStringLiteral("\r\n") + QString::fromUtf8(e.what()));
    }
    base_ = std::move(base);
    update_ = std::make_unique<db::Transaction>(*base_, db::TransactionKind::Update);
}

void BaseDistribuidora::Desconectar()
{
    insertar_.reset();
    if (update_) {
        try {
            if (update_->active())
                update_->rollback();
        } catch (const std::exception &) {
        }
    }
    update_.reset();
    base_.reset();
}

ConfigCorreoDistribuidora BaseDistribuidora::LeerConfigCorreo()
{
    ConfigCorreoDistribuidora c;
    db::Transaction t(*base_, db::TransactionKind::Read);
    db::Query q(base_.get(), &t);
    q.setSql(QStringLiteral("select * from CONFIG where ID_CONFIG = 1"));
    q.execQuery();
    if (!q.eof()) {
        auto txt = [&q](const QString &campo) { return q.fieldByName(campo).asString(); };
        c.smtpServer = txt(QStringLiteral("SMTP_SERVER"));
        c.usuario = txt(QStringLiteral("USER"));
        c.clave = txt(QStringLiteral("PASSWORD"));
        c.puerto = q.fieldByName(QStringLiteral("PORT")).asInteger();
        c.correoSalida = txt(QStringLiteral("CORREO_SALIDA"));
        for (int i = 0; i < 5; ++i) {
            c.correos[i] = txt(QStringLiteral("CORREO%1").arg(i + 1));
            c.recibeMerma[i] = txt(QStringLiteral("CORREO%1_RECIBE_MERMA").arg(i + 1)) == QLatin1String("S");
        }
        c.enviaReportes = txt(QStringLiteral("ENVIA_REPORTES")) == QLatin1String("S");
        c.direccionReportes = txt(QStringLiteral("DIRECCION_REPORTES"));
        c.codigoTerminal = txt(QStringLiteral("CODIGO_TERMINAL"));
    }
    q.close();
    t.commit();
    return c;
}

std::vector<FilaLiquidacion> BaseDistribuidora::Archivos(const QString &nroFactura)
{
    std::vector<FilaLiquidacion> filas;
    db::Transaction t(*base_, db::TransactionKind::Read);
    db::Query q(base_.get(), &t);
    q.setSql(QStringLiteral("Select * from TB_ARCHIVOS_GENERADOS where NRO_FACTURA=:nroFactura order by ID_ARCHIVO"));
    q.paramByName("nroFactura").setAsString(nroFactura);
    auto txt = [&q](const char *campo) { return q.fieldByName(QLatin1String(campo)).asString(); };
    auto num = [&q](const char *campo) { return q.fieldByName(QLatin1String(campo)).asFloat(); };
    for (q.execQuery(); !q.eof(); q.next()) {
        FilaLiquidacion f;
        f.nombreArticulo = txt("NOMBRE_ARTICULO");
        f.codigoArticulo = txt("CODIGO_ARTICULO");
        f.total = num("TOTAL");
        f.devolucion = num("DEVOLUCION");
        f.diferencia = num("DIFERENCIA");
        f.facturado = num("FACTURADO");
        f.edicion = txt("EDICION");
        f.codigoInterno = txt("CODIGO_INTERNO");
        f.nroFactura = txt("NRO_FACTURA");
        f.fecha = txt("FECHA");
        f.devolver = txt("DEVOLVER");
        filas.push_back(std::move(f));
    }
    q.close();
    t.commit();
    return filas;
}

void BaseDistribuidora::InsertarArchivoGenerado(const FilaLiquidacion &f)
{
    try {
        update_->ensureActive();
        if (!insertar_) {
            insertar_ = std::make_unique<db::Query>(base_.get(), update_.get());
            insertar_->setSql(QStringLiteral(
                "Insert Into TB_ARCHIVOS_GENERADOS(NOMBRE_ARTICULO,CODIGO_ARTICULO,TOTAL,DEVOLUCION,DIFERENCIA,FACTURADO,"
                "EDICION,CODIGO_INTERNO,NRO_FACTURA,FECHA,DEVOLVER) Values (:NOMBRE_ARTICULO,:CODIGO_ARTICULO,:TOTAL,"
                ":DEVOLUCION,:DIFERENCIA,:FACTURADO,:EDICION,:CODIGO_INTERNO,:NRO_FACTURA,:FECHA,:DEVOLVER)"));
        }
        db::Query &q = *insertar_;
        q.paramByName("NOMBRE_ARTICULO").setAsString(f.nombreArticulo);
        q.paramByName("CODIGO_ARTICULO").setAsString(f.codigoArticulo);
        q.paramByName("TOTAL").setAsFloat(f.total);
        q.paramByName("DEVOLUCION").setAsFloat(f.devolucion);
        q.paramByName("DIFERENCIA").setAsFloat(f.diferencia);
        q.paramByName("FACTURADO").setAsFloat(f.facturado);
        q.paramByName("EDICION").setAsString(f.edicion);
        q.paramByName("CODIGO_INTERNO").setAsString(f.codigoInterno);
        q.paramByName("NRO_FACTURA").setAsString(f.nroFactura);
        q.paramByName("FECHA").setAsString(f.fecha);
        q.paramByName("DEVOLVER").setAsString(f.devolver);
        q.execQuery();
        q.close();
    } catch (const std::exception &e) {
        throw ErrorRegistro(QStringLiteral("Error al insertar TB_ARCHIVOS_GENERADOS"), TextoDeError(e));
    }
}

bool ArticuloEsLibro(db::Database &inventario, db::Transaction &t, const QString &codigo)
{
    db::Query q(&inventario, &t);
    q.setSql(QStringLiteral("SELECT COD_PROVEEDOR2 FROM PROVEEDORES WHERE COD_PROVEEDOR = (SELECT FK_PROVEEDOR FROM "
                            "INVENTARIO WHERE COD_BARRAS = :cod)"));
    q.paramByName("cod").setAsString(codigo);
    q.execQuery();
    const bool libro = !q.eof() && q.field(0).asString().trimmed() == QLatin1String("2000");
    q.close();
    return libro;
}
