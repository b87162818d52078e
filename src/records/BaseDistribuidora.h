#pragma once
// The distributor's database: where it is and with which credentials (settings only), its mail
// settings, and the settlement rows a consignment return records there (TB_ARCHIVOS_GENERADOS).
// Its update transaction joins the return's grouped commit with the store and inventory ones.

#include "records/ArchivosDistribuidora.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Transaction.h"

#include <QString>

#include <memory>
#include <vector>

class TFDatosComp;

// Where the distributor database lives. An embedded file by default; a server when one is named.
struct AjustesBaseDistribuidora {
    QString ubicacion;  // database file (on the server when `servidor` is set)
    QString servidor;
    QString usuario, clave;

    // datos.ini, section BaseDatos: UbicacionDis and Servidor (trimmed), UsuarioDis and ClaveDis.
    // Missing keys keep the given values (the host's settings: its distributor file, user and
    // password).
    static AjustesBaseDistribuidora DesdeIni(const QString &rutaIni, const AjustesBaseDistribuidora &porDefecto);
    // The module's default: "distribuidora.fdb" beside the store database, on the same server and
    // with the store connection's user and password (the host's settings), then datos.ini.
    static AjustesBaseDistribuidora DesdeDatosComp(TFDatosComp &datos);
    // "servidor:ubicacion", or the file alone.
    QString Conexion() const;
};

class BaseDistribuidora {
public:
    static inline const QString kErrorConexion =
        QStringLiteral("No se pudo conectar con la base de datos de la distribuidora.");

    explicit BaseDistribuidora(AjustesBaseDistribuidora ajustes);
    ~BaseDistribuidora();
    BaseDistribuidora(const BaseDistribuidora &) = delete;
    BaseDistribuidora &operator=(const BaseDistribuidora &) = delete;

    // Attaches (bounded in time). Throws ErrorCompras with kErrorConexion and the engine's text.
    void Conectar();
    void Desconectar();
    bool Conectada() const;

    // CONFIG row 1 (empty settings when there is none).
    ConfigCorreoDistribuidora LeerConfigCorreo();
    // The stored rows of consignment `nroFactura`, in the order they were written.
    std::vector<FilaLiquidacion> Archivos(const QString &nroFactura);
    // One settlement row, on the update transaction (not committed: the caller commits it with
    // the return's other databases). Throws ErrorRegistro.
    void InsertarArchivoGenerado(const FilaLiquidacion &fila);

    db::Database &base() { return *base_; }
    db::Transaction &transUpdate() { return *update_; }

private:
    AjustesBaseDistribuidora ajustes_;
    std::unique_ptr<db::Database> base_;
    std::unique_ptr<db::Transaction> update_;
    std::unique_ptr<db::Query> insertar_;
};

// Whether the article is a book: its supplier's COD_PROVEEDOR2 is "2000" (inventory database,
// read in `t`).
bool ArticuloEsLibro(db::Database &inventario, db::Transaction &t, const QString &codigo);
