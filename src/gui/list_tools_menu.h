// The wiring of the list tools: the table's context menu (right click and the Menu
// key), the window's shortcuts for them, several rows in the table's selection, and
// the tools switched off while a network command runs.
#pragma once

#include "gui/list_tools.h"

#include <QKeySequence>

#include <functional>
#include <vector>

class QAction;
class QPoint;

class ListToolsMenu {
public:
    explicit ListToolsMenu(ListToolsHost host);

    ListTools& Tools() { return FTools; }
    // Off while a network command runs.
    void SetIdle(bool idle);

private:
    QAction* AddAction(const char* name, const char* caption, const QKeySequence& shortcut,
                       std::function<void()> handler);
    void ShowContextMenu(const QPoint& position);

    QWidget* FWindow;
    QTableView* FView;
    ListTools FTools;
    std::vector<QAction*> FMenuActions; // in menu order
    std::vector<QAction*> FCommands;    // every action refused during a network command
    QAction* actShowKei = nullptr;
};
