// The skin in use: a Qt style sheet applied to the whole application.
#pragma once

class QApplication;

// Applies the built-in skin on the Fusion style, so the look is the same on every desktop.
void ApplyDefaultSkin(QApplication& application);
