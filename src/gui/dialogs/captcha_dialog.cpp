#include "gui/dialogs/captcha_dialog.h"

#include "core/security_challenge.h"
#include "gui/dialogs/handler_edge.h"
#include "gui/dialogs/security_image_view.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

TfrmCaptcha::TfrmCaptcha(QWidget* parent, MessagePrompter& prompter)
    : EntryDialog(parent, "frmCaptcha", "Security image", {310, 209}), FPrompter(prompter)
{
    EmbeddedWB1 = new SecurityImageView(this);
    EmbeddedWB1->setObjectName("EmbeddedWB1");
    EmbeddedWB1->setGeometry(13, 26, 280, 111);
    edtPassword = AddEdit("edtPassword", {13, 148, 280, 20});
    AddLabel("bsSkinStdLabel2", "Please enter the characters in the image", {13, 7, 238, 16}, edtPassword);
    bsSkinButton1 = AddButton("bsSkinButton1", "Refresh", {15, 171, 82, 21});
    btnOk = AddButton("btnOk", "Ok", {127, 171, 82, 21});
    btnCancel = AddButton("btnCancel", "Cancel", {216, 171, 82, 21});

    setTabOrder(EmbeddedWB1, edtPassword);
    setTabOrder(edtPassword, bsSkinButton1);
    setTabOrder(bsSkinButton1, btnOk);
    setTabOrder(btnOk, btnCancel);
    connect(bsSkinButton1, &QPushButton::clicked, this, AtHandlerEdge([this] { bsSkinButton1Click(); }));
    connect(btnOk, &QPushButton::clicked, this, AtHandlerEdge([this] { btnOkClick(); }));
    connect(btnCancel, &QPushButton::clicked, this, AtHandlerEdge([this] { btnCancelClick(); }));
    RunOnEnter(edtPassword, [this] { btnOkClick(); });
    // The user comes to type the characters; the picture area is first in the tab order
    // but has nothing to type into.
    edtPassword->setFocus();
}

void TfrmCaptcha::TrustAuthorities(const std::string& pemFile)
{
    EmbeddedWB1->TrustAuthorities(pemFile);
}

std::string TfrmCaptcha::PasswordText() const
{
    return edtPassword->text().toStdString();
}

void TfrmCaptcha::showEvent(QShowEvent* event)
{
    EntryDialog::showEvent(event);
    // A window restored by the user is shown again by the system; the challenge is read
    // when the program shows the dialog.
    if (!event->spontaneous())
        FormShow();
}

void TfrmCaptcha::FormShow()
{
    ReadChallenge();
}

void TfrmCaptcha::ReadChallenge()
{
    const SecurityChallenge challenge = ::ReadChallenge(FPageText, FPageAddress);
    FRandom = challenge.Random;
    FSeed = challenge.Seed;
    FImageURL = challenge.ImageURL;
    try {
        EmbeddedWB1->Navigate(FImageURL);
    } catch (const ENavigationRefused&) {
        // Handed to the one error box from the event loop, once the dialog is up: the
        // refusal never cuts its showing short.
        QCoreApplication::postEvent(QCoreApplication::instance(), new EscapedErrorEvent(std::current_exception()));
    }
}

void TfrmCaptcha::btnOkClick()
{
    if (PasswordText().empty()) {
        FPrompter.ShowMessageDialog("Please enter a password.", MessageButtons::Ok);
        return;
    }
    done(mrOk);
}

void TfrmCaptcha::btnCancelClick()
{
    done(mrCancel);
}

void TfrmCaptcha::bsSkinButton1Click()
{
    EmbeddedWB1->Refresh();
}
