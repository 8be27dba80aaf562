// Every caption of the window and its dialogs fits inside its control, under the built-in
// skin and under each example skin: measured with the font the control is drawn in,
// against the room the skin's borders and padding leave. CTest runs these once with the
// machine's fonts and once with Debian's default fonts alone (DejaVu, wider than the
// skins' first choices), see CMakeLists.txt.
#include "core/user_interface.h"
#include "gui/dialogs/add_keywords_dialog.h"
#include "gui/dialogs/captcha_dialog.h"
#include "gui/dialogs/main_keyword_dialog.h"
#include "gui/dialogs/message_dialog.h"
#include "gui/dialogs/select_search_dialog.h"
#include "gui/main_window.h"
#include "gui/skin.h"
#include "support/core/recording_ui.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionHeader>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// The width the caption takes on one line in font, as Qt lays it out in a control.
int CaptionWidth(const QFont& font, const QString& caption)
{
    const QFontMetrics metrics(font);
    return std::max(metrics.horizontalAdvance(caption),
                    metrics.boundingRect(QRect(), Qt::TextSingleLine, caption).width());
}

// The room a control leaves for its caption: inside its border and padding.
QRect CaptionRoom(QWidget* control)
{
    if (auto* push = qobject_cast<QPushButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(push);
        option.text = push->text();
        option.features = push->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
        return push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push);
    }
    if (auto* tick = qobject_cast<QCheckBox*>(control)) {
        QStyleOptionButton option;
        option.initFrom(tick);
        option.text = tick->text();
        return tick->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, tick);
    }
    if (auto* radio = qobject_cast<QRadioButton*>(control)) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        return radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
    }
    return control->contentsRect();
}

struct Caption {
    std::string Where; // dialog / control, for the failure message
    QString Text;
    QFont Font;
    QRect Room;
};

void CollectControls(QWidget* top, std::vector<Caption>& captions)
{
    const std::string dialog = top->objectName().toStdString();
    for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty() && button->isVisible())
            captions.push_back({dialog + "/" + button->objectName().toStdString(), button->text(), button->font(),
                                CaptionRoom(button)});
    }
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->isVisible())
            captions.push_back({dialog + "/" + label->objectName().toStdString(), label->text(), label->font(),
                                CaptionRoom(label)});
    }
}

// The column captions of a table, each in the room its section leaves beside the sort
// mark.
void CollectHeader(QTableView* table, std::vector<Caption>& captions)
{
    QHeaderView* header = table->horizontalHeader();
    for (int section = 0; section < header->count(); ++section) {
        QStyleOptionHeader option;
        option.initFrom(header);
        option.rect = QRect(0, 0, header->sectionSize(section), header->height());
        option.section = section;
        option.text = table->model()->headerData(section, Qt::Horizontal).toString();
        option.sortIndicator = QStyleOptionHeader::SortDown;
        captions.push_back({"lvwItems/" + option.text.toStdString(), option.text, header->font(),
                            header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header)});
    }
}

struct SkinCase {
    const char* Name;
    const char* Package; // nullptr: the built-in skin
};

class CaptionFitTest : public testing::TestWithParam<SkinCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFontDatabase::families().contains("DejaVu Sans")) << "fonts-dejavu-core is not installed";
        // The run with DejaVu alone must not find the skins' first choices after all.
        if (const QString missing = qEnvironmentVariable("TALVIRA_MISSING_FONTS"); !missing.isEmpty()) {
            for (const QString& family : QFontDatabase::families())
                ASSERT_FALSE(family.startsWith(missing)) << family.toStdString();
        }
        if (GetParam().Package)
            LoadCompressedSkin(*qApp, std::string(TALVIRA_EXAMPLE_SKINS) + GetParam().Package);
    }

    void TearDown() override { ApplyDefaultSkin(*qApp); }

    // Shows the top-level control as the program does and collects its captions.
    void Collect(QWidget& top)
    {
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        CollectControls(&top, captions);
    }

    std::vector<Caption> captions;
};

TEST_P(CaptionFitTest, EveryCaptionFitsItsControl)
{
    ScriptedPrompter prompter;
    TfrmMain window;
    Collect(window);
    CollectHeader(window.findChild<QTableView*>("lvwItems"), captions);
    TfrmMainKeyword mainKeyword(&window, prompter);
    Collect(mainKeyword);
    TfrmAddKeywords addKeywords(&window, prompter, "/tmp/");
    Collect(addKeywords);
    TfrmSelSearch searchType(&window);
    Collect(searchType);
    TfrmCaptcha captcha(&window, prompter);
    Collect(captcha);
    MessageDialog question(&window, "Are you sure do you want to delete all?", MessageButtons::OkCancel);
    Collect(question);

    ASSERT_GT(captions.size(), 20u) << "the controls were not found";
    for (const Caption& caption : captions) {
        const QFontInfo drawn(caption.Font);
        const std::string where = caption.Where + " \"" + caption.Text.toStdString() + "\" in " +
                                  drawn.family().toStdString() + " " + std::to_string(drawn.pixelSize()) + "px";
        EXPECT_LE(CaptionWidth(caption.Font, caption.Text), caption.Room.width()) << where;
        EXPECT_LE(QFontMetrics(caption.Font).height(), caption.Room.height()) << where;
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, CaptionFitTest,
                         testing::Values(SkinCase{"BuiltIn", nullptr}, SkinCase{"Midnight", "midnight.dat"},
                                         SkinCase{"Meadow", "meadow.dat"}),
                         [](const testing::TestParamInfo<SkinCase>& info) { return info.param.Name; });

} // namespace
