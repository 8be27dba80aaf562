#include "gui/dialogs/save_dialog.h"

#include "core/list_text.h"

#include <QFileDialog>

const SavedFileKind ResultsFileKind{"CSV files (*.csv)", WithCsvExtension};
const SavedFileKind KeywordListFileKind{"Text files (*.txt)", WithTxtExtensionWhenNone};

SaveDialog::SaveDialog(QWidget* owner, std::string startFolder, const SavedFileKind& kind)
    : FOwner(owner), FKind(kind), FFolder(std::move(startFolder))
{
}

std::optional<std::string> SaveDialog::ChooseSaveFile()
{
    QFileDialog dialog(FOwner, "Save file", QString::fromStdString(FFolder), FKind.Filter);
    dialog.setObjectName("bsSkinSaveDialog1");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // An existing name is overwritten without a question.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (!FLastFileName.empty())
        dialog.selectFile(QString::fromStdString(FLastFileName));
    else if (!FProposedName.empty())
        dialog.selectFile(QString::fromStdString(FProposedName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;

    const std::string chosen = FKind.WithExtension(dialog.selectedFiles().constFirst().toStdString());
    FFolder = chosen.substr(0, chosen.rfind('/') + 1);
    FLastFileName = chosen;
    return chosen;
}
