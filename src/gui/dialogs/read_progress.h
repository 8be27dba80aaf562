// The progress of a long file read, with a "Stop" button: the window is pumped after
// every piece read, so Stop keeps working while a large file is read. The dialog is
// made at the first piece, so a file dialog open before the read never has it pop up.
#pragma once

#include <QProgressDialog>
#include <QString>

#include <cstdint>
#include <memory>

class ReadProgress {
public:
    ReadProgress(QWidget* owner, QString text);

    // Shows how far the read is and pumps the window; false once Stop was pressed.
    bool operator()(uint64_t done, uint64_t total);

private:
    QWidget* FOwner;
    QString FText;
    std::unique_ptr<QProgressDialog> FDialog;
};
