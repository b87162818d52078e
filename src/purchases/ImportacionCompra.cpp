#include "purchases/ImportacionCompra.h"

#include "purchases/EntradaCompra.h"
#include "platform/ErrorCompras.h"
#include "platform/Formato.h"
#include "platform/workbook/ErrorLibro.h"
#include "platform/workbook/TmxNativeExcel.h"
#include "platform/workbook/uHojaCalcCompras.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace {

QString S(const char *texto) { return QString::fromUtf8(texto); }

QString Texto(const std::exception &e)
{
    if (const auto *c = dynamic_cast<const ErrorCompras *>(&e))
        return c->mensaje();
    return QString::fromUtf8(e.what());
}

// The cell's text, cut short for a message.
QString Recortado(const QString &texto)
{
    return texto.size() > 20 ? texto.left(17) + QStringLiteral("...") : texto;
}

// More than fifteen digits with at most a sign and separators: a number, too long for an amount.
bool EsNumeroLargo(const QString &texto)
{
    int digitos = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c.isDigit())
            ++digitos;
        else if (!(c == QLatin1Char('.') || c == QLatin1Char(',') || c == QLatin1Char(' ')
                   || (i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+')))))
            return false;
    }
    return digitos > 15;
}

const char *const kNombresColumnas[] = {"Código",   "Descripción",     "Cantidad", "Costo Unitario",
                                        "% Descuento", "Precio de Venta", "Gravado (S/N)", "IV Incluido (S/N)"};

QString NombreColumna(int columna)
{
    return columna >= 1 && columna <= 8 ? QString::fromUtf8(kNombresColumnas[columna - 1]) : QString();
}

struct FilaHoja {
    int fila = 0;
    QString codigo, nombre;
    Currency cantidad, costo;
    std::optional<Currency> descuento, precioVenta;
    std::optional<bool> gravado, ivi;
    std::optional<ArticuloCompra> articulo;  // found by any of its codes
};

} // namespace

