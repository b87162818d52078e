#pragma once
// Helpers shared by the report tests: templates written to a temporary
// folder and PDFs read back as text.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

inline QString escribirArchivo(const QTemporaryDir &dir, const QString &nombre, const QString &texto)
{
    QString ruta = dir.filePath(nombre);
    QFile f(ruta);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(texto.toUtf8());
    return ruta;
}

// Text of a PDF as pdftotext lays it out, ligatures undone; pages separated
// by form feeds.
inline QString textoPdf(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    QString texto = QString::fromUtf8(p.readAllStandardOutput());
    for (QChar c : {QChar(0xFB00), QChar(0xFB01), QChar(0xFB02), QChar(0xFB03), QChar(0xFB04)})
        texto.replace(c, QString(c).normalized(QString::NormalizationForm_KC));
    return texto;
}

inline QStringList paginasPdf(const QString &pdf)
{
    QStringList paginas = textoPdf(pdf).split(QLatin1Char('\f'));
    if (!paginas.isEmpty() && paginas.last().trimmed().isEmpty())
        paginas.removeLast();
    return paginas;
}
