#pragma once
// Annulment and deletion of a consignment from the browser. Annulling takes what each line
// still has on hand (EXISTENCIA: neither sold, invoiced nor returned) back out of stock
// (average cost reversed, warehouse "0" lowered) with every article row locked, and marks
// the consignment and its lines annulled only while they are not: two stations annulling
// the same consignment never take its stock back twice. Deleting removes
// an annulled consignment, lines first. Each is one unit of work over the store and inventory
// update transactions, committed together (two-phase) or rolled back entirely.

#include "consignments/ListadoConsignaciones.h"
#include "records/ConexionesCompra.h"

#include <QString>

#include <functional>
#include <memory>

class Mensajes;
class TFDatosComp;

class AnulacionConsignacion {
public:
    enum class Resultado { Hecha, Cancelada, Rechazada, Fallida };

    // sisDistribuidora: a consignment counts as returned by its DEVUELTA flag; otherwise when
    // every line with a positive quantity is fully processed.
    AnulacionConsignacion(const ConexionesCompra &conexiones, bool sisDistribuidora);
    ~AnulacionConsignacion();
    AnulacionConsignacion(const AnulacionConsignacion &) = delete;
    AnulacionConsignacion &operator=(const AnulacionConsignacion &) = delete;

    static std::unique_ptr<AnulacionConsignacion> DesdeDatosComp(TFDatosComp &datos);

    // Asks first (destructive question, default No); refusals and the outcome are shown.
    Resultado Anular(int idConsignacion);
    Resultado Eliminar(int idConsignacion);
    // EXISTENCIA 0 on the lines of every returned consignment of the list, committed; how many
    // consignments. Database errors propagate.
    int ExistenciasDevueltasEnCero(const FiltroConsignaciones &filtro);
    const QString &UltimoError() const { return error_; }

    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }
    std::function<void()> DespuesDeConfirmar;
    bool *transaccionGlobal = nullptr;

private:
    struct Encabezado;
    // The header read with its row locked; false when it does not exist.
    bool Leer(int id, Encabezado &e);
    bool Devuelta(int id);
    // Both transactions started and the header read locked; false when it does not exist.
    bool Comenzar(int id, Encabezado &e);
    // Rolls back and tells `texto` (when given).
    Resultado Rechazar(const QString &texto, Resultado resultado = Resultado::Rechazada);
    Resultado Confirmar(const QString &exito);
    Resultado Fallo(const QString &aviso, const QString &detalle);

    ConexionesCompra c_;
    bool sisDistribuidora_;
    Mensajes *mensajes_;
    ConsultasCompra consultas_;
    QString error_;
};
