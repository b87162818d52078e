#include "platform/workbook/TmxNativeExcel.h"

#include <QFileInfo>

void TmxNativeExcel::NewFile()
{
    libro_ = LibroHojas();
    libro_.hojas.push_back(HojaLibro{QStringLiteral("Hoja1")});
    fuentes_.clear();
    activa_ = -1;
    Borders = 0;
    cerrado_ = false;
}

QString TmxNativeExcel::NombreXlsx(const QString &archivo)
{
    QFileInfo info(archivo);
    const QString ext = info.suffix().toLower();
    if (ext == QLatin1String("xls") || ext == QLatin1String("xlsx"))
        return archivo.left(archivo.size() - info.suffix().size()) + QStringLiteral("xlsx");
    return archivo + QStringLiteral(".xlsx");
}

void TmxNativeExcel::SetFileName(const QString &archivo) { archivo_ = NombreXlsx(archivo); }

int TmxNativeExcel::AddFont(const QFont &fuente)
{
    double puntos = fuente.pointSizeF() > 0 ? fuente.pointSizeF() : 8;
    return AddFont(fuente.family(), puntos, fuente.bold(), fuente.italic());
}

int TmxNativeExcel::AddFont(const QString &familia, double puntos, bool negrita, bool cursiva)
{
    fuentes_.push_back({familia, puntos, negrita, cursiva});
    return static_cast<int>(fuentes_.size()) - 1;
}

void TmxNativeExcel::SetActiveFont(int indice)
{
    if (indice >= 0 && indice < static_cast<int>(fuentes_.size()))
        activa_ = indice;
}

CeldaLibro &TmxNativeExcel::celda(int fila, int columna)
{
    if (libro_.hojas.empty())
        NewFile();
    CeldaLibro &c = libro_.hojas.front().celdaParaEscribir(std::max(1, fila), std::max(1, columna));
    c = CeldaLibro();
    if (activa_ >= 0) {
        const Fuente &f = fuentes_[activa_];
        c.fuente = f.familia;
        c.tamano = f.puntos;
        c.negrita = f.negrita;
        c.cursiva = f.cursiva;
    }
    c.bordes = Borders & BordeTodos;
    return c;
}

void TmxNativeExcel::WriteLabel(int fila, int columna, const QString &texto)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Texto;
    c.texto = texto;
}

void TmxNativeExcel::WriteNumber(int fila, int columna, double valor)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Numero;
    c.numero = valor;
}

void TmxNativeExcel::WriteInteger(int fila, int columna, qint64 valor)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Numero;
    c.numero = static_cast<double>(valor);
    c.formato = QStringLiteral("0");
}

void TmxNativeExcel::SetColumnWidth(int columna, double ancho) { SetColumnWidth(columna, columna, ancho); }

void TmxNativeExcel::SetColumnWidth(int primera, int ultima, double ancho)
{
    if (libro_.hojas.empty())
        NewFile();
    for (int c = std::max(1, primera); c <= ultima; ++c)
        libro_.hojas.front().anchos[c] = ancho;
}

void TmxNativeExcel::CloseFile() { cerrado_ = true; }

bool TmxNativeExcel::SaveToFile()
{
    if (libro_.hojas.empty())
        NewFile();
    try {
        if (archivo_.isEmpty())
            throw ErrorLibro(MensajeErrorGuardar());
        GuardarLibroXlsx(libro_, archivo_);
    } catch (const ErrorLibro &) {
        if (AlError)
            AlError(MensajeErrorGuardar());
        return false;
    }
    if (AlInformar)
        AlInformar(MensajeExito(archivo_));
    return true;
}

QString TmxNativeExcel::MensajeExito(const QString &archivo)
{
    return QStringLiteral("El archivo  \"%1\"  se generó correctamente!").arg(archivo);
}

QString TmxNativeExcel::MensajeErrorGuardar()
{
    return QStringLiteral("El nombre y la ubicacion del archivo que desea guardar\r\n"
                          "esta siendo utilizado en este momento por otra aplicacion\r\n"
                          "No se pudo guardar el archivo");
}
