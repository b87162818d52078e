#pragma once
// Waiting banner of the spreadsheet import: a borderless strip on top of everything with a
// scrolling bold text and the share of the rows already read.

#include <QWidget>

class TfrmTextoEspera : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTexto = QStringLiteral("Espere mientras se realiza la importación...");

    explicit TfrmTextoEspera(QWidget *parent = nullptr);

    // Shows the banner centred on `sobre` (the screen when null) and paints it at once.
    void Mostrar(QWidget *sobre);
    // Rows done of total; repaints and lets the window system breathe.
    void Avance(int hechas, int total);
    int Porcentaje() const { return porcentaje_; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    int porcentaje_ = 0;
    int desplazamiento_ = 0;
};
