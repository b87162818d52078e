#pragma once
// A SELECT built line by line with its parameters bound by name; what the user typed only
// ever travels as a parameter.

#include "platform/db/Dataset.h"
#include "platform/db/Value.h"

#include <QStringList>

#include <utility>
#include <vector>

struct ConsultaFiltrada {
    QStringList lineas;
    std::vector<std::pair<QString, db::Value>> parametros;

    ConsultaFiltrada &Linea(const QString &linea);
    ConsultaFiltrada &Parametro(const QString &nombre, const db::Value &valor);
    QString Sql() const { return lineas.join(QLatin1Char('\n')); }
    bool TieneParametro(const QString &nombre) const;
    db::Value ValorParametro(const QString &nombre) const;
    // Closes `ds`, replaces its SELECT, binds the parameters and opens it.
    void Abrir(db::Dataset &ds) const;
};
