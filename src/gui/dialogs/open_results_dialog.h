// The file dialog of Open Results ("Open file"): an existing file, first looked for in
// the program's folder, then in the folder of the file last opened.
#pragma once

#include "core/results_import.h"

#include <string>

class QWidget;

class OpenResultsDialog : public OpenFileChooser {
public:
    OpenResultsDialog(QWidget* owner, std::string startFolder);

    std::optional<std::string> ChooseOpenFile() override;

private:
    QWidget* FOwner;
    std::string FFolder;
};
