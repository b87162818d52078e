#pragma once
// Purchase orders without widgets: the list and its filters, an order's lines, the editor's lines
// (LineasPedido), the replenishment proposal, saving an order in one commit and annulling it.
// Reads go through the given read transactions, writes through the update one; messages go to
// the injected service.

#include "records/ConexionesCompra.h"
#include "records/RegistrosPedido.h"
#include "platform/Currency.h"

#include <QDate>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

class Mensajes;

// An article as the order editor and the replenishment proposal see it (INVENTARIO).
struct ArticuloPedido {
    QString codBarras, codigo2, codigo3, nombre, nombre2, codFamilia;
    Currency stock, stockMinimo, reposicion, precioCompra;
};

// The code of kind `numCodigo` (1 COD_BARRAS, 2 CODIGO2, 3 CODIGO3) of an article.
QString CodigoDeTipo(const ArticuloPedido &a, int numCodigo);

// One row of the order editor's grid.
struct LineaEditorPedido {
    QString codigo, nombre;
    Currency cantidad;
    QString codFamilia;
    bool deshabilitada = false;
    Currency stock, precioCompra;
};

// The order editor's lines: typing an article already listed adds to its row.
class LineasPedido {
public:
    // Adds `cantidad` of the article under its code of kind `numCodigo`; returns the row.
    int Agregar(const ArticuloPedido &a, int numCodigo, Currency cantidad);
    void AgregarFila(const LineaEditorPedido &fila);
    void Borrar(int fila);
    void Deshabilitar(int fila, bool deshabilitada);
    // False (nothing changed) for a quantity not above zero.
    bool ModificarCantidad(int fila, Currency cantidad, Currency precioCompra);
    const std::vector<LineaEditorPedido> &Filas() const { return filas_; }
    int Cuenta() const { return static_cast<int>(filas_.size()); }
    // The rows to save: those with a code and not disabled.
    std::vector<FilaDetallePedido> ParaGuardar() const;

private:
    void Reindexar();
    std::vector<LineaEditorPedido> filas_;
    QHash<QString, int> indice_;
};

// An order as listed (PEDIDOS).
struct PedidoListado {
    QString comprobante, descripcion, nombreProveedor;
    int fkProveedor = 0;
    QDate fecha;
    bool anulado = false, procesado = false;
    int numCodigoInventario = 1;
};

// One saved order line (DETALLE_PEDIDO), with the article's alternative name when asked for.
struct LineaGuardadaPedido {
    int id = 0;
    QString codBarras, codFamilia, nombreArticulo, nombre2;
    Currency cantidad, precioCompra;
    bool anulada = false;
};

struct FiltroPedidos {
    QDate inicial, final;       // both valid and in order, or no date condition
    int proveedor = 0;          // 0: every supplier
    bool soloPendientes = false;  // not annulled and not processed (the chooser)
};

// What the editor saves.
struct EncabezadoPedido {
    QString numeroMostrado;  // the number the editor shows (only checked for being there)
    int codProveedor = 0;
    QString nombreProveedor;
    QString descripcion;
    QDate fecha;
    int numCodigoInventario = 1;
};

class Pedidos {
public:
    // `conexiones`: the store update transaction (writes) and the inventory one; `lecturaTienda`
    // and `lecturaInventario`: read transactions on the same attachments.
    Pedidos(const ConexionesCompra &conexiones, db::Transaction *lecturaTienda, db::Transaction *lecturaInventario,
            Mensajes &mensajes, const QString &usuario);
    ~Pedidos();
    Pedidos(const Pedidos &) = delete;
    Pedidos &operator=(const Pedidos &) = delete;

    // The number the next save is expected to take (the generator is never moved here).
    QString NumeroPropuesto();

    std::vector<PedidoListado> Listar(const FiltroPedidos &filtro);
    // Every order dated from `desde` to `hasta`, annulled ones included (the list report).
    std::vector<PedidoListado> ListarPeriodo(const QDate &desde, const QDate &hasta);
    std::optional<PedidoListado> Leer(const QString &comprobante);
    // The order's lines in the order they were saved; `conNombre2` also reads NOMBRE2.
    std::vector<LineaGuardadaPedido> Detalle(const QString &comprobante, bool conNombre2 = false);

    // The article whose COD_BARRAS, CODIGO2 or CODIGO3 is `codigo`.
    std::optional<ArticuloPedido> BuscarArticulo(const QString &codigo);
    // Articles at or below their minimum stock that are ordered, by name; supplier 0 and an empty
    // family mean all.
    std::vector<ArticuloPedido> PropuestaReposicion(int proveedor, const QString &familia);
    // The proposal as editor rows (REPOSICION as the quantity).
    static LineasPedido LineasDePropuesta(const std::vector<ArticuloPedido> &articulos);

    // Checks the order (each failure shown) and saves header, lines and counter in one commit.
    // Returns the order number, or nothing when refused or failed (then nothing was written).
    std::optional<QString> Guardar(const EncabezadoPedido &encabezado, const LineasPedido &lineas);

    enum class Anulacion { Anulado, YaAnulado, Cancelado, Fallido };
    // Asks and annuls an order not yet annulled; another station's annulment in between counts
    // as already annulled.
    Anulacion Anular(const QString &comprobante, bool anuladoSegunLista);

    const QString &UltimoError() const { return error_; }

private:
    ConexionesCompra conexiones_;
    ConsultasCompra consultas_;
    db::Transaction *lecturaTienda_;
    db::Transaction *lecturaInventario_;
    Mensajes &mensajes_;
    QString usuario_;
    QString error_;
};
