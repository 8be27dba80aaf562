#include "gui/application.h"
#include "gui/dialogs/message_dialog.h"
#include "support/gui/modal_answerer.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

struct AnswerCase {
    const char* Name;
    MessageButtons Buttons;
    modal::Answer Answer;
    int Result;
};

class MessageDialogResultTest : public testing::TestWithParam<AnswerCase> {};

TEST_P(MessageDialogResultTest, GivesThePressedButtonsValue)
{
    modal::AnswerNext(GetParam().Answer);
    EXPECT_EQ(MessageDialog::Execute(nullptr, "Please add a Main Keyword.", GetParam().Buttons), GetParam().Result);
    EXPECT_EQ(modal::PendingAnswers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MessageDialogResultTest,
    testing::Values(AnswerCase{"OkAloneClicked", MessageButtons::Ok, modal::ClickButton("OK"), mrOk},
                    AnswerCase{"OkAloneEscape", MessageButtons::Ok, modal::PressKey(Qt::Key_Escape), mrOk},
                    AnswerCase{"OkAloneEnter", MessageButtons::Ok, modal::PressKey(Qt::Key_Return), mrOk},
                    AnswerCase{"QuestionOk", MessageButtons::OkCancel, modal::ClickButton("OK"), mrOk},
                    AnswerCase{"QuestionEnter", MessageButtons::OkCancel, modal::PressKey(Qt::Key_Return), mrOk},
                    AnswerCase{"QuestionCancel", MessageButtons::OkCancel, modal::ClickButton("Cancel"), mrCancel},
                    AnswerCase{"QuestionEscape", MessageButtons::OkCancel, modal::PressKey(Qt::Key_Escape), mrCancel}),
    [](const testing::TestParamInfo<AnswerCase>& info) { return info.param.Name; });

TEST(MessageDialogLayout, FollowsTheLayoutRules)
{
    MessageDialog dialog(nullptr, "Are you sure do you want to delete all?", MessageButtons::OkCancel);
    EXPECT_EQ(dialog.windowTitle(), "Information");
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowSystemMenuHint);

    auto* text = dialog.findChild<QLabel*>("MessageText");
    auto* icon = dialog.findChild<QLabel*>("MessageIcon");
    auto* ok = dialog.findChild<QPushButton*>("btnOK");
    auto* cancel = dialog.findChild<QPushButton*>("btnCancel");
    ASSERT_TRUE(text && icon && ok && cancel);
    EXPECT_EQ(text->pos(), QPoint(50, 15));
    EXPECT_EQ(icon->geometry(), QRect(5, std::max(10, 15 + text->height() / 2 - 16), 32, 32));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(ok->text(), "OK");
    EXPECT_EQ(cancel->text(), "Cancel");
    for (QPushButton* button : {ok, cancel})
        EXPECT_EQ(button->size(), QSize(70, 25));
    EXPECT_EQ(cancel->x() - ok->geometry().right() - 1, 10);

    const int rowWidth = 2 * 70 + 10;
    EXPECT_EQ(dialog.height(), 25 + text->height() + 50);
    EXPECT_EQ(dialog.width(), std::max(50 + text->width(), rowWidth) + 40);
    EXPECT_EQ(ok->y() + 25 + 10, dialog.height());
    EXPECT_EQ(ok->x(), (dialog.width() - rowWidth) / 2);
}

TEST(MessageDialogLayout, ShortTextKeepsTheButtonRowInside)
{
    MessageDialog dialog(nullptr, "Hi", MessageButtons::OkCancel);
    auto* ok = dialog.findChild<QPushButton*>("btnOK");
    EXPECT_EQ(dialog.width(), std::max(50 + dialog.findChild<QLabel*>("MessageText")->width(), 150) + 40);
    EXPECT_GE(ok->x(), 0);
}

class ThrowingHandler : public QObject {
public:
    explicit ThrowingHandler(std::string message = "Cannot open file \"keywords.txt\". Permission denied")
        : FMessage(std::move(message))
    {
    }

    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User)
            throw std::runtime_error(FMessage);
        return QObject::event(event);
    }

