#include "catalogs/Familias.h"

#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QSet>

#include <algorithm>

bool OrigenFamilia::EsPromocion(const QString &origen)
{
    return origen == QLatin1String("Promo_Cond1") || origen == QLatin1String("Promo_Cond2")
           || origen == QLatin1String("Promo_ImpDesc");
}

ArbolFamilias ConstruirArbol(std::vector<FamiliaArbol> filas)
{
    ArbolFamilias a;
    a.familias = std::move(filas);
    const int n = static_cast<int>(a.familias.size());
    a.hijos.assign(n, {});
    QHash<QString, int> indice;
    indice.reserve(n);
    for (int i = 0; i < n; ++i) {
        FamiliaArbol &f = a.familias[i];
        f.codigo = f.codigo.trimmed();
        f.pertenece = f.pertenece.trimmed();
        indice.insert(f.codigo, i);  // a repeated code: the last row wins as parent
    }
    std::vector<int> padre(n, -1);
    for (int i = 0; i < n; ++i) {
        const FamiliaArbol &f = a.familias[i];
        const int p = f.pertenece.isEmpty() ? -1 : indice.value(f.pertenece, -1);
        if (p >= 0 && p != i)
            padre[i] = p;
    }
    // Families not reachable from the top lie in (or under) a loop: the first of each loop
    // found goes to the top, which breaks it.
    std::vector<char> alcanzada(n, 0);
    std::function<void(int)> marcar = [&](int raiz) {
        std::vector<int> pila{raiz};
        while (!pila.empty()) {
            const int i = pila.back();
            pila.pop_back();
            if (alcanzada[i])
                continue;
            alcanzada[i] = 1;
            for (int h : a.hijos[i])
                pila.push_back(h);
        }
    };
    for (int i = 0; i < n; ++i)
        if (padre[i] >= 0)
            a.hijos[padre[i]].push_back(i);
    for (int i = 0; i < n; ++i)
        if (padre[i] < 0)
            marcar(i);
    for (int i = 0; i < n; ++i) {
        if (alcanzada[i])
            continue;
        auto &hermanos = a.hijos[padre[i]];
        hermanos.erase(std::find(hermanos.begin(), hermanos.end(), i));
        padre[i] = -1;
        marcar(i);
    }
    for (int i = 0; i < n; ++i)
        if (padre[i] < 0)
            a.raices.push_back(i);
    return a;
}

QString TextoNodo(const QString &codigo, const QString &nombre)
{
    return codigo.trimmed().leftJustified(15, QLatin1Char(' ')) + QStringLiteral("     ") + nombre.trimmed();
}

QString CodigoDeNodo(const QString &texto)
{
    return texto.size() >= 16 ? texto.left(15).trimmed() : QString();
}

QString NombreDeNodo(const QString &texto)
{
    return texto.mid(20).trimmed();
}

bool FormariaCiclo(const QString &codigo, const QString &padre, const std::function<QString(const QString &)> &padreDe)
{
    const QString propio = codigo.trimmed();
    QSet<QString> vistos;
    for (QString p = padre.trimmed(); !p.isEmpty(); p = padreDe(p).trimmed()) {
        if (p == propio)
            return true;
        if (vistos.contains(p))
            return false;  // a loop above that does not pass through `codigo`
        vistos.insert(p);
    }
    return false;
}

ConsultaFiltrada ConsultaFiltroFamilias(const QString &texto, bool porNombre)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral(" select * from FAMILIA"));
    if (!texto.trimmed().isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE containing :Texto"));
        c.Linea(QStringLiteral(" or COD_FAMILIA containing :Texto"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(texto));
    }
    c.Linea(porNombre ? QStringLiteral(" order by NOMBRE") : QStringLiteral(" order by COD_FAMILIA"));
    return c;
}

ConsultaFiltrada ConsultaBuscarFamilia(const QString &texto, const QString &origen)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from FAMILIA"));
    c.Linea(QStringLiteral("where (NOMBRE containing :Texto"));
    c.Linea(QStringLiteral("or COD_FAMILIA containing :Texto)"));
    c.Parametro(QStringLiteral("Texto"), db::Value::text(texto));
    if (OrigenFamilia::EsPromocion(origen))
        c.Linea(QStringLiteral("and PROMOCION = 'S'"));
    c.Linea(QStringLiteral("order by COD_FAMILIA,NOMBRE"));
    return c;
}

ConsultaFiltrada ConsultaCambiarFamilia(const QString &texto)
{
    ConsultaFiltrada c;
    c.Linea(QStringLiteral("select * from Familia"));
    const QString t = texto.trimmed();
    if (!t.isEmpty()) {
        c.Linea(QStringLiteral(" where NOMBRE like :Texto and ACTIVA = 'S'"));
        c.Parametro(QStringLiteral("Texto"), db::Value::text(QLatin1Char('%') + t + QLatin1Char('%')));
    }
    c.Linea(QStringLiteral(" order by NOMBRE"));
    return c;
}

QString MensajeFamiliaEnUso(const UsoFamilia &uso)
{
    return kFamiliaAsociada + QStringLiteral("\nLa usan %1 artículo(s) y %2 familia(s).").arg(uso.articulos).arg(uso.hijas);
}

