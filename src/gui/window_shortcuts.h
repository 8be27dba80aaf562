// The main window's keyboard: what each key does and how Tab walks the controls. The
// window installs it once (TfrmMain::InstallKeyboard, in window_shortcuts.cpp).
#pragma once

#include <QKeySequence>

class QPushButton;
class QWidget;

// The key clicks the button wherever the focus is in the window, and the button's
// tooltip names it. A disabled button ignores its key as it ignores a click.
void BindCommandKey(QWidget& window, QPushButton& button, const QKeySequence& key);
