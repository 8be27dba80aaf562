#include "gui/dialogs/read_progress.h"

#include <QCoreApplication>

namespace {

// A read shorter than this shows no dialog at all.
constexpr int ShowAfter = 500;
// The dialog's range: per mille of the file.
constexpr int Steps = 1000;

} // namespace

ReadProgress::ReadProgress(QWidget* owner, QString text) : FOwner(owner), FText(std::move(text)) {}

bool ReadProgress::operator()(uint64_t done, uint64_t total)
{
    if (!FDialog) {
        FDialog = std::make_unique<QProgressDialog>(FText, "Stop", 0, Steps, FOwner);
        FDialog->setObjectName("dlgReadProgress");
        FDialog->setWindowTitle("Open Results");
        // Nothing else in the window may run while the read is under way.
        FDialog->setWindowModality(Qt::ApplicationModal);
        FDialog->setMinimumDuration(ShowAfter);
        FDialog->setAutoClose(false);
        FDialog->setAutoReset(false);
    }
    const uint64_t step = total == 0 ? Steps : std::min<uint64_t>(Steps, done * Steps / total);
    FDialog->setValue(static_cast<int>(step));
    QCoreApplication::processEvents();
    return !FDialog->wasCanceled();
}
