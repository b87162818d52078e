#pragma once
// Where the programs find what ships with them: the templates and the module beside an
// installed program (relative to its folder, so an unpacked package works too), or the
// source and build folders when run from a development build.

#include <QString>
#include <QStringList>

struct RutasPrograma {
    QString plantillas;   // report and workbook templates
    QString modulo;       // libmodulo_compras.so
    bool instalado = false;
};

// `carpetaPrograma` is the folder of the running executable. COMPRAS_REPORTES and
// COMPRAS_MODULO in the environment take precedence.
RutasPrograma ResolverRutas(const QString &carpetaPrograma);

// The version set once in CMake.
QString VersionCompras();

// "<programa> <versión>", the line --version prints.
QString LineaVersion(const QString &programa);

// Prints `ayuda` for -h/--help or the version line for -v/--version on stdout; true when one
// was asked for (the program then ends with 0). Needs no application object.
bool AtenderAyudaOVersion(int argc, const char *const *argv, const QString &programa, const QString &ayuda);

// Copies the templates of `origen` into `destino` and returns `destino` with a trailing slash.
// A copy the user has edited is kept: a template is replaced only while it still holds what was
// last copied (recorded in `destino`/.plantillas), or, with no record yet, while it is older
// than the shipped one. Templates that could not be copied (or the folder) go to `fallidas`.
QString InstalarPlantillas(const QString &origen, const QString &destino, QStringList *fallidas = nullptr);
