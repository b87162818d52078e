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

void VariablesEncabezadoEmpresa(const TFDatosComp &datos, QMap<QString, QString> &variables);
