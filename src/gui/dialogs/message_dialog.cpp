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

} // namespace

MessageDialog::MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons)
    : MessageDialog(parent, text, OkCancelButtons(buttons), buttons == MessageButtons::OkCancel ? mrCancel : mrOk)
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

    const int buttonCount = static_cast<int>(FButtons.size());
    const int gap = 10;
    const int rowWidth = buttonCount * ButtonWidth + (buttonCount - 1) * gap;
    const int clientWidth = std::max(textLeft + FText->width(), rowWidth) + 40;
    const int clientHeight = ButtonHeight + FText->height() + 50;
    setFixedSize(clientWidth, clientHeight);

    int left = (clientWidth - rowWidth) / 2;
    const int top = clientHeight - 10 - ButtonHeight;
    for (QPushButton* button : FButtons) {
        button->setGeometry(left, top, ButtonWidth, ButtonHeight);
        left += ButtonWidth + gap;
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
