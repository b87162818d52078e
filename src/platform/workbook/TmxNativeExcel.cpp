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
    escritor_.reset();
    falloDirecto_ = false;
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
    CeldaLibro &c = directa_ ? suelta_ : libro_.hojas.front().celdaParaEscribir(std::max(1, fila), std::max(1, columna));
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

void TmxNativeExcel::abrirDirecto()
{
    if (escritor_)
        return;
    if (archivo_.isEmpty())
        throw ErrorLibro(MensajeErrorGuardar());
    escritor_ = std::make_unique<EscritorXlsx>(archivo_, true);
    escritor_->NuevaHoja(libro_.hojas.front().nombre);
}

// Straight to the file when asked; a failure is kept for SaveToFile to report.
void TmxNativeExcel::escribir(int fila, int columna, CeldaLibro &c)
{
    if (!directa_ || falloDirecto_)
        return;
    try {
        abrirDirecto();
        escritor_->Escribir(std::max(1, fila), std::max(1, columna), c);
    } catch (const ErrorLibro &) {
        escritor_.reset();
        falloDirecto_ = true;
    }
}

void TmxNativeExcel::WriteLabel(int fila, int columna, const QString &texto)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Texto;
    c.texto = texto;
    escribir(fila, columna, c);
}

void TmxNativeExcel::WriteNumber(int fila, int columna, double valor)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Numero;
    c.numero = valor;
    escribir(fila, columna, c);
}

void TmxNativeExcel::WriteInteger(int fila, int columna, qint64 valor)
{
    CeldaLibro &c = celda(fila, columna);
    c.tipo = CeldaLibro::Tipo::Numero;
    c.numero = static_cast<double>(valor);
    c.formato = QStringLiteral("0");
    escribir(fila, columna, c);
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
        if (archivo_.isEmpty() || falloDirecto_)
            throw ErrorLibro(MensajeErrorGuardar());
        if (directa_) {
            abrirDirecto();
            escritor_->Anchos(libro_.hojas.front().anchos);
            auto escritor = std::move(escritor_);
            escritor->Guardar();
        } else {
            GuardarLibroXlsx(libro_, archivo_);
        }
    } catch (const ErrorLibro &) {
        escritor_.reset();
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
