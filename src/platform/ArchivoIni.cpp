#include "platform/ArchivoIni.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

ArchivoIni::ArchivoIni(const QString &ruta) : ruta_(ruta)
{
    QFile f(ruta);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    existe_ = true;
    QString seccion;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString raw = in.readLine();
        const QString line = raw.trimmed();
        Linea l;
        l.texto = raw;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            seccion = line.mid(1, line.size() - 2).trimmed();
        } else if (!line.startsWith(QLatin1Char(';')) && !line.startsWith(QLatin1Char('#')) && line.contains(QLatin1Char('='))) {
            const int eq = line.indexOf(QLatin1Char('='));
            l.seccion = seccion;
            l.clave = line.left(eq).trimmed();
            l.valor = line.mid(eq + 1).trimmed();
        }
        lineas_.push_back(l);
    }
}

int ArchivoIni::buscar(const QString &seccion, const QString &clave) const
{
    for (int i = 0; i < static_cast<int>(lineas_.size()); ++i) {
        const Linea &l = lineas_[i];
        if (!l.clave.isEmpty() && l.seccion.compare(seccion, Qt::CaseInsensitive) == 0
            && l.clave.compare(clave, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ArchivoIni::LeerTexto(const QString &seccion, const QString &clave, const QString &defecto) const
{
    const int i = buscar(seccion, clave);
    return i < 0 ? defecto : lineas_[i].valor;
}

int ArchivoIni::LeerEntero(const QString &seccion, const QString &clave, int defecto) const
{
    bool ok = false;
    const int v = LeerTexto(seccion, clave).toInt(&ok);
    return ok ? v : defecto;
}

bool ArchivoIni::LeerSiNo(const QString &seccion, const QString &clave, bool defecto) const
{
    const QString v = LeerTexto(seccion, clave).trimmed().toUpper();
    if (v.isEmpty())
        return defecto;
    return v == QLatin1String("S") || v == QLatin1String("1") || v == QLatin1String("TRUE");
}

void ArchivoIni::EscribirTexto(const QString &seccion, const QString &clave, const QString &valor)
{
    const int i = buscar(seccion, clave);
    if (i >= 0) {
        lineas_[i].valor = valor;
        lineas_[i].texto.clear();
        return;
    }
    // Append after the last line of the section, or add the section.
    int last = -1;
    QString actual;
    for (int j = 0; j < static_cast<int>(lineas_.size()); ++j) {
        const QString t = lineas_[j].texto.trimmed();
        if (t.startsWith(QLatin1Char('[')))
            actual = t.mid(1, t.size() - 2).trimmed();
        if (actual.compare(seccion, Qt::CaseInsensitive) == 0)
            last = j;
    }
    Linea l{seccion, clave, valor, QString()};
    if (last < 0) {
        lineas_.push_back({QString(), QString(), QString(), QLatin1Char('[') + seccion + QLatin1Char(']')});
        lineas_.push_back(l);
    } else {
        lineas_.insert(lineas_.begin() + last + 1, l);
    }
}

bool ArchivoIni::Guardar() const
{
    QSaveFile f(ruta_);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream out(&f);
    for (const Linea &l : lineas_)
        out << (l.clave.isEmpty() || !l.texto.isEmpty() ? l.texto : l.clave + QLatin1Char('=') + l.valor) << '\n';
    out.flush();
    return f.commit();
}
