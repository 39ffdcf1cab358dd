// Orvane: resized copies of JPEG photographs.

#include "app/startup.h"
#include "platform/application.h"
#include "platform/fonts.h"

#include <QIcon>

int main(int argc, char** argv)
{
    platform::Application application(argc, argv);
    application.setTitle(QStringLiteral("Orvane"));
    application.setHelpFile(QStringLiteral("Orvane.hlp"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/orvane.xpm")));
    createWindows();
    const int result = application.run();
    destroyWindows();
    return result;
}
