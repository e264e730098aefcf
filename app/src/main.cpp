#include "orvane_gui_application.h"

#include <QtGlobal>

#include <exception>

int main(int argc, char **argv)
{
    qputenv("QT3D_RENDERER", "opengl");
    try {
        ovi::OrvaneGuiApplication application(argc, argv);
        return QApplication::exec();
    } catch (const std::exception &) {
        // The failure was already reported on Qt's critical log where it happened.
        return 1;
    }
}
