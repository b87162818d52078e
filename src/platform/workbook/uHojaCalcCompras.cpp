#include "platform/workbook/uHojaCalcCompras.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>

std::function<bool(const QUrl &)> THojaCalc::AbrirEnEscritorio = [](const QUrl &url) {
    return QDesktopServices::openUrl(url);
};

THojaCalc::THojaCalc(TTipoHojaCalc tipo, bool visible) : Visible(visible)
{
    Tipo = tipo == thcExcel ? thcExcel : thcOpenOffice;
    NewDoc();
}

THojaCalc::THojaCalc(const QString &archivo, bool visible) : FileName(archivo), Visible(visible)
{
    Tipo = thcNone;
    LoadProg();
    LoadDoc();
}

THojaCalc::~THojaCalc()
{
    CloseDoc();
}

void THojaCalc::cargarPrograma(bool segunExtension)
{
    if (segunExtension && QFileInfo(FileName).suffix().toUpper() == QLatin1String("XLS"))
        Tipo = thcExcel;
    if (Tipo == thcNone || Tipo == thcError)
        Tipo = thcOpenOffice;
}

void THojaCalc::LoadProg()
{
    if (GetProgLoaded())
        CloseProg();
    Tipo = thcNone;
    cargarPrograma(true);
}

void THojaCalc::CloseProg()
{
    if (!Visible)
        CloseDoc();
    Tipo = thcNone;
}

void THojaCalc::NewDoc()
{
    if (!GetProgLoaded())
        throw ErrorLibro(QStringLiteral("No program loaded for the new document."));
    CloseDoc();
    libro_ = LibroHojas();
    libro_.hojas.push_back(HojaLibro{QStringLiteral("Hoja1")});
    docCargado_ = true;
    activa_ = 0;
    ActivateSheetByIndex(1);
}

void THojaCalc::LoadDoc()
{
    if (FileName.isEmpty())
        return;
    if (!GetProgLoaded())
        cargarPrograma(true);
    if (!GetProgLoaded())
        throw ErrorLibro(QStringLiteral("No puedo leer el fichero \"%1\" al no estar presente el programa necesario.").arg(FileName));
    CloseDoc();
    libro_ = LeerLibro(FileName);
    if (libro_.hojas.empty())
        libro_.hojas.push_back(HojaLibro{QStringLiteral("Hoja1")});
    docCargado_ = true;
    activa_ = 0;
    ActivateSheetByIndex(1);
    if (Visible)
        mostrar();
}

void THojaCalc::SaveDoc()
{
    if (!docCargado_)
        return;
    if (FileName.isEmpty())
        throw ErrorLibro(QStringLiteral("El documento no tiene nombre de archivo."));
    SaveDocAs(FileName);
}

void THojaCalc::SaveDocAs(const QString &archivo, bool)
{
    if (!docCargado_)
        return;
    QFileInfo info(archivo);
    QString destino = archivo;
    const QString ext = info.suffix().toLower();
    if (ext == QLatin1String("xls") || ext == QLatin1String("ods") || ext == QLatin1String("xlsx"))
        destino = archivo.left(archivo.size() - info.suffix().size()) + QStringLiteral("xlsx");
    else
        destino = archivo + QStringLiteral(".xlsx");
    GuardarLibroXlsx(libro_, destino);
    FileName = destino;
    if (Visible)
        mostrar();
}

void THojaCalc::mostrar()
{
    if (!FileName.isEmpty() && QFileInfo::exists(FileName) && AbrirEnEscritorio)
        AbrirEnEscritorio(QUrl::fromLocalFile(QFileInfo(FileName).absoluteFilePath()));
}

