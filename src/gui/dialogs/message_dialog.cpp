#include "gui/dialogs/message_dialog.h"

#include "gui/dialogs/handler_edge.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace {

std::vector<MessageDialog::Button> OkCancelButtons(MessageButtons buttons)
{
    std::vector<MessageDialog::Button> row{{"btnOK", "OK", mrOk}};
    if (buttons == MessageButtons::OkCancel)
        row.push_back({"btnCancel", "Cancel", mrCancel});
    return row;
}

// Choose's results lie past those of Execute, so no index reads as mrOk or mrCancel.
constexpr int FirstChoice = 100;

std::vector<MessageDialog::Button> ChoiceButtons(const std::vector<QString>& captions)
{
    std::vector<MessageDialog::Button> row;
    for (std::size_t index = 0; index < captions.size(); ++index)
        row.push_back({"btnChoice" + QString::number(index + 1), captions[index], FirstChoice + static_cast<int>(index)});
    return row;
}

} // namespace

MessageDialog::MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons)
    : MessageDialog(parent, text, OkCancelButtons(buttons), buttons == MessageButtons::OkCancel ? mrCancel : mrOk)
{
}

MessageDialog::MessageDialog(QWidget* parent, const QString& text, const std::vector<QString>& captions)
    : MessageDialog(parent, text, ChoiceButtons(captions), FirstChoice + static_cast<int>(captions.size()) - 1)
{
}

MessageDialog::MessageDialog(QWidget* parent, const QString& text, const std::vector<Button>& buttons,
                             int escapeResult)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), FEscapeResult(escapeResult)
{
    setObjectName("msgMain");
    setWindowTitle("Information");
    setModal(true);

    FIcon = new QLabel(this);
    FIcon->setObjectName("MessageIcon");
    FIcon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    FIcon->setAccessibleName("Information");

    FText = new QLabel(text, this);
    FText->setObjectName("MessageText");
    FText->setTextFormat(Qt::PlainText);

    for (const Button& button : buttons) {
        auto* made = new QPushButton(button.Caption, this);
        made->setObjectName(button.Name);
        const int result = button.Result;
        connect(made, &QPushButton::clicked, this, AtHandlerEdge([this, result] { done(result); }));
        FButtons.push_back(made);
    }
    FButtons.front()->setDefault(true);
    LayOut();
    FButtons.front()->setFocus();
}

void MessageDialog::LayOut()
{
    FText->adjustSize();
    const int textLeft = 50;
    const int textTop = 15;
    FText->move(textLeft, textTop);
    FIcon->setGeometry(5, std::max(10, textTop + FText->height() / 2 - 16), 32, 32);

    const int gap = 10;
    std::vector<int> widths;
    int rowWidth = 0;
    for (QPushButton* button : FButtons) {
        // A caption such as "Skip Google" gets the room it needs; the rest keep the usual width.
        widths.push_back(std::max(ButtonWidth, button->fontMetrics().horizontalAdvance(button->text()) + 16));
        rowWidth += widths.back();
    }
    rowWidth += (static_cast<int>(FButtons.size()) - 1) * gap;
    const int clientWidth = std::max(textLeft + FText->width(), rowWidth) + 40;
    const int clientHeight = ButtonHeight + FText->height() + 50;
    setFixedSize(clientWidth, clientHeight);

    int left = (clientWidth - rowWidth) / 2;
    const int top = clientHeight - 10 - ButtonHeight;
    for (std::size_t index = 0; index < FButtons.size(); ++index) {
        FButtons[index]->setGeometry(left, top, widths[index], ButtonHeight);
        left += widths[index] + gap;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void MessageDialog::reject()
{
    done(FEscapeResult);
}

int MessageDialog::Execute(QWidget* parent, const std::string& text, MessageButtons buttons)
{
    MessageDialog dialog(parent, QString::fromUtf8(text), buttons);
    return dialog.exec();
}

int MessageDialog::Choose(QWidget* parent, const std::string& text, const std::vector<QString>& captions)
{
    MessageDialog dialog(parent, QString::fromUtf8(text), captions);
    return dialog.exec() - FirstChoice;
}
