#pragma once
// INI files: [Section] and Key=Value lines; a missing file, section or key reads as the default.
// Section and key names match without regard to case.

#include <QString>
#include <vector>

class ArchivoIni {
public:
    explicit ArchivoIni(const QString &ruta);

    QString LeerTexto(const QString &seccion, const QString &clave, const QString &defecto = QString()) const;
    int LeerEntero(const QString &seccion, const QString &clave, int defecto = 0) const;
    bool LeerSiNo(const QString &seccion, const QString &clave, bool defecto = false) const;
    void EscribirTexto(const QString &seccion, const QString &clave, const QString &valor);
    // Writes the file; false when it cannot be written.
    bool Guardar() const;
    bool existe() const { return existe_; }
    const QString &ruta() const { return ruta_; }

private:
    struct Linea {
        QString seccion, clave, valor, texto;  // texto: the raw line for comments and headers
    };
    int buscar(const QString &seccion, const QString &clave) const;

    QString ruta_;
    bool existe_ = false;
    std::vector<Linea> lineas_;
};
