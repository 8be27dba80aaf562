#include "gui/window_shortcuts.h"

#include "gui/focus_return.h"
#include "gui/link_label.h"
#include "gui/main_window.h"

#include <QAbstractItemModel>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>

namespace {

// Space ticks or unticks the current row, whichever cell of it is current.
class SpaceTicksRow : public QObject {
public:
    explicit SpaceTicksRow(QTableView& table) : QObject(&table), FTable(table) { table.installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != &FTable || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier)
            return false;
        const QModelIndex current = FTable.currentIndex();
        if (!current.isValid())
            return true;
        QAbstractItemModel* model = FTable.model();
        const QModelIndex tick = model->index(current.row(), 0);
        const bool ticked = tick.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        model->setData(tick, ticked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return true;
    }

private:
    QTableView& FTable;
};

} // namespace

void BindCommandKey(QWidget& window, QPushButton& button, const QKeySequence& key)
{
    auto* shortcut = new QShortcut(key, &window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, &button, &QPushButton::click);
    button.setToolTip(button.text() + " (" + key.toString(QKeySequence::NativeText) + ")");
}

void TfrmMain::InstallKeyboard()
{
    new FocusReturn(this);
    BindCommandKey(*this, *btnMainKeyword, QKeySequence(Qt::CTRL | Qt::Key_M));
    BindCommandKey(*this, *btnGatherKeyword, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_G));
    BindCommandKey(*this, *btnAddKeyword, QKeySequence(Qt::CTRL | Qt::Key_I));
    BindCommandKey(*this, *btnGatherData, QKeySequence(Qt::CTRL | Qt::Key_G));
    BindCommandKey(*this, *btnSaveResults, QKeySequence(Qt::CTRL | Qt::Key_S));
    BindCommandKey(*this, *btnHelp, QKeySequence(Qt::Key_F1));
    BindCommandKey(*this, *bsSkinButton3, QKeySequence(Qt::Key_Delete));
    btnGatherData->setToolTip("Gather Data, or Stop while it runs (" +
                              QKeySequence(Qt::CTRL | Qt::Key_G).toString(QKeySequence::NativeText) + "; " +
                              QKeySequence(Qt::Key_Escape).toString(QKeySequence::NativeText) + " stops)");
    // Escape only ever stops: it never starts a run.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    stop->setContext(Qt::WindowShortcut);
    connect(stop, &QShortcut::activated, this, [this] {
        if (FNetworkCommands.Running() == NetworkCommand::GatherData)
            btnGatherData->click();
    });

    // Tab walks the toolbar, the table (as one stop: the arrows move inside it), the
    // bottom buttons and the links.
    lvwItems->setTabKeyNavigation(false);
    new SpaceTicksRow(*lvwItems);
    const std::vector<QWidget*> chain = {btnMainKeyword, btnGatherKeyword, btnAddKeyword, btnGatherData,
                                         btnSaveResults, btnHelp,          btnMakeMoney,  lvwItems,
                                         bsSkinButton1,  bsSkinButton2,    bsSkinButton3, bsSkinButton4,
                                         lblLink1URL,    lblLink2URL};
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    lvwItems->setFocus();
}
