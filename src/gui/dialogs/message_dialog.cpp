#include "gui/dialogs/message_dialog.h"

#include "gui/dialogs/handler_edge.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

MessageDialog::MessageDialog(QWidget* parent, const QString& text, MessageButtons buttons)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      FHasCancel(buttons == MessageButtons::OkCancel)
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

    FOk = new QPushButton("OK", this);
    FOk->setObjectName("btnOK");
    FOk->setDefault(true);
    connect(FOk, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrOk); }));
    if (FHasCancel) {
        FCancel = new QPushButton("Cancel", this);
        FCancel->setObjectName("btnCancel");
        connect(FCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { done(mrCancel); }));
    }
    LayOut();
    FOk->setFocus();
}

void MessageDialog::LayOut()
{
    FText->adjustSize();
    const int textLeft = 50;
    const int textTop = 15;
    FText->move(textLeft, textTop);
    FIcon->setGeometry(5, std::max(10, textTop + FText->height() / 2 - 16), 32, 32);

    const int buttonCount = FHasCancel ? 2 : 1;
    const int gap = 10;
    const int rowWidth = buttonCount * ButtonWidth + (buttonCount - 1) * gap;
    const int clientWidth = std::max(textLeft + FText->width(), rowWidth) + 40;
    const int clientHeight = ButtonHeight + FText->height() + 50;
    setFixedSize(clientWidth, clientHeight);

    int left = (clientWidth - rowWidth) / 2;
    const int top = clientHeight - 10 - ButtonHeight;
    for (QPushButton* button : {FOk, FCancel}) {
        if (!button)
            continue;
        button->setGeometry(left, top, ButtonWidth, ButtonHeight);
        left += ButtonWidth + gap;
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void MessageDialog::reject()
{
    done(FHasCancel ? mrCancel : mrOk);
}

int MessageDialog::Execute(QWidget* parent, const std::string& text, MessageButtons buttons)
{
    MessageDialog dialog(parent, QString::fromUtf8(text), buttons);
    return dialog.exec();
}
