// bsSkinSaveDialog1: the save dialog of "Save Results". It first opens in the program's
// folder with the proposed name; after a confirmed save it proposes the file last saved,
// in its folder.
#pragma once

#include "core/results_export.h"

#include <string>

class QWidget;

class SaveDialog : public SaveFileChooser {
public:
    SaveDialog(QWidget* owner, std::string startFolder);

    // The name proposed while nothing has been saved yet.
    void ProposeFileName(std::string name) { FProposedName = std::move(name); }
    std::optional<std::string> ChooseSaveFile() override;

private:
    QWidget* FOwner;
    std::string FFolder;
    std::string FLastFileName;
    std::string FProposedName;
};
