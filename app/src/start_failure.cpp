#include "start_failure.h"

#include <QApplication>
#include <QMessageBox>
#include <QtGlobal>

namespace ovi {

namespace {

bool dialogsWanted()
{
    if (qEnvironmentVariableIsSet("TAVISHER_NO_DIALOGS"))
        return false;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr)
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace

void reportStartFailure(const std::string &message)
{
    qCritical("%s", message.c_str());
    if (dialogsWanted())
        QMessageBox::critical(nullptr, QCoreApplication::applicationName(), QString::fromStdString(message));
}

void failStart(const std::string &message)
{
    reportStartFailure(message);
    throw StartFailure(message);
}

} // namespace ovi