namespace {

int Contar(const ConexionesCompra &c, const QString &sql, const QString &codigo)
{
    db::Query q(c.inventario, c.transInventario);
    q.setSql(sql);
    q.paramByName("Cod").setAsString(codigo.trimmed());
    q.execQuery();
    const int n = q.eof() ? 0 : static_cast<int>(q.field(0).asInteger());
    q.close();
    return n;
}

FilaFamilia FilaDe(db::Query &q)
{
    FilaFamilia f;
    f.codigo = q.fieldByName(QStringLiteral("COD_FAMILIA")).asString().trimmed();
    f.nombre = q.fieldByName(QStringLiteral("NOMBRE")).asString();
    f.nota = q.fieldByName(QStringLiteral("NOTA")).asString();
    f.activa = q.fieldByName(QStringLiteral("ACTIVA")).asString();
    f.codPertenece = q.fieldByName(QStringLiteral("COD_PERTENECE")).asString().trimmed();
    f.nomPertenece = q.fieldByName(QStringLiteral("NOM_PERTENECE")).asString();
    f.promocion = q.fieldByName(QStringLiteral("PROMOCION")).asString();
    f.nroArticulo = static_cast<int>(q.fieldByName(QStringLiteral("NRO_ARTICULO")).asInteger());
    return f;
}

} // namespace

std::vector<FamiliaArbol> CatalogoFamilias::LeerFamilias() const
{
    std::vector<FamiliaArbol> r;
    db::Query q(c_.inventario, c_.transInventario);
    q.setSql(QStringLiteral("select COD_FAMILIA, NOMBRE, COD_PERTENECE from FAMILIA order by COD_FAMILIA"));
    q.execQuery();
    while (!q.eof()) {
        r.push_back({q.field(0).asString(), q.field(1).asString(), q.field(2).asString()});
        q.next();
    }
    q.close();
    return r;
}

std::optional<FilaFamilia> CatalogoFamilias::Leer(const QString &codigo) const
{
    db::Query q(c_.inventario, c_.transInventario);
    q.setSql(QStringLiteral("select * from FAMILIA where COD_FAMILIA = :Cod"));
    q.paramByName("Cod").setAsString(codigo.trimmed());
    q.execQuery();
    std::optional<FilaFamilia> r;
    if (!q.eof())
        r = FilaDe(q);
    q.close();
    return r;
}

QString CatalogoFamilias::NombreDe(const QString &codigo) const
{
    if (codigo.trimmed().isEmpty())
        return QString();
    const std::optional<FilaFamilia> f = Leer(codigo);
    return f ? f->nombre : QString();
}

UsoFamilia CatalogoFamilias::Uso(const QString &codigo) const
{
    UsoFamilia u;
    u.hijas = Contar(c_, QStringLiteral("select count(*) from FAMILIA where COD_PERTENECE = :Cod"), codigo);
    u.articulos = Contar(c_, QStringLiteral("select count(*) from INVENTARIO where COD_FAMILIA = :Cod"), codigo);
    return u;
}

std::optional<FalloFamilia> CatalogoFamilias::Validar(const FilaFamilia &f, bool nueva) const
{
    using Campo = FalloFamilia::Campo;
    const QString codigo = f.codigo.trimmed();
    if (codigo.isEmpty())
        return FalloFamilia{Campo::Codigo, QStringLiteral("Por favor digite el Código de la Familia")};
    if (f.nombre.trimmed().isEmpty())
        return FalloFamilia{Campo::Nombre, QStringLiteral("Por favor digite el Nombre de la Familia")};
    if (nueva && Leer(codigo))
        return FalloFamilia{Campo::Codigo, QStringLiteral("Ya existe una Familia con este Código")};
    const QString padre = f.codPertenece.trimmed();
    if (!padre.isEmpty()) {
        if (!Leer(padre))
            return FalloFamilia{Campo::Pertenece, QStringLiteral("No existe la familia %1").arg(padre)};
        const auto padreDe = [this](const QString &c) {
            const std::optional<FilaFamilia> p = Leer(c);
            return p ? p->codPertenece : QString();
        };
        if (FormariaCiclo(codigo, padre, padreDe))
            return FalloFamilia{Campo::Pertenece,
                                QStringLiteral("Una familia no puede pertenecer a sí misma ni a una de sus subfamilias")};
    }
    return std::nullopt;
}

void CatalogoFamilias::Guardar(const FilaFamilia &fila, bool nueva)
{
    UnidadInventario(c_, [&] {
        if (const std::optional<FalloFamilia> fallo = Validar(fila, nueva))
            throw ErrorCatalogo(fallo->texto);
        FilaFamilia f = fila;
        f.codigo = f.codigo.trimmed();
        f.codPertenece = f.codPertenece.trimmed();
        if (!f.codPertenece.isEmpty())
            f.nomPertenece = NombreDe(f.codPertenece);
        if (nueva)
            InsertarFamilia(*c_.inventario, *c_.transInventario, f);
        else
            ModificarFamilia(*c_.inventario, *c_.transInventario, f);
    });
}

void CatalogoFamilias::Eliminar(const QString &codigo)
{
    UnidadInventario(c_, [&] {
        const UsoFamilia uso = Uso(codigo);
        if (uso.enUso())
            throw ErrorCatalogo(MensajeFamiliaEnUso(uso));
        BorrarFamilia(*c_.inventario, *c_.transInventario, codigo.trimmed());
    });
}
