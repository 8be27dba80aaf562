// TfrmCaptcha: the security image dialog. The caller sets the challenge page, shows the
// dialog modally, reads the typed characters and the two hidden values, and releases it.
#pragma once

#include "gui/dialogs/entry_dialog.h"

#include <string>

class QLineEdit;
class QPushButton;
class QShowEvent;
class SecurityImageView;

class TfrmCaptcha : public EntryDialog {
public:
    TfrmCaptcha(QWidget* parent, MessagePrompter& prompter);

    void SetPageText(std::string pageText) { FPageText = std::move(pageText); }
    // Where the page came from: a relative picture address is read from there.
    void SetPageAddress(std::string pageAddress) { FPageAddress = std::move(pageAddress); }
    // The settings' CAFile, trusted by the picture area too. A file that cannot be used
    // is reported, as the program's own client reports it, when an https picture is shown.
    void TrustAuthorities(const std::string& pemFile);
    const std::string& Random() const { return FRandom; }
    const std::string& Seed() const { return FSeed; }
    // The picture's address as shown: resolved against the page's address.
    const std::string& ImageURL() const { return FImageURL; }
    // The text of edtPassword exactly as typed.
    std::string PasswordText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void ReadChallenge();
    void btnOkClick();
    void btnCancelClick();
    void bsSkinButton1Click();

    MessagePrompter& FPrompter;
    std::string FPageText;
    std::string FPageAddress;
    std::string FRandom;
    std::string FSeed;
    std::string FImageURL;

    SecurityImageView* EmbeddedWB1;
    QLineEdit* edtPassword;
    QPushButton* bsSkinButton1;
    QPushButton* btnOk;
    QPushButton* btnCancel;
};
