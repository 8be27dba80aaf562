#include "gui/dialogs/word_filter_dialog.h"

#include "core/file_system.h"
#include "core/text_utf8.h"
#include "core/word_filter.h"
#include "gui/dialogs/handler_edge.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A list of words to filter by is a few kilobytes; a bigger file is not one, and would
// only freeze the text box.
constexpr qint64 MaxWordListBytes = 4 << 20;
// How long typing pauses before the matching rows are counted again.
constexpr int RecountDelay = 300;

} // namespace

WordFilterDialog::WordFilterDialog(QWidget* parent, const char* title, MessagePrompter& prompter,
                                   std::string startFolder, MatchCounter countMatches)
    : QDialog(parent), FPrompter(prompter), FStartFolder(QString::fromStdString(startFolder)),
      FCountMatches(std::move(countMatches))
{
    setObjectName("frmWordFilter");
    setWindowTitle(title);
    resize(420, 300);

    auto* prompt = new QLabel("Words or phrases, one per line:", this);
    prompt->setObjectName("lblWords");
    edtWords = new QPlainTextEdit(this);
    edtWords->setObjectName("edtWords");
    edtWords->setAccessibleName(prompt->text());
    edtWords->setTabChangesFocus(true);
    prompt->setBuddy(edtWords);
    lblMatches = new QLabel(this);
    lblMatches->setObjectName("lblMatches");
    lblMatches->setTextFormat(Qt::PlainText);
    btnLoad = new QPushButton("Load from File…", this);
    btnLoad->setObjectName("btnLoad");
    btnOk = new QPushButton("OK", this);
    btnOk->setObjectName("btnOk");
    btnCancel = new QPushButton("Cancel", this);
    btnCancel->setObjectName("btnCancel");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnLoad);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(edtWords);
    layout->addWidget(lblMatches);
    layout->addLayout(buttons);

    FRecount = new QTimer(this);
    FRecount->setSingleShot(true);
    FRecount->setInterval(RecountDelay);
    connect(FRecount, &QTimer::timeout, this, AtHandlerEdge([this] { ShowMatchCount(); }));
    connect(edtWords, &QPlainTextEdit::textChanged, FRecount, qOverload<>(&QTimer::start));
    connect(btnLoad, &QPushButton::clicked, this, AtHandlerEdge([this] { btnLoadClick(); }));
    connect(btnOk, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrOk); }));
    connect(btnCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrCancel); }));
    ShowMatchCount();
    edtWords->setFocus();
}

std::vector<std::string> WordFilterDialog::Phrases() const
{
    return PhraseLines(edtWords->toPlainText().toStdString());
}

void WordFilterDialog::ShowMatchCount()
{
    const int count = FCountMatches(Phrases());
    lblMatches->setText(QString::number(count) + (count == 1 ? " row matches" : " rows match"));
}

void WordFilterDialog::btnLoadClick()
{
    QFileDialog chooser(this, "Open file", FStartFolder, "Text files (*.txt);;All files (*)");
    chooser.setObjectName("dlgOpenWordList");
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return;
    const QString fileName = chooser.selectedFiles().constFirst();
    FStartFolder = QFileInfo(fileName).absolutePath();
    if (QFileInfo(fileName).size() > MaxWordListBytes) {
        FPrompter.ShowMessageDialog("The file is too large for a list of words (more than " +
                                        std::to_string(MaxWordListBytes) + " bytes).",
                                    MessageButtons::Ok);
        return;
    }
    // Words files are kept in the encoding of keyword files: UTF-8, or else Windows-1252.
    const std::string text = TextAsUtf8(ReadWholeFile(fileName.toStdString()));
    edtWords->setPlainText(QString::fromStdString(text));
    FRecount->stop();
    ShowMatchCount();
}