ResultadoImportacion ImportacionCompra::ImportarHoja(const THojaCalc &hoja, const std::function<void(int, int)> &progreso)
{
    ResultadoImportacion r;
    std::vector<FilaHoja> filas;
    auto error = [&r](int fila, int columna, const QString &texto) { r.errores.push_back({fila, columna, texto}); };

    // Reads and checks every row before anything is written.
    QHash<QString, int> nuevos;  // unknown code -> first row that names it
    long double totalHoja = 0;   // quantity x cost of every row, before discounts and taxes
    try {
        for (int fila = EntradaCompra::kPrimeraFilaImportacion;; ++fila) {
            const QString codigo = hoja.GetCellText(fila, 1).trimmed().toUpper();
            if (codigo.isEmpty())
                break;
            FilaHoja f;
            f.fila = fila;
            f.codigo = codigo;
            f.nombre = hoja.GetCellText(fila, 2).trimmed().toUpper();
            const std::size_t erroresAntes = r.errores.size();
            if (codigo.size() > 30)
                error(fila, 1, S("el código no puede tener más de 30 caracteres"));
            if (f.nombre.size() > 200)
                error(fila, 2, S("la descripción no puede tener más de 200 caracteres"));
            auto numero = [&](int columna, bool obligatorio, Currency maximo) -> std::optional<Currency> {
                const QString texto = hoja.GetCellText(fila, columna).trimmed();
                if (texto.isEmpty()) {
                    if (obligatorio)
                        error(fila, columna, S("la celda está vacía"));
                    return std::nullopt;
                }
                Currency v;
                bool redondeado = false;
                const QString fueraDeRango = S("el valor está fuera del rango permitido (máximo %1)")
                                                 .arg(FormatCurrency(QStringLiteral("#,##0.####"), maximo));
                try {
                    v = Currency::fromString(texto, &redondeado);
                } catch (const ErrorImporte &) {
                    // Too many digits for any amount is out of range, not "not a number".
                    if (EsNumeroLargo(texto))
                        error(fila, columna, fueraDeRango);
                    else
                        error(fila, columna, S("«%1» no es un número").arg(Recortado(texto)));
                    return std::nullopt;
                }
                if (v < Currency()) {
                    error(fila, columna, S("el valor no puede ser negativo"));
                    return std::nullopt;
                }
                if (v > maximo) {
                    error(fila, columna, fueraDeRango);
                    return std::nullopt;
                }
                if (redondeado)
                    r.avisos << S("Fila %1, columna %2 (%3): %4 se redondeó a %5.")
                                    .arg(fila)
                                    .arg(columna)
                                    .arg(NombreColumna(columna), Recortado(texto), QString::fromStdString(v.toString()));
                return v;
            };
            auto bandera = [&](int columna) -> std::optional<bool> {
                const QString texto = hoja.GetCellText(fila, columna).trimmed().toUpper();
                if (texto.isEmpty())
                    return std::nullopt;
                if (texto != QLatin1String("S") && texto != QLatin1String("N")) {
                    error(fila, columna, S("«%1» no es válido: escriba S o N").arg(texto));
                    return std::nullopt;
                }
                return texto == QLatin1String("S");
            };
            const std::optional<Currency> cantidad = numero(3, true, EntradaCompra::kCantidadMaxima);
            if (cantidad && cantidad->isZero())
                error(fila, 3, S("la cantidad debe ser mayor a cero"));
            const std::optional<Currency> costo = numero(4, true, EntradaCompra::kCostoMaximo);
            if (costo && costo->isZero())
                error(fila, 4, S("el costo debe ser mayor a cero"));
            f.descuento = numero(5, false, Currency(100));
            f.precioVenta = numero(6, false, EntradaCompra::kCostoMaximo);
            f.gravado = bandera(7);
            f.ivi = bandera(8);
            if (cantidad && costo) {
                const long double linea = cantidad->toLongDouble() * costo->toLongDouble();
                if (linea > EntradaCompra::kTotalLineaMaximo.toLongDouble())
                    error(fila, 3, S("el total de la línea es demasiado grande (máximo 999,999,999.99)"));
                totalHoja += linea;
            }
            if (r.errores.size() == erroresAntes && codigo.size() <= 30) {
                f.articulo = entrada_.BuscarArticulo(codigo);
                if (f.articulo && f.articulo->compuesto)
                    error(fila, 1, S("%1 es un artículo compuesto; no se puede comprar").arg(codigo));
                if (!f.articulo && !nuevos.contains(codigo)) {
                    if (f.nombre.isEmpty())
                        error(fila, 2, S("el artículo %1 no existe y falta su descripción").arg(codigo));
                    else
                        nuevos.insert(codigo, fila);
                }
            }
            f.cantidad = cantidad.value_or(Currency());
            f.costo = costo.value_or(Currency());
            filas.push_back(std::move(f));
        }
    } catch (const std::exception &e) {
        r.mensaje = S("No se pudo leer la hoja de cálculo: %1").arg(Texto(e));
        return r;
    }
    if (!r.errores.empty()) {
        QStringList detalle;
        const std::size_t mostrar = std::min<std::size_t>(r.errores.size(), 15);
        for (std::size_t i = 0; i < mostrar; ++i) {
            const ErrorImportacion &e = r.errores[i];
            detalle << S("Fila %1, columna %2 (%3): %4").arg(e.fila).arg(e.columna).arg(NombreColumna(e.columna), e.texto);
        }
        if (r.errores.size() > mostrar)
            detalle << S("... y %1 errores más.").arg(r.errores.size() - mostrar);
        r.mensaje = S("No se importó ninguna línea. Corrija la hoja de cálculo:\n") + detalle.join(QLatin1Char('\n'));
        return r;
    }
    if (filas.empty()) {
        r.mensaje = S("La hoja de cálculo no tiene artículos a partir de la fila %1.")
                        .arg(EntradaCompra::kPrimeraFilaImportacion);
        return r;
    }
    if (totalHoja + entrada_.Totales().Total.toLongDouble() > EntradaCompra::kTotalMaximo.toLongDouble()) {
        r.mensaje = S("No se importó ninguna línea: con estas filas el total del comprobante pasaría de "
                      "999,999,999.99.");
        return r;
    }

    // All rows are sound: the entry writes them in one go.
    std::vector<LineaNueva> lineas;
    lineas.reserve(filas.size());
    QHash<QString, ArticuloCompra> creados;
    int articulosCreados = 0;
    for (const FilaHoja &f : filas) {
        LineaNueva l;
        ArticuloCompra &a = l.articulo;
        if (f.articulo) {
            a = *f.articulo;
            if (!f.nombre.isEmpty())
                a.nombre = f.nombre;
        } else if (creados.contains(f.codigo)) {
            a = creados.value(f.codigo);
        } else {
            a = entrada_.ArticuloNuevo(f.codigo, f.nombre, f.gravado, f.ivi);
            creados.insert(f.codigo, a);
            l.crearArticulo = true;
            ++articulosCreados;
        }
        // The row's flags, when given, are the line's.
        if (f.gravado) {
            a.gravado = *f.gravado;
            if (a.gravado && a.porcIv.isZero())
                a.porcIv = entrada_.PorcentajeIvTienda();
        }
        if (f.ivi)
            a.impuestoIncluido = *f.ivi;
        l.cantidad = f.cantidad;
        l.costo = f.costo;
        l.porcDescuento = f.descuento;
        if (f.precioVenta && *f.precioVenta > Currency())
            l.precioVenta = f.precioVenta;
        lineas.push_back(std::move(l));
    }
    if (!entrada_.AgregarLineas(lineas, progreso)) {
        r.mensaje = S("No se pudo importar la hoja de cálculo; no se agregó ninguna línea.\n%1").arg(entrada_.UltimoError());
        return r;
    }
    r.ok = true;
    if (!r.avisos.isEmpty()) {
        QStringList detalle = r.avisos.mid(0, 15);
        if (r.avisos.size() > 15)
            detalle << S("... y %1 celdas más.").arg(r.avisos.size() - 15);
        r.mensaje = S("Se importaron las líneas; los importes con más de 4 decimales se redondearon:\n")
                    + detalle.join(QLatin1Char('\n'));
    }
    r.lineas = static_cast<int>(lineas.size());
    r.articulosCreados = articulosCreados;
    return r;
}

