#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

namespace testsupport {

ScratchDir::ScratchDir() : dir_(QDir::tempPath() + QStringLiteral("/compras-test-XXXXXX"))
{
    if (!dir_.isValid())
        throw std::runtime_error("no temporary folder");
}

QString TemplateDir()
{
    return qEnvironmentVariable("COMPRAS_TEMPLATE_DIR");
}

QString CopyTemplate(const QString &name, const QString &dir)
{
    const QString src = TemplateDir() + QLatin1Char('/') + name;
    const QString dst = dir + QLatin1Char('/') + name;
    QFile::remove(dst);
    if (!QFile::copy(src, dst))
        throw std::runtime_error(("cannot copy template " + src).toStdString());
    QFile::setPermissions(dst, QFile::ReadOwner | QFile::WriteOwner);
    return dst;
}

} // namespace testsupport
