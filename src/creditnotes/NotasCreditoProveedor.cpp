#include "creditnotes/NotasCreditoProveedor.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"

void SeleccionNotasCredito::Cargar(TFDatosComp &datos, int codProveedor)
{
    db::Dataset &tnc = *datos.TNC;
    tnc.close();
    tnc.setSelectSql(QStringLiteral("select * from NOTAS_CREDITO_PROV\n where COD_PROVEEDOR = :Pro\n and ASIGNADA = "
                                    "'N'\n and ANULADA = 'N'\n order by FECHA"));
    tnc.paramByName(QStringLiteral("Pro")).setAsInteger(codProveedor);
    tnc.open();
    std::vector<NotaCreditoAbierta> notas;
    for (tnc.first(); !tnc.eof(); tnc.next())
        notas.push_back({tnc.fieldByName(QStringLiteral("COMPROBANTE")).asString(),
                         tnc.fieldByName(QStringLiteral("FECHA")).asDate(),
                         tnc.fieldByName(QStringLiteral("IMP_TOTAL")).asCurrency(), false});
    Establecer(std::move(notas));
}

void SeleccionNotasCredito::Establecer(std::vector<NotaCreditoAbierta> notas)
{
    notas_ = std::move(notas);
    total_ = Currency();
    for (const NotaCreditoAbierta &n : notas_)
        if (n.marcada)
            total_ += n.importe;
}

bool SeleccionNotasCredito::Marcar(int i, bool marcar)
{
    if (i < 0 || i >= static_cast<int>(notas_.size()))
        return false;
    NotaCreditoAbierta &n = notas_[static_cast<size_t>(i)];
    if (n.marcada == marcar)
        return true;
    if (marcar && !(totalFactura_ > total_))
        return false;
    n.marcada = marcar;
    total_ = marcar ? total_ + n.importe : total_ - n.importe;
    return true;
}

EleccionNotas SeleccionNotasCredito::Eleccion(const QString &notaSaldo) const
{
    EleccionNotas e;
    e.seleccionadas << QString();
    for (const NotaCreditoAbierta &n : notas_)
        e.seleccionadas << (n.marcada ? n.comprobante : QString());
    e.importe = total_;
    e.notaSaldo = notaSaldo;
    return e;
}

QString AbrirNotasDeFactura(TFDatosComp &datos)
{
    db::Dataset &f = *datos.TFacturasCompra;
    if (!f.active() || f.isEmpty())
        return QString();
    const QString comprobante = f.fieldByName(QStringLiteral("COMPROBANTE")).asString();
    db::Dataset &tnc = *datos.TNC;
    tnc.close();
    // The invoice's supplier too: another supplier's invoice may carry the same number.
    tnc.setSelectSql(QStringLiteral("select * from NOTAS_CREDITO_PROV\n where (FACTURA_VENTA = :Comprobante or "
                                    "APLICA_FACTURA = :Comprobante) and COD_PROVEEDOR = :Proveedor order by FECHA"));
    tnc.paramByName(QStringLiteral("Comprobante")).setAsString(comprobante);
    tnc.paramByName(QStringLiteral("Proveedor")).setAsInteger(f.fieldByName(QStringLiteral("CODIGO_PROVEEDOR")).asInteger());
    tnc.open();
    return comprobante;
}
