#include "app_resources.h"

#include <QDir>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerTavisherBundle()
{
    Q_INIT_RESOURCE(tavisher);
}

namespace ovi {

void registerAppResources()
{
    static const bool registered = [] {
        registerTavisherBundle();
        return true;
    }();
    (void)registered;
}

QString applicationIconResource()
{
#ifdef Q_OS_WIN
    return QStringLiteral(":/tavisher.ico");
#else
    return QStringLiteral(":/tavisher.png");
#endif
}

} // namespace ovi