void THojaCalc::PrintDoc()
{
    if (!docCargado_)
        return;
    // Printing is done from the desktop program.
    if (FileName.isEmpty() || !QFileInfo::exists(FileName)) {
        auto carpeta = std::make_unique<QTemporaryDir>(QDir(QDir::tempPath()).filePath(QStringLiteral("hoja-XXXXXX")));
        if (!carpeta->isValid())
            throw ErrorLibro(QStringLiteral("No se pudo crear la carpeta temporal para imprimir la hoja: %1").arg(carpeta->errorString()));
        const QString temporal = carpeta->filePath(QStringLiteral("hoja.xlsx"));
        GuardarLibroXlsx(libro_, temporal);
        QFile::setPermissions(temporal, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        impresion_ = std::move(carpeta);  // the previous copy, if any, goes now
        if (AbrirEnEscritorio)
            AbrirEnEscritorio(QUrl::fromLocalFile(temporal));
        return;
    }
    if (AbrirEnEscritorio)
        AbrirEnEscritorio(QUrl::fromLocalFile(QFileInfo(FileName).absoluteFilePath()));
}

void THojaCalc::ShowPrintPreview() { PrintDoc(); }

void THojaCalc::SetVisible(bool visible)
{
    bool antes = Visible;
    Visible = visible;
    if (visible && !antes && docCargado_)
        mostrar();
}

void THojaCalc::CloseDoc()
{
    libro_ = LibroHojas();
    activa_ = -1;
    docCargado_ = false;
}

int THojaCalc::GetCountSheets() const { return docCargado_ ? static_cast<int>(libro_.hojas.size()) : 0; }

bool THojaCalc::ActivateSheetByIndex(int n)
{
    if (!docCargado_)
        return false;
    if (n < 1)
        throw ErrorLibro(QStringLiteral("Can not activate sheet #%1").arg(n));
    while (GetCountSheets() < n) {
        activa_ = GetCountSheets() - 1;
        const QString nombre = QStringLiteral("Nueva hoja %1").arg(GetCountSheets() + 1);
        libro_.hojas.push_back(HojaLibro{nombre});
    }
    activa_ = n - 1;
    return true;
}

bool THojaCalc::ActivateSheetByName(const QString &nombre, bool sensibleMayusculas)
{
    if (!docCargado_)
        return false;
    int i = libro_.indiceHoja(nombre, sensibleMayusculas ? Qt::CaseSensitive : Qt::CaseInsensitive);
    if (i < 0)
        return false;
    activa_ = i;
    return true;
}

HojaLibro *THojaCalc::hoja()
{
    return docCargado_ && activa_ >= 0 && activa_ < GetCountSheets() ? &libro_.hojas[activa_] : nullptr;
}

const HojaLibro *THojaCalc::hoja() const
{
    return docCargado_ && activa_ >= 0 && activa_ < GetCountSheets() ? &libro_.hojas[activa_] : nullptr;
}

QString THojaCalc::GetActiveSheetName() const { return hoja() ? hoja()->nombre : QString(); }

void THojaCalc::SetActiveSheetName(const QString &nombre)
{
    if (HojaLibro *h = hoja())
        h->nombre = ValidateSheetName(nombre);
}

bool THojaCalc::IsActiveSheetProtected() const { return hoja() && hoja()->protegida; }

void THojaCalc::AddNewSheet(const QString &nombre)
{
    if (!docCargado_)
        return;
    const QString valido = ValidateSheetName(nombre);
    if (libro_.indiceHoja(valido) >= 0)
        throw ErrorLibro(QStringLiteral("Ya existe una hoja llamada \"%1\".").arg(valido));
    if (GetIsExcel()) {
        int pos = activa_ + 1;
        libro_.hojas.insert(libro_.hojas.begin() + pos, HojaLibro{valido});
        activa_ = pos;
    } else {
        libro_.hojas.push_back(HojaLibro{valido});
    }
}

void THojaCalc::PrintActiveSheet()
{
    if (GetIsOpenOffice())
        throw ErrorLibro(QStringLiteral("Function \"PrintActiveSheet\" still not working in OpenOffice!"));
    PrintDoc();
}

void THojaCalc::PrintSheetsUntil(const QString &)
{
    if (GetIsOpenOffice())
        throw ErrorLibro(QStringLiteral("Function \"PrintSheetsUntil\" not working in OpenOffice!"));
    PrintDoc();
}

QString THojaCalc::ValidateSheetName(const QString &nombre) const
{
    QString r = nombre;
    for (QChar c : {QLatin1Char(':'), QLatin1Char('/'), QLatin1Char('\\'), QLatin1Char('?'), QLatin1Char('*'),
                    QLatin1Char('['), QLatin1Char(']'), QLatin1Char('"')})
        r.replace(c, QLatin1Char('_'));
    r = r.trimmed();
    if (r.isEmpty())
        r = QStringLiteral("Plan%1").arg(GetCountSheets());
    return r.left(31);
}

QString THojaCalc::GetCellText(int fila, int columna) const
{
    const HojaLibro *h = hoja();
    if (!h)
        return QString();
    const CeldaLibro *c = h->celda(fila, columna);
    return c ? TextoVisible(*c, libro_.fecha1904) : QString();
}

namespace {

// Text a spreadsheet would take as a number: plain decimal with "." and no
// leading zeros (codes such as "00123" stay text).
bool textoNumerico(const QString &t, double &valor)
{
    static const QRegularExpression re(QStringLiteral("^-?(0|[1-9]\\d*)(\\.\\d+)?$"));
    if (!re.match(t).hasMatch())
        return false;
    bool ok = false;
    valor = t.toDouble(&ok);
    return ok;
}

void escribirTexto(CeldaLibro &c, const QString &texto)
{
    c.tipo = CeldaLibro::Tipo::Texto;
    c.texto = texto;
    c.conResultado = false;
    c.textoResultado.clear();
    c.formato.clear();
    double v = 0;
    if (texto.isEmpty()) {
        c.tipo = CeldaLibro::Tipo::Vacia;
    } else if (texto.startsWith(QLatin1Char('='))) {
        c.tipo = CeldaLibro::Tipo::Formula;
        if (textoNumerico(texto.mid(1).trimmed(), v)) {
            c.numero = v;
            c.conResultado = true;
        }
    } else if (textoNumerico(texto, v)) {
        c.tipo = CeldaLibro::Tipo::Numero;
        c.numero = v;
        c.texto.clear();
    }
}

} // namespace

void THojaCalc::SetCellText(int fila, int columna, const QString &texto)
{
    HojaLibro *h = hoja();
    if (!h || fila < 1 || columna < 1)
        return;
    escribirTexto(h->celdaParaEscribir(fila, columna), texto);
}

QString THojaCalc::GetCellFormula(int fila, int columna) const
{
    const HojaLibro *h = hoja();
    if (!h)
        return QString();
    const CeldaLibro *c = h->celda(fila, columna);
    if (!c)
        return QString();
    if (c->tipo == CeldaLibro::Tipo::Formula)
        return c->texto;
    if (c->tipo == CeldaLibro::Tipo::Numero) {
        CeldaLibro general = *c;
        general.formato.clear();
        return TextoVisible(general, libro_.fecha1904);
    }
    return TextoVisible(*c, libro_.fecha1904);
}

void THojaCalc::SetCellFormula(int fila, int columna, const QString &formula) { SetCellText(fila, columna, formula); }

void THojaCalc::SendNumber(int fila, int columna, double valor)
{
    SetCellText(fila, columna, QLatin1Char('=') + QString::asprintf("%f", valor));
}

void THojaCalc::SendDate(int fila, int columna, const QDate &fecha)
{
    HojaLibro *h = hoja();
    if (!h || fila < 1 || columna < 1 || !fecha.isValid())
        return;
    CeldaLibro &c = h->celdaParaEscribir(fila, columna);
    c.tipo = CeldaLibro::Tipo::Numero;
    c.texto.clear();
    c.numero = SerialDeFecha(fecha);
    c.formato = QStringLiteral("mm/dd/yyyy");
}

bool THojaCalc::separarNombre(const QString &nombre, int &fila, int &columna)
{
    QString celda = nombre;
    int excl = static_cast<int>(nombre.lastIndexOf(QLatin1Char('!')));
    if (excl >= 0) {
        QString hojaNombre = nombre.left(excl);
        if (hojaNombre.size() >= 2 && hojaNombre.startsWith(QLatin1Char('\'')) && hojaNombre.endsWith(QLatin1Char('\'')))
            hojaNombre = hojaNombre.mid(1, hojaNombre.size() - 2);
        if (!ActivateSheetByName(hojaNombre, false))
            throw ErrorLibro(QStringLiteral("Sheet \"%1\" not present in the document.").arg(hojaNombre));
        celda = nombre.mid(excl + 1);
    }
    static const QRegularExpression re(QStringLiteral("^\\$?([A-Za-z]{1,3})\\$?(\\d{1,7})$"));
    auto m = re.match(celda.trimmed());
    if (!m.hasMatch())
        throw ErrorLibro(QStringLiteral("Referencia de celda no válida \"%1\".").arg(celda));
    columna = 0;
    for (QChar ch : m.captured(1).toUpper())
        columna = columna * 26 + (ch.unicode() - 'A' + 1);
    fila = m.captured(2).toInt();
    return fila >= 1;
}

QString THojaCalc::GetCellTextByName(const QString &nombre)
{
    if (!docCargado_)
        return QString();
    int fila = 0, columna = 0;
    if (!separarNombre(nombre, fila, columna))
        return QString();
    return GetCellText(fila, columna);
}

void THojaCalc::SetCellTextByName(const QString &nombre, const QString &texto)
{
    if (!docCargado_)
        return;
    int fila = 0, columna = 0;
    if (separarNombre(nombre, fila, columna))
        SetCellText(fila, columna, texto);
}

void THojaCalc::BackgroundColor(int fila, int columna, const QColor &color)
{
    if (HojaLibro *h = hoja(); h && fila >= 1 && columna >= 1)
        h->celdaParaEscribir(fila, columna).fondo = color;
}

void THojaCalc::FontSize(int fila, int columna, double puntos)
{
    if (HojaLibro *h = hoja(); h && fila >= 1 && columna >= 1)
        h->celdaParaEscribir(fila, columna).tamano = puntos;
}

void THojaCalc::Bold(int fila, int columna)
{
    if (HojaLibro *h = hoja(); h && fila >= 1 && columna >= 1)
        h->celdaParaEscribir(fila, columna).negrita = true;
}

void THojaCalc::ColumnWidth(int columna, int ancho)
{
    if (HojaLibro *h = hoja(); h && columna >= 1)
        h->anchos[columna] = ancho / 100.0 / 3.0;
}

QString THojaCalc::FileName2URL(const QString &nombre)
{
    QString r = nombre;
    if (!r.startsWith(QLatin1String("file:///"), Qt::CaseInsensitive))
        r.prepend(QLatin1String("file:///"));
    r.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return r;
}
