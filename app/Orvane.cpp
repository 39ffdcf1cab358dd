// Orvane: resized copies of JPEG photographs.

#include "app/startup.h"
#include "platform/application.h"
#include "platform/fonts.h"

int main(int argc, char** argv)
{
    platform::Application application(argc, argv);
    platform::registerFontSubstitutions();
    application.setTitle(QStringLiteral("Orvane"));
    application.setHelpFile(QStringLiteral("Orvane.hlp"));
    createWindows();
    const int result = application.run();
    destroyWindows();
    return result;
}
