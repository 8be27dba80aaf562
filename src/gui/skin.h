// The skin in use: a Qt style sheet applied to the whole application, so the main window,
// every dialog (those opened later included) and the file dialogs are drawn with it.
#pragma once

#include <string>

class QApplication;

// The built-in skin, kept compressed in the program's resources, on the Fusion style, so
// the look is the same on every desktop.
void ApplyDefaultSkin(QApplication& application);

// Replaces the skin in use with the one in a skin package file ("dbskin.dat"). A package
// of a newer format leaves the skin in use; one that cannot be read raises
// SkinPackageError, and the skin in use stays as well.
void LoadCompressedSkin(QApplication& application, const std::string& packageFile);
