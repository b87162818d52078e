// Numbers and codes from outside: lengths in characters and the characters refused.
#include "platform/TextoEntrada.h"

#include <gtest/gtest.h>

TEST(TextoEntrada, CuentaCaracteresYRechazaLosInvisibles)
{
    // A character outside the basic plane is one character, not two UTF-16 units.
    EXPECT_EQ(LargoEnCaracteres(QString::fromUtf8("ab\U0001F600c")), 4);
    EXPECT_EQ(LargoEnCaracteres(QString::fromUtf8("ÑANDÚ")), 5);

    for (const char32_t c : {U'\0', U'\t', U'\n', U'\r', U'\x1B', U'\x7F', U'\x85', U'\u200B', U'\u200E', U'\u2028',
                             U'\u2029', U'\u202A', U'\u202E', U'\u2066', U'\u2069', U'\uFEFF', U'\U000E0041'}) {
        // fromUcs4 would drop U+FEFF as a byte-order mark.
        const QString letra = c > 0xFFFF ? QString::fromUcs4(&c, 1) : QString(QChar(static_cast<char16_t>(c)));
        const QString texto = QStringLiteral("F-10") + letra + QStringLiteral("01");
        EXPECT_TRUE(TieneCaracterNoPermitido(texto)) << static_cast<unsigned>(c);
        EXPECT_FALSE(RevisarCodigo(texto, 100, QStringLiteral("comprobante")).isEmpty()) << static_cast<unsigned>(c);
    }
    // A lone half of a surrogate pair is not a character either.
    EXPECT_TRUE(TieneCaracterNoPermitido(QStringLiteral("F-1001") + QChar(0xD83D)));
    // Around the refused ranges, ordinary text passes.
    for (const char *texto : {"F-1001", "NC 12/2026", "ÑANDÚ-€", "\u201Cx\u201D", "\u2030", "\U0001F600"})
        EXPECT_FALSE(TieneCaracterNoPermitido(QString::fromUtf8(texto))) << texto;

    EXPECT_EQ(RevisarCodigo(QStringLiteral("0012-88410"), 12, QStringLiteral("comprobante")), QString());
    EXPECT_EQ(RevisarCodigo(QStringLiteral("0012-88410  X"), 12, QStringLiteral("comprobante")),
              QStringLiteral("\"comprobante\" tiene 13 caracteres; admite como máximo 12."));
    EXPECT_EQ(RevisarCodigo(QString::fromUtf8("ÑÑÑÑÑÑÑÑÑÑÑ\U0001F600"), 12, QStringLiteral("x")), QString());
}
