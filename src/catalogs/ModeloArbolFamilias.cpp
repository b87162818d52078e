#include "catalogs/ModeloArbolFamilias.h"

ModeloArbolFamilias::ModeloArbolFamilias(QObject *parent) : QAbstractItemModel(parent), cerrado_(1, 0) {}

void ModeloArbolFamilias::Cargar(ArbolFamilias arbol)
{
    beginResetModel();
    arbol_ = std::move(arbol);
    const size_t n = arbol_.familias.size();
    padre_.assign(n, 0);
    fila_.assign(n, 0);
    cerrado_.assign(n + 1, 0);
    for (size_t r = 0; r < arbol_.raices.size(); ++r)
        fila_[arbol_.raices[r]] = static_cast<int>(r);
    for (size_t p = 0; p < arbol_.hijos.size(); ++p) {
        const std::vector<int> &hijos = arbol_.hijos[p];
        for (size_t r = 0; r < hijos.size(); ++r) {
            padre_[hijos[r]] = p + 1;
            fila_[hijos[r]] = static_cast<int>(r);
        }
    }
    endResetModel();
}

const std::vector<int> &ModeloArbolFamilias::Hijos(quintptr id) const
{
    return id == 0 ? arbol_.raices : arbol_.hijos[id - 1];
}

QModelIndex ModeloArbolFamilias::Indice(quintptr id) const
{
    return id == 0 ? Raiz() : createIndex(fila_[id - 1], 0, id);
}

QModelIndex ModeloArbolFamilias::IndiceDe(const QString &codigo) const
{
    const QString buscado = codigo.trimmed();
    for (size_t i = 0; i < arbol_.familias.size(); ++i)
        if (arbol_.familias[i].codigo == buscado)
            return Indice(i + 1);
    return {};
}

void ModeloArbolFamilias::MarcarAbierto(const QModelIndex &indice, bool abierto)
{
    if (!indice.isValid() || indice.model() != this)
        return;
    const quintptr id = indice.internalId();
    if (id >= cerrado_.size() || cerrado_[id] == !abierto)
        return;
    cerrado_[id] = !abierto;
    emit dataChanged(indice, indice, {Qt::DecorationRole});
}

QModelIndex ModeloArbolFamilias::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? Raiz() : QModelIndex();
    const std::vector<int> &hijos = Hijos(parent.internalId());
    if (row >= static_cast<int>(hijos.size()))
        return {};
    return createIndex(row, 0, quintptr(hijos[row]) + 1);
}

QModelIndex ModeloArbolFamilias::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    return Indice(padre_[child.internalId() - 1]);
}

int ModeloArbolFamilias::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(Hijos(parent.internalId()).size());
}

int ModeloArbolFamilias::columnCount(const QModelIndex &) const
{
    return 1;
}

bool ModeloArbolFamilias::hasChildren(const QModelIndex &parent) const
{
    return rowCount(parent) > 0;
}

QVariant ModeloArbolFamilias::data(const QModelIndex &indice, int role) const
{
    if (!indice.isValid())
        return {};
    const quintptr id = indice.internalId();
    switch (role) {
    case Qt::DisplayRole:
        if (id == 0)
            return kRaizFamilias;
        return TextoNodo(arbol_.familias[id - 1].codigo, arbol_.familias[id - 1].nombre);
    case Qt::DecorationRole:
        if (Hijos(id).empty())
            return iconos_.hoja;
        return cerrado_[id] ? iconos_.cerrada : iconos_.abierta;
    default:
        return {};
    }
}
