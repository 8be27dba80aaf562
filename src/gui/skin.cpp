#include "gui/skin.h"

#include <QApplication>
#include <QFile>
#include <QStyleFactory>

void ApplyDefaultSkin(QApplication& application)
{
    application.setStyle(QStyleFactory::create("Fusion"));
    QFile sheet(":/skins/default_skin.qss");
    if (sheet.open(QIODevice::ReadOnly))
        application.setStyleSheet(QString::fromUtf8(sheet.readAll()));
}
