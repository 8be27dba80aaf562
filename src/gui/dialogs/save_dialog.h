// bsSkinSaveDialog1: the save dialog of "Save Results". It first opens in the program's
// folder with the proposed name; after a confirmed save it proposes the file last saved,
// in its folder.
#pragma once

#include "core/results_export.h"

#include <string>

class QWidget;

// What a save dialog saves: its one filter and the extension rule for a typed name.
struct SavedFileKind {
    const char* Filter;
    std::string (*WithExtension)(const std::string& fileName);
};

// Results files: ".csv" added unless the name already ends in it.
extern const SavedFileKind ResultsFileKind;
// Keyword lists (Export Keyword List): ".txt" added when the name has no extension.
extern const SavedFileKind KeywordListFileKind;

class SaveDialog : public SaveFileChooser {
public:
    SaveDialog(QWidget* owner, std::string startFolder, const SavedFileKind& kind = ResultsFileKind);

    // The name proposed while nothing has been saved yet.
    void ProposeFileName(std::string name) { FProposedName = std::move(name); }
    std::optional<std::string> ChooseSaveFile() override;

private:
    QWidget* FOwner;
    const SavedFileKind& FKind;
    std::string FFolder;
    std::string FLastFileName;
    std::string FProposedName;
};
