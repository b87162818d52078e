#pragma once
// The laboratories list without its window: the rows shown and the unit of work that adds,
// renames or deletes one laboratory on the inventory database.

#include "catalogs/Familias.h"
#include "platform/db/ConsultaFiltrada.h"
#include "records/ConexionesCompra.h"

#include <QString>

inline const QString kLaboratorioDuplicado = QStringLiteral("El nombre del laboratorio está duplicado");
inline const QString kLaboratorioSinNombre = QStringLiteral("Debe digitar el nombre del laboratorio");
inline const QString kLaboratorioEnUso =
    QStringLiteral("No se puede borrar el laboratorio: hay artículos que lo tienen asignado.");
inline const QString kPreguntaBorrarLaboratorio = QStringLiteral("¿Desea Borrar el laboratorio seleccionado?");

// A name refused (empty or already used); the message is for the balloon on the name.
class ErrorNombreLaboratorio : public ErrorCatalogo {
public:
    using ErrorCatalogo::ErrorCatalogo;
};

// A laboratory that articles still name is not deleted.
class ErrorLaboratorioEnUso : public ErrorCatalogo {
public:
    using ErrorCatalogo::ErrorCatalogo;
};

class Laboratorios {
public:
    explicit Laboratorios(const ConexionesCompra &conexiones) : c_(conexiones) {}

    // Every laboratory with both columns, in the order they were added.
    static ConsultaFiltrada Consulta();
    // The name as stored: upper case, without surrounding blanks.
    static QString Normalizar(const QString &nombre);

    // True when another laboratory (not `excepto`) has the name, case and surrounding blanks ignored.
    bool Duplicado(const QString &nombre, int excepto = -1) const;
    // Each writes and commits; an empty or repeated name throws ErrorNombreLaboratorio, deleting
    // one an article uses throws ErrorLaboratorioEnUso.
    int Agregar(const QString &nombre);  // returns the key the database assigned
    void Renombrar(int id, const QString &nombre);
    void Borrar(int id);

private:
    void Verificar(const QString &nombre, int excepto) const;
    ConexionesCompra c_;
};
