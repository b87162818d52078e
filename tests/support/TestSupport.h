#pragma once
// Helpers shared by the test programs.

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace testsupport {

// A private folder removed at the end of the test.
class ScratchDir {
public:
    ScratchDir();
    QString path() const { return dir_.path(); }
    QString file(const QString &name) const { return dir_.filePath(name); }

private:
    QTemporaryDir dir_;
};

// Folder of the demo template databases (COMPRAS_TEMPLATE_DIR, or made on first use from the
// built-in schema and kept per schema version under the build folder).
QString TemplateDir();
// Copies the template database `name` (e.g. "tienda.fdb") into `dir`; returns the copy's path.
QString CopyTemplate(const QString &name, const QString &dir);

} // namespace testsupport
