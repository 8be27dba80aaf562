#include "gather_window.h"

#include <QAction>
#include <QClipboard>

#include <map>

namespace {

using ListToolsDuringRunTest = GatherWindowTest;

TEST_F(ListToolsDuringRunTest, EveryToolIsRefusedWhileDataIsGathered)
{
    ScriptedServer server(AnswersForRows(2));
    OpenWindow(Root(server), {"golf", "golf"});
    QApplication::clipboard()->setText("pasted\n");
    std::map<std::string, bool> enabledDuringRun;
    int rowsAfterShortcuts = -1;
    int columnsAfterShortcuts = -1;
    DuringTheRun(window.get(), [&] { return Button("btnGatherData")->text() == "Stop"; },
                 [&] {
                     RefuseDialogs();
                     for (QAction* action : window->findChildren<QAction*>())
                         if (action->objectName().startsWith("act"))
                             enabledDuringRun[action->objectName().toStdString()] = action->isEnabled();
                     auto* table = window->findChild<QTableView*>("lvwItems");
                     for (QKeyCombination key : {Qt::CTRL | Qt::Key_V, Qt::CTRL | Qt::Key_O, Qt::CTRL | Qt::Key_Z})
                         QTest::keyClick(table, key.key(), key.keyboardModifiers());
                     for (QAction* action : window->findChildren<QAction*>())
                         if (action->objectName() != "actSelectAllRows")
                             action->trigger();
                     rowsAfterShortcuts = window->Keywords().CountRows();
                     columnsAfterShortcuts = table->model()->columnCount();
                 });
    GatherData();
    ASSERT_TRUE(server.Finish());
    AllowDialogs();

    EXPECT_EQ(enabledDuringRun.size(), 10u);
    for (const auto& [name, enabled] : enabledDuringRun)
        EXPECT_EQ(enabled, name == "actSelectAllRows") << name;
    EXPECT_TRUE(unexpectedDialogs.empty()) << unexpectedDialogs.front();
    EXPECT_EQ(rowsAfterShortcuts, 2);
    EXPECT_EQ(columnsAfterShortcuts, 6);
    EXPECT_EQ(window->Keywords().CountRows(), 2);
    for (QAction* action : window->findChildren<QAction*>())
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString() << " after the run";
}

} // namespace
