#pragma once
// "Seleccione el Tipo de Moneda": prints all consignments of the browser's period or those of
// its filter, in the first or the second currency.

#include "consignments/ListadoConsignaciones.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <functional>

class Reporte;
class TFDatosComp;
class QPushButton;
class QRadioButton;

class Tfrm_ElegirTipoMoneda : public QWidget {
    Q_OBJECT
public:
    // modo: "Todas" or "Filtro".
    Tfrm_ElegirTipoMoneda(TFDatosComp &datos, const QString &modo, const FiltroConsignaciones &filtro,
                          QWidget *parent = nullptr);
    ~Tfrm_ElegirTipoMoneda() override;

    void AbrirDesde(QWidget *llamador);
    std::function<void(Reporte &)> MostrarReporte;

    QRadioButton *rBtn_Moneda1;
    QRadioButton *rBtn_Moneda2;
    QPushButton *btn_Aceptar;
    QPushButton *btn_Cancelar;

public slots:
    void btn_AceptarClick();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    TFDatosComp &datos_;
    QString modo_;
    FiltroConsignaciones filtro_;
    Llamador llamador_;
};
