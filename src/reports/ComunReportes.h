#pragma once
// What the purchase reports and the export share: the connections they read through, the
// store settings and header texts, the currency conversion and a report source over a query.

#include "platform/Currency.h"
#include "platform/db/Query.h"
#include "platform/report/FuenteDatosReporte.h"

#include <QDate>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class TFDatosComp;

namespace db {
class Database;
class Transaction;
}

// Read connections of the store and inventory databases (the inventory one is optional).
struct ConexionReportes {
    db::Database *tienda = nullptr;
    db::Transaction *lectura = nullptr;
    db::Database *inventario = nullptr;
    db::Transaction *lecturaInv = nullptr;
};

ConexionReportes ConexionesLecturaDatosComp(TFDatosComp &datos);

// Company, currency and tax names the reports print, and the reports folder.
struct AjustesReportes {
    QString nombreEmpresa, direccion, ciudad, cedula, telefono, fax;
    QString siglasCedJuridica, siglasIV, definicionIV, simboloMoneda, nombreMoneda;
    QString signoMoneda2, denominacionMoneda2;
    QString pathReportes;
};

AjustesReportes AjustesDeDatosComp(TFDatosComp &datos);

// amount x rate2 / rate1 on the fixed-point values, to the nearest ten-thousandth (ties to
// even); nothing when rate1 is zero.
std::optional<Currency> ConvertirMoneda(Currency monto, Currency tasa1, Currency tasa2);

// Plain decimal text of an amount ("1234.5", "-3", "0").
QString TextoMonto(Currency valor);

// Encabezado1 to Encabezado4, quoted for the engine.
void VariablesEncabezado(const AjustesReportes &a, const QString &separadorFax, QMap<QString, QString> &v);

// Report rows read straight from a query, plus fields computed per row: nothing is kept
// but the current row, so memory does not grow with the rows printed. The query is
// (re)executed by first().
class FuenteConsulta : public FuenteDatosReporte {
public:
    using Calculo = std::function<void(db::Query &, QHash<QString, QVariant> &)>;

    FuenteConsulta(std::unique_ptr<db::Query> consulta, QStringList calculados, Calculo calcular);

    QStringList fieldNames() const override;
    void first() override;
    bool next() override;
    bool eof() const override;
    QVariant value(const QString &fieldName) const override;

    db::Query &consulta() { return *q_; }

private:
    void calcular();

    std::unique_ptr<db::Query> q_;
    QStringList calculados_;
    Calculo calculo_;
    QHash<QString, QVariant> valores_;  // upper-case name
    mutable QHash<QString, int> indices_;
    bool abierta_ = false;
    bool enPrimera_ = false;  // executed and not moved yet: first() need not run it again
};
