#include "gui/main_window.h"

#include "config/ini_file.h"
#include "core/banner_layout.h"
#include "core/file_system.h"
#include "core/keyword_commands.h"
#include "core/keyword_entry.h"
#include "core/results_export.h"
#include "gui/dialogs/add_keywords_dialog.h"
#include "gui/dialogs/main_keyword_dialog.h"
#include "gui/dialogs/message_dialog.h"
#include "gui/dialogs/select_search_dialog.h"
#include "gui/gauge.h"
#include "gui/keyword_table_model.h"
#include "gui/link_label.h"
#include "gui/scratch_file.h"
#include "net/ssl_io_handler.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 747;
constexpr int ClientHeight = 455;
constexpr int ColumnWidths[KeywordList::ColumnCount] = {49, 132, 132, 104, 104, 104};
const char* const InitialLinkCaption = "Google";
const char* const InitialLinkURL = "http://www.google.com/";

QFrame* MakePanel(QWidget* parent, const char* name, bool framed)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (framed)
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

// Toolbar and bottom-panel buttons: placed by hand, hand cursor, never take the focus.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QLabel* MakeStatusPanel(QWidget* parent, const char* name, const char* text, int width)
{
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setTextFormat(Qt::PlainText);
    // A longer text is cut off; the panel never grows for it.
    panel->setSizePolicy(width > 0 ? QSizePolicy::Fixed : QSizePolicy::Ignored, QSizePolicy::Preferred);
    if (width > 0)
        panel->setFixedWidth(width);
    return panel;
}

} // namespace

