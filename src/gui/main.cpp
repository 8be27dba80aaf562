// Program entry: the application object, the main window, the message loop.
#include "gui/application.h"
#include "gui/main_window.h"
#include "gui/skin.h"

int main(int argc, char** argv)
{
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);
    TfrmMain window;
    window.show();
    return application.exec();
}
