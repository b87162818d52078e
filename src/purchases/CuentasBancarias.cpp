#include "purchases/CuentasBancarias.h"

#include "data/Comp_fdatos.h"
#include "platform/db/Dataset.h"

std::vector<CuentaBancaria> CuentasBancarias(TFDatosComp &datos)
{
    db::Dataset &c = *datos.TCuenBanco;
    c.close();
    c.setSelectSql(QStringLiteral("select * from CUENTAS_BANCARIAS\n order by NOMBRE_CUENTA"));
    c.open();
    std::vector<CuentaBancaria> cuentas;
    for (c.first(); !c.eof(); c.next())
        cuentas.push_back({c.fieldByName(QStringLiteral("ID_CUENTA")).asInteger(),
                           c.fieldByName(QStringLiteral("NOMBRE_CUENTA")).asString()});
    return cuentas;
}
