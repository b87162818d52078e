#pragma once
// The company lines every printout carries in its header (Encabezado1 to Encabezado4).

#include <QMap>
#include <QString>

class TFDatosComp;
namespace db {
class Dataset;
}

// A field of a host record; empty when the record or the field is missing.
QString CampoRegistro(db::Dataset *registro, const QString &campo);

// The company data the header lines are made of.
struct EmpresaReporte {
    QString nombre, direccion, ciudad, siglasCedJuridica, cedula, telefono, fax;
};

// Encabezado1 to Encabezado4, quoted for the engine; `separadorFax` goes between phone and fax.
void VariablesEncabezado(const EmpresaReporte &e, const QString &separadorFax, QMap<QString, QString> &variables);

// The same from the host's company and currency records, with the usual separator.
void VariablesEncabezadoEmpresa(const TFDatosComp &datos, QMap<QString, QString> &variables);
