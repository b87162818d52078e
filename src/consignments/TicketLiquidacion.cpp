#include "consignments/TicketLiquidacion.h"

#include "platform/ErrorCompras.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kAncho = 40;

QString Centrado(const QString &texto)
{
    const QString t = texto.left(kAncho);
    return QString((kAncho - t.size()) / 2, QLatin1Char(' ')) + t;
}

QString Numero(double v) { return QString::number(v, 'g', 15); }

} // namespace

QByteArray TextoTicketLiquidacion(const EmpresaReporte &e, const QString &comprobante, const QDate &fecha,
                                  const std::vector<FilaLiquidacion> &filas, int lineasPie, bool cortaPapel)
{
    QStringList l;
    l << Centrado(e.nombre.trimmed())
      << Centrado(e.direccion.trimmed().left(100) + QStringLiteral(" - ") + e.ciudad.trimmed())
      << Centrado(e.siglasCedJuridica.trimmed() + QStringLiteral(": ") + e.cedula.trimmed())
      << Centrado(QStringLiteral("Teléfono: ") + e.telefono.trimmed() + QStringLiteral("   Fax: ") + e.fax.trimmed())
      << Centrado(QStringLiteral("COMPROBANTE NUMERO: ") + comprobante)
      << Centrado(fecha.toString(QStringLiteral("dd/MM/yyyy"))) << QString()
      << Centrado(QStringLiteral("LIQUIDACION DE DOCUMENTOS")) << QString(kAncho, QLatin1Char('-'))
      << QStringLiteral("   COD.         TOTAL  DEVOL. FACT. MER.") << QString(kAncho, QLatin1Char('-'));
    const QString cinco(5, QLatin1Char(' '));
    for (const FilaLiquidacion &f : filas) {
        l << QStringLiteral("   ") + f.codigoArticulo << QStringLiteral("   ") + f.nombreArticulo
          << QString(17, QLatin1Char(' ')) + Numero(f.total) + cinco + Numero(f.devolucion) + cinco + Numero(f.facturado) +
                 cinco + Numero(f.diferencia);
    }
    for (int i = 0; i < lineasPie; ++i)
        l << QString();
    QByteArray out;
    for (const QString &linea : l)
        out += linea.toLatin1() + "\r\n";
    if (cortaPapel)
        out += QByteArray("\x1b" "i") + "\r\n";
    return out;
}

void EscribirSalidaTicket(const QString &ruta, const QByteArray &datos)
{
    auto falla = [&ruta](const QString &motivo) {
        return ErrorCompras(QStringLiteral("No se pudo escribir en la salida de tickets \"%1\": %2").arg(ruta, motivo));
    };
    if (ruta.trimmed().isEmpty())
        throw falla(QStringLiteral("la caja no tiene una salida de tickets (TICKET)"));
    const QByteArray nombre = QFile::encodeName(ruta);
    // No blocking on the open; the kind is checked on what was actually opened.
    const int fd = ::open(nombre.constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | O_CREAT, 0644);
    if (fd < 0)
        throw falla(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode))) {
        ::close(fd);
        throw falla(QStringLiteral("no es un dispositivo de caracteres ni un archivo"));
    }
    if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        const int err = errno;
        ::close(fd);
        throw falla(QString::fromLocal8Bit(std::strerror(err)));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    qsizetype escrito = 0;
    while (escrito < datos.size()) {
        const ssize_t n = ::write(fd, datos.constData() + escrito, static_cast<size_t>(datos.size() - escrito));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = errno;
            ::close(fd);
            throw falla(QString::fromLocal8Bit(std::strerror(err)));
        }
        escrito += n;
    }
    if (::close(fd) != 0)
        throw falla(QString::fromLocal8Bit(std::strerror(errno)));
}

ReporteLiquidacion::ReporteLiquidacion(const QString &carpeta, const EmpresaReporte &empresa, const QString &comprobante,
                                       const std::vector<FilaLiquidacion> &filas)
    : filas_({QStringLiteral("NombreArticulo"), QStringLiteral("CodigoArticulo"), QStringLiteral("Total"),
              QStringLiteral("Devolucion"), QStringLiteral("Diferencia"), QStringLiteral("Facturado"),
              QStringLiteral("Edicion"), QStringLiteral("CodigoInterno"), QStringLiteral("NroFactura"),
              QStringLiteral("Fecha"), QStringLiteral("Devolver")}),
      reporte_(std::make_unique<Reporte>())
{
    for (const FilaLiquidacion &f : filas)
        filas_.append({f.nombreArticulo, f.codigoArticulo, Numero(f.total), Numero(f.devolucion), Numero(f.diferencia),
                       Numero(f.facturado), f.edicion, f.codigoInterno, f.nroFactura, f.fecha, f.devolver});
    dsReporte_.setDataSet(&filas_);
    reporte_->setDataSet(&dsReporte_);
    reporte_->LoadFromFile(QDir(carpeta).filePath(kPlantilla));
    VariablesEncabezado(empresa, QStringLiteral("   Fax: "), reporte_->Variables);
    reporte_->Variables[QStringLiteral("Comprobante")] = Reporte::QuotedStr(QStringLiteral("Comprobante# ") + comprobante);
    reporte_->PrepareReport();
}
