// The fixture of tests that drive the main window: shown before the test, every queued
// dialog answer used up after it, and a scratch folder of its own.
#pragma once

#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>

class WindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(folder);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void TearDown() override
    {
        EXPECT_EQ(modal::PendingAnswers(), 0) << "a dialog that was expected did not open";
        modal::Reset();
        std::filesystem::remove_all(folder);
    }

    template <typename T = QWidget>
    T* Control(const char* name)
    {
        T* found = window.findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void Click(const char* name) { QTest::mouseClick(Control<QPushButton>(name), Qt::LeftButton); }
    QString Panel(const char* name) { return Control<QLabel>(name)->text(); }

    TfrmMain window;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("talvira-gui-" + std::to_string(::getpid()));
};
