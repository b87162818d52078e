#include "catalogs/BusquedaArticulos.h"

#include "platform/ArchivoIni.h"
#include "data/Comp_fdatos.h"
#include "platform/db/DbError.h"
#include "platform/db/Query.h"

#include <QRegularExpression>

#include <set>

QString BusquedaArticulos::ArticuloInactivo()
{
    const ArchivoIni ini(TFDatosComp::CarpetaIni() + QStringLiteral("/datos.ini"));
    return ini.LeerTexto(QStringLiteral("Functions"), QStringLiteral("ArticuloInactivo"), QStringLiteral("S")).trimmed();
}

ConsultaFiltrada BusquedaArticulos::Consulta(const QString &texto, const QString &origen, bool ocultarInactivos)
{
    return Consulta(texto, origen, ocultarInactivos, Eleccion{});
}

ConsultaFiltrada BusquedaArticulos::Consulta(const QString &texto, const QString &origen, bool ocultarInactivos,
                                             const Eleccion &eleccion)
{
    ConsultaFiltrada c;
    const QString t = texto.trimmed();
    if (eleccion.plan == Plan::Bloques && !t.isEmpty()) {
        // Only the articles of the blocks that hold the text's fixed piece; the conditions below
        // keep the real matches. INVENTARIO is read by its key for each of them (the concatenation keeps
        // the join from being driven the other way round). The block list always has the same
        // length, padded with -1, so the statement text does not change.
        c.Linea(QStringLiteral("select INVENTARIO.* from INV_BUSQUEDA"));
        c.Linea(QStringLiteral(" join INVENTARIO on INVENTARIO.COD_BARRAS = INV_BUSQUEDA.ARTICULO || ''"));
        QStringList marcas;
        for (int i = 0; i < kBloquesMaximos; ++i) {
            const QString nombre = QStringLiteral("B%1").arg(i);
            marcas << QLatin1Char(':') + nombre;
            const int bloque = i < static_cast<int>(eleccion.bloques.size()) ? eleccion.bloques[i] : -1;
            c.Parametro(nombre, db::Value::integer(bloque));
        }
        c.Linea(QStringLiteral(" where INV_BUSQUEDA.BLOQUE in (%1)").arg(marcas.join(QStringLiteral(","))));
        // Of those, the articles whose own text holds the piece (the wide rows of the others are not read).
        c.Linea(QStringLiteral(" and position(cast(cast(:Pieza as varchar(400) character set UTF8)"
                               " as varchar(1600) character set OCTETS)"
                               " in cast(INV_BUSQUEDA.TEXTO as varchar(1200) character set OCTETS)) > 0"));
        c.Parametro(QStringLiteral("Pieza"), db::Value::text(PiezaFija(t)));
    } else {
        c.Linea(QStringLiteral("select * from INVENTARIO where 1=1"));
    }
    if (!t.isEmpty()) {
        c.Parametro(QStringLiteral("Texto"), db::Value::text(QLatin1Char('%') + t + QLatin1Char('%')));
        if (t.size() >= kLargoSoloNombre) {
            c.Linea(QStringLiteral(" and NOMBRE like :Texto"));
        } else {
            c.Linea(QStringLiteral(" and (COD_BARRAS like :Texto"));
            c.Linea(QStringLiteral(" or CODIGO2 like :Texto"));
            c.Linea(QStringLiteral(" or CODIGO3 like :Texto"));
            c.Linea(QStringLiteral(" or NOMBRE like :Texto)"));
        }
    }
    // Composite articles are never bought, whatever the text (an emptied field included).
    if (origen == OrigenCompra) {
        c.Linea(QStringLiteral("and compuesto <> :compuesto"));
        c.Parametro(QStringLiteral("compuesto"), db::Value::text(QStringLiteral("S")));
    }
    if (ocultarInactivos)
        c.Linea(QStringLiteral(" and ARTICULO_INACTIVO='N'"));
    if (eleccion.plan == Plan::PorNombre && eleccion.desde) {
        c.Linea(QStringLiteral(" and NOMBRE >= :Desde"));
        c.Parametro(QStringLiteral("Desde"), db::Value::text(*eleccion.desde));
    }
    if (eleccion.plan == Plan::PorNombre)
        c.Linea(QStringLiteral(" plan (INVENTARIO order IX_INV_NOMBRE)"));
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

QString BusquedaArticulos::PiezaFija(const QString &texto)
{
    QString mejor;
    for (const QString &pieza : texto.trimmed().split(QRegularExpression(QStringLiteral("[%_]"))))
        if (pieza.size() > mejor.size())
            mejor = pieza;
    return mejor;
}

BusquedaArticulos::Eleccion BusquedaArticulos::ElegirPlan(db::Database &base, db::Transaction &tx, const QString &texto,
                                                         Memoria *memoria)
{
    Eleccion e;
    try {
        db::Query q(&base, &tx);
        const QString pieza = PiezaFija(texto);
        if (!pieza.isEmpty()) {
            // The blocks hold bytes: the piece is looked for as its UTF-8 bytes. Blocks are
            // numbered in name order: the first found starts the list. They are read along
            // their key, so a short text found everywhere stops after the first few; the texts
            // added since they were cut are few and all read.
            const QString bytes = QStringLiteral("cast(cast(:Pieza as varchar(400) character set UTF8)"
                                                 " as varchar(1600) character set OCTETS)");
            std::optional<std::vector<int>> previos;  // blocks of a piece this one contains
            if (memoria) {
                q.setSql(QStringLiteral("select gen_id(GEN_INV_BUSQUEDA_CORTE, 0) from RDB$DATABASE"));
                q.execQuery();
                const std::int64_t corte = q.field(0).asInteger();
                q.close();
                if (corte != memoria->corte_) {
                    memoria->piezas_.clear();  // cut again since
                    memoria->corte_ = corte;
                }
                for (const Memoria::Pieza &p : memoria->piezas_)
                    if (pieza.contains(p.pieza) && (!previos || p.bloques.size() < previos->size()))
                        previos = p.bloques;
            }
            // Up to this many blocks a piece is remembered, though beyond kBloquesMaximos the list
            // is read along the names: the next keys then read only those blocks.
            constexpr int kRecordados = 1000;
            const int marcasPrevias = previos && static_cast<int>(previos->size()) <= kBloquesMaximos ? kBloquesMaximos
                                                                                                       : kRecordados;
            QString sqlBloques;
            if (previos) {
                QStringList marcas;
                for (int i = 0; i < marcasPrevias; ++i)
                    marcas << QStringLiteral(":B%1").arg(i);
                sqlBloques = QStringLiteral("select BLOQUE from INV_BUSQUEDA_BLOQUES where BLOQUE in (%1)"
                                            " and (TEXTO is null or position(%2 in TEXTO) > 0) order by BLOQUE")
                                 .arg(marcas.join(QLatin1Char(',')), bytes);
            } else {
                sqlBloques = QStringLiteral("select first %1 BLOQUE from INV_BUSQUEDA_BLOQUES where TEXTO is null"
                                            " or position(%2 in TEXTO) > 0 order by BLOQUE")
                                 .arg(kRecordados + 1)
                                 .arg(bytes);
            }
            std::set<int> halladas;
            std::vector<int> propios;  // in the blocks' own texts
            bool muchos = false;
            for (const QString &sql :
                 {sqlBloques, QStringLiteral("select distinct BLOQUE from INV_BUSQUEDA_AGREGADOS"
                                             " where position(%1 in TEXTO) > 0")
                                  .arg(bytes)}) {
                q.setSql(sql);
                q.paramByName(QStringLiteral("Pieza")).setAsString(pieza);
                if (previos && sql == sqlBloques)
                    for (int i = 0; i < marcasPrevias; ++i)
                        q.paramByName(QStringLiteral("B%1").arg(i))
                            .setAsInteger(i < static_cast<int>(previos->size()) ? (*previos)[i] : -1);
                q.execQuery();
                int filas = 0;
                for (; !q.eof(); q.next(), ++filas) {
                    halladas.insert(q.field(0).asInteger());
                    if (sql == sqlBloques)
                        propios.push_back(q.field(0).asInteger());
                }
                q.close();
                muchos = muchos || filas > kBloquesMaximos;
            }
            if (memoria && static_cast<int>(propios.size()) <= kRecordados) {
                memoria->piezas_.push_front({pieza, std::move(propios)});
                if (memoria->piezas_.size() > Memoria::kPiezas)
                    memoria->piezas_.pop_back();
            }
            e.bloques.assign(halladas.begin(), halladas.end());
            if (muchos || static_cast<int>(e.bloques.size()) > kBloquesMaximos)
                e.bloques.resize(kBloquesMaximos + 1);  // only the first matters now
            if (static_cast<int>(e.bloques.size()) <= kBloquesMaximos) {
                e.plan = Plan::Bloques;
                return e;
            }
            q.setSql(QStringLiteral("select DESDE from INV_BUSQUEDA_BLOQUES where BLOQUE = :Bloque"));
            q.paramByName(QStringLiteral("Bloque")).setAsInteger(e.bloques.front());
            q.execQuery();
            if (!q.eof() && !q.field(0).isNull())
                e.desde = q.field(0).asString();
            q.close();
            e.bloques.clear();
        }
        q.setSql(QStringLiteral("select 1 from RDB$INDICES where RDB$INDEX_NAME = 'IX_INV_NOMBRE'"));
        q.execQuery();
        const bool indice = !q.eof();
        q.close();
        // An empty text, or one found in many blocks: the first screen comes soon along the names.
        e.plan = indice ? Plan::PorNombre : Plan::Recorrido;
        if (!indice)
            e.desde.reset();
    } catch (const db::DbError &) {
        e = Eleccion{};
    }
    return e;
}

void BusquedaArticulos::Filtrar(db::Dataset &ds, const QString &texto, const QString &origen)
{
    Abrir(ds, texto, origen, OcultarInactivos());
}

void BusquedaArticulos::Abrir(db::Dataset &ds, const QString &texto, const QString &origen, bool ocultarInactivos,
                              Memoria *memoria)
{
    const Eleccion e = ds.database() && ds.readTransaction()
                           ? ElegirPlan(*ds.database(), *ds.readTransaction(), texto, memoria)
                           : Eleccion{};
    Consulta(texto, origen, ocultarInactivos, e).Abrir(ds);
}

bool BusquedaArticulos::FiltrarAlEscribir(db::Dataset &ds, const QString &texto, const QString &origen)
{
    const QString t = texto.trimmed();
    const bool ocultar = OcultarInactivos();
    // %longer% can only match what %shorter% matched when the longer text contains the shorter
    // one (wildcards typed included); the list still open must be the one this search left.
    if (hayVacio_ && !t.isEmpty() && t.contains(vacioTexto_) && origen == vacioOrigen_ && ocultar == vacioOcultar_ &&
        ds.active() && ds.isEmpty() && ds.selectSql() == vacioSql_ &&
        ds.paramByName(QStringLiteral("Texto")).value() == vacioPatron_)
        return false;
    Abrir(ds, t, origen, ocultar, &memoria_);
    hayVacio_ = !t.isEmpty() && ds.isEmpty();
    if (hayVacio_) {
        vacioTexto_ = t;
        vacioOrigen_ = origen;
        vacioOcultar_ = ocultar;
        vacioSql_ = ds.selectSql();
        vacioPatron_ = ds.paramByName(QStringLiteral("Texto")).value();
    }
    return true;
}

QString BusquedaArticulos::CodigoElegido(db::Dataset &ds)
{
    if (!ds.active() || ds.isEmpty())
        return QString();
    return ds.fieldByName(QStringLiteral("COD_BARRAS")).asString();
}

bool BusquedaArticulos::CaracterDeBusqueda(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u'ñ' ||
           u == u'Ñ' || u == u'-' || u == u'.' || u == u'/';
}
