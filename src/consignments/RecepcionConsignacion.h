#pragma once
// Saving the document keyed in purchase entry (consignment mode) as a consignment received:
// the header and its lines, each article's stock, average cost, purchase price and four sale
// prices (the purchase posting's arithmetic, records/ActualizacionInventarioCompra), warehouse
// "0", the stock movements, and the station's work rows emptied. One unit of work: the store
// and inventory update transactions are held from the first write and committed together
// (two-phase); any failure rolls both back, so no header is ever left without its lines.

#include "records/ActualizacionInventarioCompra.h"
#include "records/ConexionesCompra.h"
#include "platform/Currency.h"

#include <QDate>
#include <QString>

#include <functional>
#include <memory>

class EntradaCompra;
class Mensajes;
class TFDatosComp;

// What purchase entry holds about the document (amounts as its totals show them).
struct DocumentoConsignacion {
    QString comprobante;
    QDate fecha;
    int codProveedor = 0;
    QString nombreProveedor;
    Currency porcDescuento;
    Currency subtotalGravado, subtotalNoGravado, totalGravado, totalNoGravado;
    Currency descuento, impuesto, total;
};

// The header values of the document in purchase entry.
DocumentoConsignacion ConsignacionDeEntrada(const EntradaCompra &entrada);

class RecepcionConsignacion {
public:
    static inline const QString kGuardada =
        QStringLiteral("El comprobante de Consignación se ha cargado correctamente");
    static inline const QString kPreguntaImprimir = QStringLiteral("Desea Imprimir el comprobante cargado?");

    RecepcionConsignacion(const ConexionesCompra &conexiones, AjustesActualizacionCompra ajustes);
    ~RecepcionConsignacion();
    RecepcionConsignacion(const RecepcionConsignacion &) = delete;
    RecepcionConsignacion &operator=(const RecepcionConsignacion &) = delete;

    // On the data module's store and inventory connections, settings, rates and host variables;
    // raises TransaccionGlobal while saving and refreshes the consignment and stock datasets after.
    static std::unique_ptr<RecepcionConsignacion> DesdeDatosComp(TFDatosComp &datos);

    // Saves the station's work lines as consignment `documento`. The new ID_CONSIGNACION, or 0:
    // the failure was shown (messages service) and both databases are as they were.
    int Guardar(const DocumentoConsignacion &documento);
    const QString &UltimoError() const { return error_; }

    std::function<void()> DespuesDeConfirmar;
    bool *transaccionGlobal = nullptr;
    void EstablecerMensajes(Mensajes *m) { mensajes_ = m; }
    const AjustesActualizacionCompra &Ajustes() const { return ajustes_; }

private:
    struct Linea;
    void Escribir(const DocumentoConsignacion &doc);

    ConexionesCompra c_;
    AjustesActualizacionCompra ajustes_;
    Mensajes *mensajes_;
    ActualizadorInventarioCompra actualizador_;
    ConsultasCompra consultas_;
    QString error_;
    int id_ = 0;
};
