#include "gui/skin.h"

#include "config/skin_package.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

namespace {

void ApplyStyleSheet(QApplication& application, const std::string& styleSheet)
{
    // Qt polishes every widget again with the new sheet and redraws it.
    application.setStyleSheet(QString::fromUtf8(styleSheet));
}

} // namespace

void ApplyDefaultSkin(QApplication& application)
{
    application.setStyle(QStyleFactory::create("Fusion"));
    QFile package(":/skins/default_skin.dat");
    if (!package.open(QIODevice::ReadOnly))
        throw SkinPackageError("The built-in skin is missing from the program.");
    const QByteArray bytes = package.readAll();
    if (const auto sheet = UnpackSkin(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))))
        ApplyStyleSheet(application, *sheet);
}

void LoadCompressedSkin(QApplication& application, const std::string& packageFile)
{
    if (const auto sheet = ReadSkinPackageFile(packageFile))
        ApplyStyleSheet(application, *sheet);
}
