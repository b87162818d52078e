#pragma once
// Number display with "." for decimals and "," for thousands, whatever the locale.
// Formats follow the picture style used across the module: "#,##0.00", "#,##0.000",
// "0.00", "#,##0", "#,##0.##", with optional literal prefix/suffix ("$ #,##0.00").
// Halves round away from zero, as the pictures did in the original screens.

#include "platform/Currency.h"

#include <QString>

QString FormatFloat(const QString &format, long double value);
QString FormatCurrency(const QString &format, Currency value);

// Shorthands for the common pictures.
inline QString FormatoMoneda(Currency v) { return FormatCurrency(QStringLiteral("#,##0.00"), v); }
// "#,##0" when decimals is 0, otherwise "#,##0." followed by that many zeros.
QString FormatoCantidadPicture(int decimals);

// Parses text typed by a user ("1,234.50", "12.5", "-3"); false when it is not a number.
// `redondeado` tells whether it had more than four decimals.
bool ParseDecimal(const QString &text, Currency &out, bool *redondeado = nullptr);
