// Program entry: the application object, the main window, the message loop.
#include "app/application.h"
#include "app/main_window.h"
#include "app/skin.h"

int main(int argc, char** argv)
{
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);
    TfrmMain window;
    window.show();
    return application.exec();
}
