// The GUI test program: one application object for every test, offscreen unless the
// environment asks for a real display.
#include "gui/application.h"
#include "gui/skin.h"

#include <gtest/gtest.h>

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace {
QtMessageHandler standardHandler = nullptr;

// The offscreen platform warns about every fixed-size window; that noise hides real output.
void QuietOffscreenNotes(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains("does not support propagateSizeHints"))
        return;
    if (standardHandler)
        standardHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(message));
}
} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    standardHandler = qInstallMessageHandler(QuietOffscreenNotes);
    testing::InitGoogleTest(&argc, argv);
    TalviraApplication application(argc, argv);
    ApplyDefaultSkin(application);
    return RUN_ALL_TESTS();
}
