#include "pricing/AjustesPrecios.h"

#include <utility>

namespace {
std::function<AjustesPrecios()> &Proveedor()
{
    static std::function<AjustesPrecios()> proveedor;
    return proveedor;
}
} // namespace

void EstablecerProveedorAjustes(std::function<AjustesPrecios()> proveedor)
{
    Proveedor() = std::move(proveedor);
}

AjustesPrecios AjustesActuales()
{
    const auto &proveedor = Proveedor();
    return proveedor ? proveedor() : AjustesPrecios{};
}