TfrmMain::TfrmMain() : bsSkinSaveDialog1(this, ExecutableDirectory())
{
    setObjectName("frmMain");
    setWindowTitle("Talvira");
    resize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    CreateToolbar();
    CreateBanner();
    CreateTable();
    CreateBottomPanel();
    CreateStatusBar();
    for (QWidget* part : {static_cast<QWidget*>(bsSkinPanel1), static_cast<QWidget*>(panBanner),
                          static_cast<QWidget*>(bsSkinPanel3), static_cast<QWidget*>(bsSkinPanel4),
                          static_cast<QWidget*>(bsSkinStatusBar1)})
        layout->addWidget(part, part == bsSkinPanel3 ? 1 : 0);

    FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::CreateToolbar()
{
    bsSkinPanel1 = MakePanel(this, "bsSkinPanel1", false);
    bsSkinPanel1->setFixedHeight(33);
    btnMainKeyword = MakeButton(bsSkinPanel1, "btnMainKeyword", "Main Keyword", {7, 7, 99, 20});
    btnGatherKeyword = MakeButton(bsSkinPanel1, "btnGatherKeyword", "Gather Keywords", {109, 7, 98, 20});
    btnAddKeyword = MakeButton(bsSkinPanel1, "btnAddKeyword", "Add Keywords", {210, 7, 99, 20});
    btnGatherData = MakeButton(bsSkinPanel1, "btnGatherData", "Gather Data", {312, 7, 98, 20});
    btnSaveResults = MakeButton(bsSkinPanel1, "btnSaveResults", "Save Results", {414, 7, 98, 20});
    btnHelp = MakeButton(bsSkinPanel1, "btnHelp", "Help", {516, 7, 98, 20});
    btnMakeMoney = MakeButton(bsSkinPanel1, "btnMakeMoney", "Make Money", {619, 7, 98, 20});

    connect(btnMainKeyword, &QPushButton::clicked, this, [this] { btnMainKeywordClick(); });
    connect(btnGatherKeyword, &QPushButton::clicked, this, [this] { btnGatherKeywordClick(); });
    connect(btnAddKeyword, &QPushButton::clicked, this, [this] { btnAddKeywordClick(); });
    connect(btnGatherData, &QPushButton::clicked, this, [this] { btnGatherDataClick(); });
    connect(btnSaveResults, &QPushButton::clicked, this, [this] { btnSaveResultsClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnMakeMoney, &QPushButton::clicked, this, [this] { btnMakeMoneyClick(); });
}

void TfrmMain::CreateBanner()
{
    panBanner = MakePanel(this, "panBanner", true);
    panBanner->setFixedHeight(65);
    imgBanner = new QLabel(panBanner);
    imgBanner->setObjectName("imgBanner");
    imgBanner->setGeometry(144, -8, 105, 105);
    gifBanner = new QLabel(panBanner);
    gifBanner->setObjectName("gifBanner");
}

void TfrmMain::CreateTable()
{
    bsSkinPanel3 = MakePanel(this, "bsSkinPanel3", false);
    auto* fill = new QVBoxLayout(bsSkinPanel3);
    fill->setContentsMargins(0, 0, 0, 0);

    FModel = new KeywordTableModel(FKeywords, this);
    lvwItems = new QTableView(bsSkinPanel3);
    lvwItems->setObjectName("lvwItems");
    lvwItems->setAccessibleName("Keywords");
    lvwItems->setModel(FModel);
    lvwItems->setShowGrid(true);
    lvwItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvwItems->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwItems->setWordWrap(false);
    lvwItems->verticalHeader()->hide();
    lvwItems->verticalHeader()->setDefaultSectionSize(lvwItems->fontMetrics().height() + 4);
    lvwItems->verticalScrollBar()->setObjectName("bsSkinScrollBar1");
    lvwItems->horizontalScrollBar()->setObjectName("bsSkinScrollBar2");
    QHeaderView* header = lvwItems->horizontalHeader();
    header->setObjectName("lvwItemsHeader");
    header->setSectionsClickable(true);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    for (int column = 0; column < KeywordList::ColumnCount; ++column)
        header->resizeSection(column, ColumnWidths[column]);
    connect(header, &QHeaderView::sectionClicked, this, [this](int column) { lvwItemsColumnClick(column); });
    fill->addWidget(lvwItems);
}

void TfrmMain::CreateBottomPanel()
{
    bsSkinPanel4 = MakePanel(this, "bsSkinPanel4", true);
    bsSkinPanel4->setFixedHeight(54);
    bsSkinButton1 = MakeButton(bsSkinPanel4, "bsSkinButton1", "Select All", {9, 7, 100, 20});
    bsSkinButton2 = MakeButton(bsSkinPanel4, "bsSkinButton2", "Clear Selection", {112, 7, 100, 20});
    bsSkinButton3 = MakeButton(bsSkinPanel4, "bsSkinButton3", "Delete Selected", {215, 7, 100, 20});
    bsSkinButton4 = MakeButton(bsSkinPanel4, "bsSkinButton4", "Delete All", {319, 7, 99, 20});
    connect(bsSkinButton1, &QPushButton::clicked, this, [this] { bsSkinButton1Click(); });
    connect(bsSkinButton2, &QPushButton::clicked, this, [this] { bsSkinButton2Click(); });
    connect(bsSkinButton3, &QPushButton::clicked, this, [this] { bsSkinButton3Click(); });
    connect(bsSkinButton4, &QPushButton::clicked, this, [this] { bsSkinButton4Click(); });

    lblLink1URL = new LinkLabel(bsSkinPanel4);
    lblLink1URL->setObjectName("lblLink1URL");
    lblLink2URL = new LinkLabel(bsSkinPanel4);
    lblLink2URL->setObjectName("lblLink2URL");
    lblLink2URL->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (LinkLabel* link : {lblLink1URL, lblLink2URL}) {
        link->setText(InitialLinkCaption);
        link->SetURL(InitialLinkURL);
        link->adjustSize();
    }
    lblLink1URL->move(13, 32);
    lblLink2URL->move(695, 32);
    // The second link keeps its distance from the right edge as the window is resized.
    FLink2RightMargin = ClientWidth - (695 + lblLink2URL->width());
}

void TfrmMain::CreateStatusBar()
{
    bsSkinStatusBar1 = MakePanel(this, "bsSkinStatusBar1", false);
    bsSkinStatusBar1->setFixedHeight(17);
    auto* row = new QHBoxLayout(bsSkinStatusBar1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    MainStatusPanel = MakeStatusPanel(bsSkinStatusBar1, "MainStatusPanel", "", 0);
    bsSkinStatusPanel1 = MakeStatusPanel(bsSkinStatusBar1, "bsSkinStatusPanel1", "Main Keyword: ", 160);
    SecondStatusPanel = MakeStatusPanel(bsSkinStatusBar1, "SecondStatusPanel", "0 item listed", 82);
    MainGauge = new Gauge(bsSkinStatusBar1);
    MainGauge->setObjectName("MainGauge");
    MainGauge->setFixedWidth(130);
    row->addWidget(MainStatusPanel, 1);
    row->addWidget(bsSkinStatusPanel1);
    row->addWidget(SecondStatusPanel);
    row->addWidget(MainGauge);
}

void TfrmMain::FormCreate()
{
    // The animated banner lies exactly over the still one.
    gifBanner->setGeometry(imgBanner->geometry());
    FSort.SortColumn = -1;
    FSort.SortAscending = true;
    LoadSettings();
    IdHTTP1.HandleRedirects = true;
    auto secureHandler = std::make_shared<TIdSSLIOHandlerSocket>();
    secureHandler->CAFile = FServices.CAFile;
    IdHTTP1.SetIOHandler(secureHandler);
    FPageFetch = std::make_unique<PageFetch>(IdHTTP1, *this, FStopRequested, ScratchFileName());
}

void TfrmMain::LoadSettings()
{
    // The settings file is read once, here. Branding the window from it is not built
    // yet; the service addresses are.
    FServices = ReadServiceAddresses(IniFile(ExecutableDirectory() + "dbconfig.dat"), ExecutableDirectory());
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FormShow();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormShow()
{
    CentreBanner();
}

void TfrmMain::FormResize()
{
    CentreBanner();
    lblLink2URL->move(bsSkinPanel4->width() - FLink2RightMargin - lblLink2URL->width(), 32);
}

void TfrmMain::CentreBanner()
{
    for (QLabel* banner : {imgBanner, gifBanner}) {
        const ControlOrigin origin =
            CenteredOrigin(panBanner->width(), panBanner->height(), banner->width(), banner->height());
        banner->move(origin.Left, origin.Top);
    }
}

void TfrmMain::SetGaugeMaxValue(int maximum)
{
    MainGauge->SetMaxValue(maximum);
}

void TfrmMain::SetGaugeProgress(int value)
{
    MainGauge->SetProgress(value);
}

int TfrmMain::GaugeMaxValue() const
{
    return MainGauge->MaxValue();
}

void TfrmMain::PumpMessages()
{
    QCoreApplication::processEvents();
}

int TfrmMain::ShowMessageDialog(const std::string& text, MessageButtons buttons)
{
    return MessageDialog::Execute(this, text, buttons);
}

void TfrmMain::ShowMainStatus(const std::string& text)
{
    MainStatusPanel->setText(QString::fromUtf8(text));
}

void TfrmMain::ShowMainKeywordStatus(const std::string& text)
{
    bsSkinStatusPanel1->setText(QString::fromUtf8(text));
}

void TfrmMain::ShowRowCountStatus(const std::string& text)
{
    SecondStatusPanel->setText(QString::fromUtf8(text));
}

void TfrmMain::btnMainKeywordClick()
{
    TfrmMainKeyword dialog(this, *this);
    if (dialog.exec() != mrOk)
        return;
    FMainKeywordText = dialog.MainKeywordText();
    ShowMainKeyword(*this, FMainKeywordText);
}

void TfrmMain::btnAddKeywordClick()
{
    TfrmAddKeywords dialog(this, *this, ExecutableDirectory());
    if (dialog.exec() == mrOk)
        AddKeywords(FKeywords, *this, dialog.TypedKeywords(), dialog.ListFileName());
}

void TfrmMain::btnGatherDataClick()
{
    if (FKeywords.CountRows() == 0) {
        ShowMessageDialog("You need add keywords to gather data from search engines.", MessageButtons::Ok);
        return;
    }
    if (btnGatherData->text() != "Gather Data") {
        // Stop: handled inside a pump of the running gathering, which notices the flag at
        // its next check.
        FStopRequested = true;
        IdHTTP1.CloseConnection();
        btnGatherData->setText("Gather Data");
        SetColumnClick(true);
        PumpMessages();
        return;
    }
    {
        TfrmSelSearch dialog(this);
        if (dialog.exec() != mrOk)
            return;
        FSearchMode = SearchModeFromTicks(dialog.PreciseTicked());
    }

    SetColumnClick(false);
    FStopRequested = false;
    btnGatherData->setText("Stop");
    EnableCommandsOfIdle(false);
    // Idle again however the run ends, an error that escapes it included, so the window
    // is never left stuck in the running state.
    struct BackToIdle {
        TfrmMain& Window;
        ~BackToIdle()
        {
            Window.btnGatherData->setText("Gather Data");
            Window.PumpMessages();
            Window.SetColumnClick(true);
            Window.EnableCommandsOfIdle(true);
        }
    } backToIdle{*this};
    GatherSearchCounts(FKeywords, *this, FServices, FSearchMode);
}

void TfrmMain::EnableCommandsOfIdle(bool enabled)
{
    for (QPushButton* command : {btnMainKeyword, btnGatherKeyword, btnAddKeyword, bsSkinButton3, bsSkinButton4})
        command->setEnabled(enabled);
}

void TfrmMain::SetColumnClick(bool on)
{
    lvwItems->horizontalHeader()->setSectionsClickable(on);
}

bool TfrmMain::FetchPage(const std::string& url, std::string& page)
{
    return FPageFetch->FetchPage(url, page);
}

void TfrmMain::btnSaveResultsClick()
{
    SaveResults(FKeywords, *this, bsSkinSaveDialog1);
}

void TfrmMain::btnGatherKeywordClick() {}
void TfrmMain::btnHelpClick() {}
void TfrmMain::btnMakeMoneyClick() {}

void TfrmMain::bsSkinButton1Click()
{
    SelectAll(FKeywords);
}

void TfrmMain::bsSkinButton2Click()
{
    ClearSelection(FKeywords);
}

void TfrmMain::bsSkinButton3Click()
{
    DeleteSelected(FKeywords, *this, *this);
}

void TfrmMain::bsSkinButton4Click()
{
    DeleteAll(FKeywords, *this, *this);
}

void TfrmMain::lvwItemsColumnClick(int column)
{
    ColumnClick(FKeywords, FSort, column, FCollator);
}
