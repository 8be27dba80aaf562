#include "gui/dialogs/open_results_dialog.h"

#include <QFileDialog>
#include <QFileInfo>

OpenResultsDialog::OpenResultsDialog(QWidget* owner, std::string startFolder)
    : FOwner(owner), FFolder(std::move(startFolder))
{
}

std::optional<std::string> OpenResultsDialog::ChooseOpenFile()
{
    QFileDialog dialog(FOwner, "Open file", QString::fromStdString(FFolder), "CSV files (*.csv);;All files (*)");
    dialog.setObjectName("dlgOpenResults");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString chosen = dialog.selectedFiles().constFirst();
    FFolder = QFileInfo(chosen).absolutePath().toStdString();
    return chosen.toStdString();
}
