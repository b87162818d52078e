#include "purchases/PosteoEntrada.h"

DocumentoCompra DocumentoDeEntrada(const EntradaCompra &e)
{
    DocumentoCompra d;
    d.tipoDocumento = e.TipoComprobante();
    d.comprobante = e.Comprobante();
    d.fecha = e.Fecha();
    d.monedaCarga = e.Moneda();
    d.codProveedor = e.CodigoProveedor();
    d.nombreProveedor = e.NombreProveedor();
    d.porcDescuento = e.PorcDescuento();
    d.proveedorExento = e.ProveedorExento();
    d.inventarioPrincipal = e.InventarioPrincipal();
    d.codBodega = e.CodBodega();
    d.consignacionAFacturar = e.ConsignacionAFacturar;
    d.idConsignacion = e.IdConsignacion;
    d.nroConsignacion = e.NroConsignacion;
    d.modoPedido = e.ModoPedido;
    d.nroPedido = e.NroPedido;
    if (e.HayPreciosElegidos())
        for (const PrecioElegido &p : e.PreciosElegidos())
            d.preciosElegidos.push_back({p.codigo, p.costo});
    return d;
}

TotalesCompra TotalesDeEntrada(const TotalesEntrada &t)
{
    TotalesCompra r;
    r.subtotalGravado = t.SubtotalGravado;
    r.subtotalNoGravado = t.SubtotalNoGravado;
    r.totalGravado = t.TotalGravado;
    r.totalNoGravado = t.TotalNoGravado;
    r.totalSinIv = t.TotalSinIV;
    r.descuento = t.Descuento;
    r.impuesto = t.Impuesto;
    r.total = t.Total;
    return r;
}
