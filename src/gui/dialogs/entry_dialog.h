// The frame the keyword entry dialogs share: fixed size, centred on the screen, only a
// close button in the caption bar (it answers Cancel), buttons "Ok" and "Cancel".
#pragma once

#include "core/user_interface.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

class EntryDialog : public QDialog {
public:
    EntryDialog(QWidget* parent, const char* name, const char* caption, QSize clientSize);

    void reject() override;

protected:
    QPushButton* AddButton(const char* name, const char* caption, QRect place);
    QLineEdit* AddEdit(const char* name, QRect place);
    // A label names the box it stands over, which is how a screen reader announces the box.
    void AddLabel(const char* name, const char* text, QRect place, QWidget* names = nullptr);

    // Enter (key code 13) in the edit box runs onEnter, as its key-down handler, and
    // goes no further; other keys are left to the edit box.
    static void RunOnEnter(QLineEdit* edit, std::function<void()> onEnter);
};
