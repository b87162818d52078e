#pragma once
// Creating the module's databases from the schema scripts built into the program.

#include "platform/db/Database.h"

#include <QString>
#include <QStringList>
#include <functional>

// The database roles, in the order they are created: tienda, inventario, contabilidad,
// distribuidora, central. A role's file in a folder is "<role>.fdb".
const QStringList &RolesBases();

// Text of a built-in script ("tienda", "tienda_demo", ...); empty when there is none.
QString ScriptEsquema(const QString &nombre);

// Creates the database of `rol` at `conexion` and runs its schema, the role's "_busqueda"
// script when there is one (and demo data when asked).
// Throws db::DbError naming the script and statement that failed.
void CrearBase(const db::ConnectionParams &conexion, const QString &rol, bool demo);

// The tables each role must have, for checks.
QStringList TablasEsperadas(const QString &rol);

// Brings an existing database of `rol` up to the current schema: tables added since it was
// created, USUARIOS.CLAVE widened for salted passwords, and the article search's texts
// (inventario_busqueda.sql) built from the articles. Returns what it changed, in Spanish.
QStringList ActualizarEsquema(db::Database &base, const QString &rol);
