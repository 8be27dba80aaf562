// The keyboard returns to a dialog's window when the dialog closes, also where nothing
// else (no window manager) would give it back.
#include "gui/focus_return.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct FocusCase {
    const char* Name;
    bool WithFilter;
    bool Expected;
};

class FocusReturnTest : public testing::TestWithParam<FocusCase> {};

TEST_P(FocusReturnTest, TheDialogsWindowIsActiveAgainAfterItCloses)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    if (GetParam().WithFilter)
        new FocusReturn(&window);
    auto* dialog = new QDialog(&window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    dialog->close();
    // A bare X server activates nothing once the dialog is gone.
    QApplication::setActiveWindow(nullptr);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow() == &window, GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, FocusReturnTest,
                         testing::Values(FocusCase{"Watched", true, true}, FocusCase{"Unwatched", false, false}),
                         [](const testing::TestParamInfo<FocusCase>& info) { return std::string(info.param.Name); });

} // namespace
