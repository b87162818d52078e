#include "platform/TextoEntrada.h"

qsizetype LargoEnCaracteres(const QString &texto)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < texto.size(); ++i, ++n)
        if (texto.at(i).isHighSurrogate() && i + 1 < texto.size() && texto.at(i + 1).isLowSurrogate())
            ++i;
    return n;
}

bool TieneCaracterNoPermitido(const QString &texto)
{
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto.at(i);
        if (c.isHighSurrogate() && i + 1 < texto.size() && texto.at(i + 1).isLowSurrogate()) {
            const char32_t u = QChar::surrogateToUcs4(c, texto.at(i + 1));
            const QChar::Category cat = QChar::category(u);
            if (cat == QChar::Other_Format)
                return true;
            ++i;
            continue;
        }
        switch (c.category()) {
        case QChar::Other_Control:
        case QChar::Other_Format:
        case QChar::Other_Surrogate:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph: return true;
        default: break;
        }
    }
    return false;
}

QString RevisarCodigo(const QString &texto, int largo, const QString &campo)
{
    if (TieneCaracterNoPermitido(texto))
        return QStringLiteral("\"%1\" contiene caracteres no permitidos (de control o invisibles).").arg(campo);
    const qsizetype n = LargoEnCaracteres(texto);
    if (n > largo)
        return QStringLiteral("\"%1\" tiene %2 caracteres; admite como máximo %3.").arg(campo).arg(n).arg(largo);
    return QString();
}
