#include "gui/list_tools_menu.h"

#include "gui/dialogs/handler_edge.h"

#include <QAction>
#include <QMenu>
#include <QTableView>

ListToolsMenu::ListToolsMenu(ListToolsHost host) : FWindow(host.Window), FView(host.View), FTools(std::move(host))
{
    // Highlighting is for Copy; the ticks stay what Delete Selected uses.
    FView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FView->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(FView, &QWidget::customContextMenuRequested, FWindow,
                     AtHandlerEdge<const QPoint&>([this](const QPoint& position) { ShowContextMenu(position); }));

    FMenuActions = {
        AddAction("actCopy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { FTools.CopyClick(); }),
        AddAction("actPasteKeywords", "Paste Keywords", QKeySequence(Qt::CTRL | Qt::Key_V),
                  [this] { FTools.PasteKeywordsClick(); }),
        AddAction("actRemoveDuplicates", "Remove Duplicates", {}, [this] { FTools.RemoveDuplicatesClick(); }),
        AddAction("actRemoveRowsContaining", "Remove Rows Containing…", {},
                  [this] { FTools.RemoveRowsContainingClick(); }),
        AddAction("actKeepOnlyRowsContaining", "Keep Only Rows Containing…", {},
                  [this] { FTools.KeepOnlyRowsContainingClick(); }),
        AddAction("actOpenResults", "Open Results…", QKeySequence(Qt::CTRL | Qt::Key_O), [this] {
            FTools.OpenResultsClick();
            actShowKei->setChecked(FTools.KeiShown());
        }),
        AddAction("actExportKeywordList", "Export Keyword List…", {}, [this] { FTools.ExportKeywordListClick(); }),
    };
    actShowKei = AddAction("actShowKei", "Show KEI", {}, [this] {
        FTools.ShowKeiClick(actShowKei->isChecked());
        actShowKei->setChecked(FTools.KeiShown());
    });
    actShowKei->setCheckable(true);
    FMenuActions.push_back(actShowKei);
    FCommands = FMenuActions;
    FCommands.push_back(AddAction("actUndo", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { FTools.UndoClick(); }));
    // Selecting rows changes nothing, so it stays on during a network command.
    AddAction("actSelectAllRows", "Select All Rows", QKeySequence(Qt::CTRL | Qt::Key_A),
              [this] { FTools.SelectAllRowsClick(); });
}

QAction* ListToolsMenu::AddAction(const char* name, const char* caption, const QKeySequence& shortcut,
                                  std::function<void()> handler)
{
    auto* action = new QAction(caption, FWindow);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, FWindow, AtHandlerEdge([handler = std::move(handler)] { handler(); }));
    FWindow->addAction(action);
    return action;
}

void ListToolsMenu::SetIdle(bool idle)
{
    for (QAction* action : FCommands)
        action->setEnabled(idle);
}

void ListToolsMenu::ShowContextMenu(const QPoint& position)
{
    QMenu menu(FView);
    menu.setObjectName("mnuListTools");
    for (QAction* action : FMenuActions)
        menu.addAction(action);
    menu.exec(FView->viewport()->mapToGlobal(position));
}
