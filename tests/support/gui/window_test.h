// The fixture of tests that drive the main window: shown before the test, every queued
// dialog answer used up after it, and a scratch folder of its own.
#pragma once

#include "gui/main_window.h"
#include "support/gui/modal_answerer.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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

    // Answers the save dialog: what it proposed, then the name typed into it (empty: keep
    // the proposal), confirmed with its Save button.
    modal::Answer SaveAs(QString* proposedFolder, QString* proposedName, const QString& typed)
    {
        return [this, proposedFolder, proposedName, typed](QWidget* dialog) {
            auto* chooser = qobject_cast<QFileDialog*>(dialog);
            ASSERT_NE(chooser, nullptr);
            EXPECT_EQ(chooser->windowTitle(), "Save file");
            EXPECT_EQ(chooser->nameFilters(), QStringList{"CSV files (*.csv)"});
            auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            *proposedFolder = chooser->directory().absolutePath();
            *proposedName = name->text();
            if (!typed.isEmpty()) {
                chooser->setDirectory(QString::fromStdString(folder.string()));
                name->clear();
                QTest::keyClicks(name, typed);
            }
            QPushButton* save = chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
            ASSERT_TRUE(QTest::qWaitFor([save] { return save->isEnabled(); }, 10000));
            QTest::mouseClick(save, Qt::LeftButton);
        };
    }

    void Click(const char* name) { QTest::mouseClick(Control<QPushButton>(name), Qt::LeftButton); }
    QString Panel(const char* name) { return Control<QLabel>(name)->text(); }

    TfrmMain window;
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("talvira-gui-" + std::to_string(::getpid()));
};
