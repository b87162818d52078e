#pragma once
// The families tree as an item model over the built tree: one column, the root node
// "Catálogo de Familias de Artículos" on top and every family under its parent. Nothing is
// created per node; texts are made when the view asks for them.

#include "catalogs/Familias.h"

#include <QAbstractItemModel>
#include <QIcon>

#include <vector>

class ModeloArbolFamilias : public QAbstractItemModel {
    Q_OBJECT
public:
    struct Iconos {
        QIcon hoja, abierta, cerrada;
    };

    explicit ModeloArbolFamilias(QObject *parent = nullptr);

    // Replaces the whole tree (one reset).
    void Cargar(ArbolFamilias arbol);
    void setIconos(const Iconos &iconos) { iconos_ = iconos; }
    // The node of a family; invalid when it is not in the tree.
    QModelIndex IndiceDe(const QString &codigo) const;
    QModelIndex Raiz() const { return createIndex(0, 0, quintptr(0)); }
    // The view tells whether a node is shown open (its folder image follows).
    void MarcarAbierto(const QModelIndex &indice, bool abierto);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &indice, int role = Qt::DisplayRole) const override;

private:
    // Node ids: 0 is the root node, family i is i + 1.
    const std::vector<int> &Hijos(quintptr id) const;
    QModelIndex Indice(quintptr id) const;

    ArbolFamilias arbol_;
    std::vector<quintptr> padre_;  // per family, the parent's node id
    std::vector<int> fila_;        // per family, its row under the parent
    std::vector<char> cerrado_;    // per node id
    Iconos iconos_;
};
