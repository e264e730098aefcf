#include "scene_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace ovi {

std::string findSceneFile(const std::string &relativePath)
{
    const QString relative = QString::fromStdString(relativePath);
    if (QFileInfo::exists(relative))
        return relativePath;
    const QString besideExecutable = QDir(QCoreApplication::applicationDirPath()).filePath(relative);
    if (QFileInfo::exists(besideExecutable))
        return besideExecutable.toStdString();
    return relativePath;
}

} // namespace ovi