ResultadoImportacion ImportacionCompra::ImportarArchivo(const QString &archivo, const std::function<void(int, int)> &progreso)
{
    if (archivo.trimmed().isEmpty()) {
        ResultadoImportacion r;
        r.mensaje = EntradaCompra::kSinArchivo;
        return r;
    }
    try {
        THojaCalc hoja(archivo, false);
        hoja.ActivateSheetByIndex(1);
        return ImportarHoja(hoja, progreso);
    } catch (const ErrorLibro &e) {
        ResultadoImportacion r;
        r.mensaje = e.mensaje();
        return r;
    }
}

bool ImportacionCompra::EscribirPlantilla(const QString &archivo, QString *error)
{
    TmxNativeExcel libro;
    libro.AlInformar = [](const QString &) {};
    QString fallo;
    libro.AlError = [&fallo](const QString &t) { fallo = t; };
    libro.NewFile();
    libro.SetFileName(archivo);
    const int normal = libro.AddFont(QStringLiteral("Arial"), 10, false);
    const int negrita = libro.AddFont(QStringLiteral("Arial"), 10, true);
    const int titulo = libro.AddFont(QStringLiteral("Arial"), 12, true);
    libro.SetActiveFont(titulo);
    libro.WriteLabel(1, 1, S("Importación de compras: escriba un artículo por fila a partir de la fila 3"));
    libro.SetActiveFont(negrita);
    libro.Borders = BordeTodos;
    for (int c = 1; c <= 8; ++c)
        libro.WriteLabel(2, c, NombreColumna(c));
    libro.Borders = 0;
    libro.SetActiveFont(normal);
    const double anchos[] = {18, 40, 10, 14, 12, 15, 14, 16};
    for (int c = 1; c <= 8; ++c)
        libro.SetColumnWidth(c, anchos[c - 1]);
    libro.CloseFile();
    const bool ok = libro.SaveToFile();
    if (!ok && error)
        *error = fallo;
    return ok;
}

QString ImportacionCompra::CopiarPlantilla(const QString &carpetaReportes, const QString &carpetaDocumentos,
                                           QString *error)
{
    const QString &plantilla = EntradaCompra::kPlantilla;
    // A fresh account may have no documents folder yet: it is created.
    if (carpetaDocumentos.isEmpty() || !QDir().mkpath(carpetaDocumentos)) {
        if (error)
            *error = QStringLiteral("No puedo encontrar MisDocumentos.");
        return QString();
    }
    const QString origen = QDir(carpetaReportes).filePath(plantilla);
    if (carpetaReportes.isEmpty() || !QFileInfo::exists(origen)) {
        if (error)
            *error = S("La hoja \"%1\" no existe, solicítela a su técnico").arg(plantilla);
        return QString();
    }
    const QString destino = QDir(carpetaDocumentos).filePath(plantilla);
    QFile::remove(destino);
    if (!QFile::copy(origen, destino)) {
        if (error)
            *error = S("No se pudo copiar la hoja \"%1\" en %2.").arg(plantilla, QDir::toNativeSeparators(carpetaDocumentos));
        return QString();
    }
    QFile::setPermissions(destino, QFile::permissions(destino) | QFileDevice::WriteOwner);
    return destino;
}
