#include "gui/dialogs/save_dialog.h"

#include <QFileDialog>

SaveDialog::SaveDialog(QWidget* owner, std::string startFolder) : FOwner(owner), FFolder(std::move(startFolder)) {}

std::optional<std::string> SaveDialog::ChooseSaveFile()
{
    QFileDialog dialog(FOwner, "Save file", QString::fromStdString(FFolder), "CSV files (*.csv)");
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

    const std::string chosen = WithCsvExtension(dialog.selectedFiles().constFirst().toStdString());
    FFolder = chosen.substr(0, chosen.rfind('/') + 1);
    FLastFileName = chosen;
    return chosen;
}
