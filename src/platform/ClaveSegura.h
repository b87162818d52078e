#pragma once
// Password storage: PBKDF2-HMAC-SHA256 with a random salt, kept as
// "pbkdf2-sha256$ITERACIONES$SAL$DERIVADA" (salt and key in base64).
// The older unsalted form, 64 hex digits of SHA-256, is still verified.

#include <QString>

inline constexpr int kIteracionesClave = 600000;
inline constexpr int kLargoClaveGuardada = 128;  // USUARIOS.CLAVE

// A new stored form of `clave`: a fresh salt every time.
QString GuardarClave(const QString &clave, int iteraciones = kIteracionesClave);

struct VerificacionClave {
    bool valida = false;
    bool anticuada = false;  // valid, but stored in an older or weaker form: store it again
};

// Checks `clave` against a stored form; an empty or malformed stored form never matches.
VerificacionClave VerificarClave(const QString &clave, const QString &guardada);
