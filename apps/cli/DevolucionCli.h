#pragma once
// "compras return": gives back lines of a consignment named in a JSON file.
//   {"lineas": [{"codigo": "ART-1", "cantidad": 2}, ...]}  or  {"todas": true}
// "cantidad" may be left out: the line's whole existence.

#include "cli/PosteoCli.h"
#include "platform/Currency.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

struct DevolucionJson {
    bool todas = false;
    struct Linea {
        QString codigo;
        std::optional<Currency> cantidad;
    };
    std::vector<Linea> lineas;
};

// Reads and checks the shape of the file; on failure returns nothing and sets `error`.
std::optional<DevolucionJson> LeerDevolucionJson(const QByteArray &contenido, QString &error);

// Returns the lines of consignment `idConsignacion` on the connected databases; in distributor
// mode then writes and sends the distributor's files (their outcome goes to the output too).
ResultadoCli DevolverConsignacion(int idConsignacion, const DevolucionJson &d, const QString &computadora);
