#pragma once
// "Devolucion de Consignaciones": the open lines of one consignment, ticked and corrected by
// the user, given back through the headless return.

#include "consignments/DevolucionConsignacion.h"
#include "data/EncabezadoReporte.h"
#include "ui/UtilBusqueda.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class TFDatosComp;
class Reporte;
class QLabel;
class QPushButton;
class QTableWidget;

class TfrmDevolucionConsig : public QWidget {
    Q_OBJECT
public:
    enum Columna { colCodigo, colArticulo, colPrecio, colCantidad, colImporte, colDevolver, colCantidadColumnas };

    // `devolucion`: the return to use (by default on the data module's connections).
    TfrmDevolucionConsig(TFDatosComp &datos, int idConsignacion,
                         std::unique_ptr<DevolucionConsignacion> devolucion = nullptr, QWidget *parent = nullptr);
    ~TfrmDevolucionConsig() override;

    // Shows the window and disables `llamador` until it closes.
    void AbrirDesde(QWidget *llamador);
    // Called after a return was recorded, before the window closes.
    std::function<void()> Devuelto;
    // Folder of the send log and of the queued e-mails (the executable's folder by default).
    QString carpetaEnvio;
    int segundosCorreo = 10;
    // The till's ticket output (TICKET of the cash-register record) and the ticket's settings.
    QString salidaTicket;
    EmpresaReporte empresa;
    int lineasPie = 0;
    bool cortaPapel = false;
    // Where the settlement's template is: "Reportes" beside the program, else PathReportes.
    QString carpetaReportes;
    // Shows the settlement on screen (the preview by default).
    std::function<void(Reporte &)> MostrarReporte;

    QTableWidget *gridDevoluciones;
    QPushButton *btnAceptar, *btnCancelar, *btnMarcarTodo, *btnDesmarcarTodo;
    QLabel *lbl1, *lbintentos;

public slots:
    void btnAceptarClick();
    void Marcar(bool marcar);

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    void CargarGrid();
    // The grid's rows as lines; false when a typed quantity is not a number.
    bool LeerGrid(std::vector<LineaDevolucionConsig> &lineas) const;
    // The files and the e-mail on a worker thread; the window keeps painting meanwhile.
    EnvioDevolucion EnviarEnSegundoPlano();
    void ImprimirTicket();

    int id_;
    std::unique_ptr<DevolucionConsignacion> devolucion_;
    std::vector<LineaDevolucionConsig> lineas_;
    Llamador llamador_;
    bool enviando_ = false;
};
