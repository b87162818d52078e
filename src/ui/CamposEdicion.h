#pragma once
// Behaviour the windows' edit fields share: numbers reformatted when the field is left,
// amount bounds checked by the window, date edits a clerk can click and type into, and
// pop-ups kept inside the screen.

#include "platform/Currency.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QDateEdit;
class QLineEdit;
class QTableView;

// On leaving `ed` (focus out or Enter), a text that reads as a number is shown again with
// `formato` ("#,##0.00": "1500" becomes "1,500.00"). Other texts are left as typed.
void ReformatearAlSalir(QLineEdit *ed, const QString &formato);

// The message for a typed amount of the field `campo` above `limite` (or too long to read
// at all), or an empty text when it is within it. A currency sign before the number is
// ignored; a text that is not a number is left to the window's other checks.
QString MensajeLimite(const QString &campo, const QString &texto, Currency limite);

// A click in the date selects the day, month or year under the mouse; Ctrl+A selects the
// whole date and then a whole date can be typed ("05/12/2026" or "05122026"); a separator
// typed in a section moves to the next one.
void PrepararFecha(QDateEdit *fecha);

// Widens the columns of `grid` whose heading does not fit, taking the room from `flexible`
// (a wide text column) while it stays above a third of its width.
void AnchoEncabezados(QTableView *grid, int flexible);

// Where a pop-up of `tamano` wanted at `deseada` goes so that it stays inside `pantalla`.
QPoint DentroDePantalla(QPoint deseada, QSize tamano, const QRect &pantalla);
