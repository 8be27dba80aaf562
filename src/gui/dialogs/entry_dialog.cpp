#include "gui/dialogs/entry_dialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

EntryDialog::EntryDialog(QWidget* parent, const char* name, const char* caption, QSize clientSize)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(name);
    setWindowTitle(caption);
    setModal(true);
    setFixedSize(clientSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void EntryDialog::reject()
{
    done(mrCancel);
}

QPushButton* EntryDialog::AddButton(const char* name, const char* caption, QRect place)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}

QLineEdit* EntryDialog::AddEdit(const char* name, QRect place)
{
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setGeometry(place);
    return edit;
}

void EntryDialog::AddLabel(const char* name, const char* text, QRect place, QWidget* names)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(place);
    if (names)
        label->setBuddy(names);
}

namespace {

class EnterKeyHandler : public QObject {
public:
    EnterKeyHandler(QLineEdit* edit, std::function<void()> onEnter) : QObject(edit), FOnEnter(std::move(onEnter))
    {
        edit->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        FOnEnter();
        return true;
    }

private:
    std::function<void()> FOnEnter;
};

} // namespace

void EntryDialog::RunOnEnter(QLineEdit* edit, std::function<void()> onEnter)
{
    new EnterKeyHandler(edit, std::move(onEnter));
}