private:
    std::string FMessage;
};

TEST(TopLevelErrorHandler, ShowsAnEscapedErrorAndKeepsTheLoopRunning)
{
    auto* application = static_cast<TalviraApplication*>(qApp);
    std::vector<std::string> shown;
    application->SetErrorReporter([&](const std::string& message) { shown.push_back(message); });

    ThrowingHandler handler;
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    bool ranAfterwards = false;
    QMetaObject::invokeMethod(&handler, [&] { ranAfterwards = true; }, Qt::QueuedConnection);
    QCoreApplication::processEvents();

    application->SetErrorReporter(nullptr);
    EXPECT_EQ(shown, (std::vector<std::string>{"Cannot open file \"keywords.txt\". Permission denied"}));
    EXPECT_TRUE(ranAfterwards);
}

// The error box itself (no reporter in place): a server's words with a link and markup
// in them are shown as the characters they are, and nothing in the box acts as a link.
TEST(TopLevelErrorHandler, TheErrorBoxShowsMarkupAsPlainText)
{
    const std::string message = "The security image cannot be shown: "
                                "<a href=\"file:///etc/passwd\">x</a> <b>bold</b> &amp; <img src=\"y.png\">";
    QString shownText;
    Qt::TextFormat shownFormat = Qt::RichText;
    Qt::TextInteractionFlags shownInteraction = Qt::LinksAccessibleByMouse;
    modal::AnswerNext([&](QWidget* open) {
        auto* box = qobject_cast<QMessageBox*>(open);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->objectName(), "ErrorMessage");
        auto* label = box->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_NE(label, nullptr);
        shownText = label->text();
        shownFormat = label->textFormat();
        shownInteraction = label->textInteractionFlags();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    ThrowingHandler handler(message);
    QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
    QCoreApplication::processEvents();

    EXPECT_EQ(modal::PendingAnswers(), 0) << "the error box did not open";
    EXPECT_EQ(shownText.toStdString(), message);
    EXPECT_EQ(shownFormat, Qt::PlainText);
    EXPECT_FALSE(shownInteraction & (Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard));
}

} // namespace

namespace {

// The questions with buttons of their own: the refusal of an engine and the start of a run.
TEST(MessageDialogChoice, GivesThePressedButtonsIndexAndEscapeTakesTheLast)
{
    const std::vector<QString> captions = {"Retry", "Skip Google", "Stop"};
    const struct {
        modal::Answer Answer;
        int Index;
    } cases[] = {
        {modal::ClickButton("Retry"), 0},
        {modal::ClickButton("Skip Google"), 1},
        {modal::ClickButton("Stop"), 2},
        {modal::PressKey(Qt::Key_Escape), 2},
        {modal::PressKey(Qt::Key_Return), 0},
    };
    for (const auto& c : cases) {
        modal::AnswerNext(c.Answer);
        EXPECT_EQ(MessageDialog::Choose(nullptr, "Google refused the request (HTTP 403 Forbidden).", captions), c.Index);
    }
    EXPECT_EQ(modal::PendingAnswers(), 0);
}

TEST(MessageDialogChoice, EveryCaptionFitsItsButtonAndTheTextIsPlain)
{
    MessageDialog dialog(nullptr, "<b>Yahoo</b> refused the request (HTTP 429 Too Many Requests).",
                         {"Retry", "Skip Yahoo! Search Results", "Stop"});
    EXPECT_EQ(dialog.windowTitle(), "Information");
    EXPECT_EQ(dialog.findChild<QLabel*>("MessageText")->textFormat(), Qt::PlainText);
    const auto buttons = dialog.findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 3);
    int right = 0;
    for (QPushButton* button : buttons) {
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text())) << button->text().toStdString();
        EXPECT_GE(button->x(), right); // left to right, none over another
        EXPECT_LE(button->geometry().right(), dialog.width());
        right = button->geometry().right();
    }
}

} // namespace
