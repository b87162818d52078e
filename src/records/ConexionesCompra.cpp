#include "records/ConexionesCompra.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"
#include "platform/db/Transaction.h"

ConexionesCompra ConexionesDeDatosComp(TFDatosComp &d)
{
    ConexionesCompra c;
    c.tienda = d.dbCorvane;
    c.transTienda = d.TransUpdate;
    c.inventario = d.dbInv;
    c.transInventario = d.TransUpdateInv;
    return c;
}

db::Query &ConsultasCompra::Sql(BaseCompra base, const QString &texto)
{
    auto &mapa = consultas_[static_cast<int>(base)];
    auto it = mapa.find(texto);
    if (it == mapa.end()) {
        std::unique_ptr<db::Query> q;
        switch (base) {
        case BaseCompra::Tienda:
            q = std::make_unique<db::Query>(c_.tienda, c_.transTienda);
            break;
        case BaseCompra::Inventario:
            q = std::make_unique<db::Query>(c_.inventario, c_.transInventario);
            break;
        case BaseCompra::Contabilidad:
            q = std::make_unique<db::Query>(c_.contabilidad, c_.transContabilidad);
            break;
        }
        q->setSql(texto);
        it = mapa.emplace(texto, std::move(q)).first;
    }
    it->second->close();
    return *it->second;
}

bool ComprobanteUsadoBajoBloqueo(ConsultasCompra &consultas, int codProveedor, const QString &comprobante)
{
    db::Query &p = consultas.Sql(BaseCompra::Inventario,
                                 QStringLiteral("select COD_PROVEEDOR from PROVEEDORES where COD_PROVEEDOR = :Provee with lock"));
    p.paramByName("Provee").setAsInteger(codProveedor);
    p.execQuery();
    p.close();
    db::Query &q = consultas.Sql(BaseCompra::Tienda, QStringLiteral("select first 1 ID_COMPRA from FACTURAS_COMPRA where "
                                                                     "CODIGO_PROVEEDOR=:vcodProv and COMPROBANTE=:vcompro"));
    q.paramByName("vcodProv").setAsInteger(codProveedor);
    q.paramByName("vcompro").setAsString(comprobante);
    q.execQuery();
    const bool usado = !q.eof();
    q.close();
    return usado;
}

void DeshacerTransacciones(std::initializer_list<db::Transaction *> transacciones)
{
    for (db::Transaction *t : transacciones) {
        try {
            if (t && t->active())
                t->rollback();
        } catch (const std::exception &) {
        }
    }
}

void RefrescarAbiertos(std::initializer_list<db::Dataset *> datasets)
{
    for (db::Dataset *ds : datasets) {
        try {
            if (ds && ds->active())
                ds->refresh();
        } catch (const std::exception &) {
        }
    }
}
