#pragma once
// Families: the tree, the card's checks, the queries of the browser and the searches, and the
// unit of work that saves or deletes one family on the inventory database.

#include "platform/ErrorCompras.h"
#include "platform/db/ConsultaFiltrada.h"
#include "platform/db/Transaction.h"
#include "records/ConexionesCompra.h"
#include "records/RegistrosCatalogo.h"

#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A change to a catalogue refused (in use, would loop); the message is for the user.
class ErrorCatalogo : public ErrorCompras {
public:
    using ErrorCompras::ErrorCompras;
};

inline const QString kRaizFamilias = QStringLiteral("Catálogo de Familias de Artículos");
inline const QString kFamiliaAsociada = QStringLiteral("Este elemento no puede ser eliminado ya que tiene familias asociadas");

// Runs `cuerpo` on the inventory update transaction and commits; rolls back and rethrows on failure.
template <class F> void UnidadInventario(const ConexionesCompra &c, F &&cuerpo)
{
    try {
        if (!c.transInventario->active())
            c.transInventario->start();
        cuerpo();
        c.transInventario->commit();
    } catch (...) {
        DeshacerTransacciones({c.transInventario});
        throw;
    }
}

// Origins of the family search.
namespace OrigenFamilia {
inline const QString Arti = QStringLiteral("Arti");
inline const QString Familias = QStringLiteral("Familias");
inline const QString FiltroAgregarPedido = QStringLiteral("FiltroAgregarPedido");
bool EsPromocion(const QString &origen);  // Promo_Cond1, Promo_Cond2, Promo_ImpDesc
}

struct FamiliaArbol {
    QString codigo, nombre, pertenece;
};

// Families arranged under their parents. Children keep the order of the rows given.
struct ArbolFamilias {
    std::vector<FamiliaArbol> familias;
    std::vector<int> raices;               // indexes into familias, under the root node
    std::vector<std::vector<int>> hijos;   // per family
};

// Every family appears once whatever order the rows come in. A family whose parent is missing,
// is itself, or lies in a loop of parents hangs from the root instead of being lost.
ArbolFamilias ConstruirArbol(std::vector<FamiliaArbol> filas);
// Node text: the code padded to 15 characters, five blanks, the name.
QString TextoNodo(const QString &codigo, const QString &nombre);
// The code of a node text; empty for the root (shorter than 16 characters).
QString CodigoDeNodo(const QString &texto);
// The name of a node text (after its first 20 characters).
QString NombreDeNodo(const QString &texto);
// True when making `padre` the parent of `codigo` would make `codigo` its own ancestor.
// `padreDe` gives each family's parent code (empty at the top).
bool FormariaCiclo(const QString &codigo, const QString &padre, const std::function<QString(const QString &)> &padreDe);

// The browser's filter, by code or by name.
ConsultaFiltrada ConsultaFiltroFamilias(const QString &texto, bool porNombre);
// The family search: code or name containing the text; promotion families only for those origins.
ConsultaFiltrada ConsultaBuscarFamilia(const QString &texto, const QString &origen);
// The order filter's picker: every family without text, active ones matching the text.
ConsultaFiltrada ConsultaCambiarFamilia(const QString &texto);

// A card check that failed: the field and the balloon text.
struct FalloFamilia {
    enum class Campo { Codigo, Nombre, Pertenece } campo;
    QString texto;
};

struct UsoFamilia {
    int hijas = 0;
    int articulos = 0;
    bool enUso() const { return hijas > 0 || articulos > 0; }
};

class CatalogoFamilias {
public:
    explicit CatalogoFamilias(const ConexionesCompra &conexiones) : c_(conexiones) {}

    std::vector<FamiliaArbol> LeerFamilias() const;  // by code
    std::optional<FilaFamilia> Leer(const QString &codigo) const;
    // The name of the family, empty when it does not exist.
    QString NombreDe(const QString &codigo) const;
    UsoFamilia Uso(const QString &codigo) const;
    // The card's checks, in order; nothing when the row may be saved.
    std::optional<FalloFamilia> Validar(const FilaFamilia &fila, bool nueva) const;
    // Validates, writes and commits; a refused row throws ErrorCatalogo, a write ErrorRegistro.
    void Guardar(const FilaFamilia &fila, bool nueva);
    // Refuses (ErrorCatalogo) while children or articles use the family.
    void Eliminar(const QString &codigo);

private:
    ConexionesCompra c_;
};

// Refusal text for a family in use: the fixed sentence and who uses it.
QString MensajeFamiliaEnUso(const UsoFamilia &uso);
