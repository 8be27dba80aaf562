#include "gui/main_window.h"
#include "gui/picture_proxy.h"

#include "config/ini_file.h"
#include "core/banner_layout.h"
#include "core/file_system.h"
#include "core/keyword_commands.h"
#include "core/keyword_entry.h"
#include "core/column_widths.h"
#include "core/results_export.h"
#include "core/service_profile_reader.h"
#include "gui/click_series.h"
#include "gui/dialogs/add_keywords_dialog.h"
#include "gui/dialogs/captcha_dialog.h"
#include "gui/dialogs/handler_edge.h"
#include "gui/dialogs/main_keyword_dialog.h"
#include "gui/dialogs/message_dialog.h"
#include "gui/dialogs/select_search_dialog.h"
#include "gui/animated_banner.h"
#include "gui/application_icon.h"
#include "gui/banner_picture.h"
#include "gui/desktop_opener.h"
#include "gui/gauge.h"
#include "gui/keyword_table_model.h"
#include "gui/link_label.h"
#include "gui/list_tools_menu.h"
#include "gui/run_row_view.h"
#include "gui/skin.h"
#include "gui/status_bar.h"
#include "gui/table_columns.h"
#include "gui/text_bytes.h"
#include "net/cookies.h"
#include "net/ssl_io_handler.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int ClientWidth = 747;
constexpr int ClientHeight = 455;
const char* const InitialLinkCaption = "Google";
const char* const InitialLinkURL = "http://www.google.com/";
// How long a blocking wait of the HTTP client goes without a message pump. Repaints are
// coalesced (RepaintThrottle), and a held-back repaint is painted by the next pump: this
// keeps a cell written by a run on the screen within 50 ms even when the next request
// waits for a slow server.
constexpr int32_t RunPumpInterval = 25;

QFrame* MakePanel(QWidget* parent, const char* name, bool framed)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    if (framed)
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

// Toolbar and bottom-panel buttons: placed by hand, hand cursor; Tab reaches them, a
// click leaves the focus where it was (in the table).
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect place)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* MakeStatusPanel(QWidget* parent, const char* name, const char* text)
{
    auto* panel = new QLabel(text, parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setTextFormat(Qt::PlainText);
    return panel;
}

} // namespace

TfrmMain::TfrmMain(BrandingSources sources)
    : FFolder(sources.Folder.empty() ? ExecutableDirectory() : std::move(sources.Folder)),
      FSettingsFile(sources.SettingsFile.empty() ? FFolder + "dbconfig.dat" : std::move(sources.SettingsFile)),
      FDocumentFolder(sources.DocumentFolder.empty() ? ExecutableDirectory() : std::move(sources.DocumentFolder)),
      FProfileFile(std::move(sources.ProfileFile)), FRandom(sources.Random), FOpener(sources.Opener),
      bsSkinSaveDialog1(this, FDocumentFolder)
{
    if (!FRandom) {
        FOwnRandom = std::make_unique<SeededRandomDraw>();
        FRandom = FOwnRandom.get();
    }
    if (!FOpener) {
        FOwnOpener = std::make_unique<DesktopOpener>();
        FOpener = FOwnOpener.get();
    }
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

    FNetworkCommands.SetListener([this](NetworkCommand running) { NetworkCommandChanged(running); });
    InstallKeyboard();
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
    FGatherDataClicks = new ClickSeries(*btnGatherData);
    btnSaveResults = MakeButton(bsSkinPanel1, "btnSaveResults", "Save Results", {414, 7, 98, 20});
    btnHelp = MakeButton(bsSkinPanel1, "btnHelp", "Help", {516, 7, 98, 20});
    btnMakeMoney = MakeButton(bsSkinPanel1, "btnMakeMoney", "Make Money", {619, 7, 98, 20});

    connect(btnMainKeyword, &QPushButton::clicked, this, AtHandlerEdge([this] { btnMainKeywordClick(); }));
    connect(btnGatherKeyword, &QPushButton::clicked, this, AtHandlerEdge([this] { btnGatherKeywordClick(); }));
    connect(btnAddKeyword, &QPushButton::clicked, this, AtHandlerEdge([this] { btnAddKeywordClick(); }));
    connect(btnGatherData, &QPushButton::clicked, this, AtHandlerEdge([this] { btnGatherDataClick(); }));
    connect(btnSaveResults, &QPushButton::clicked, this, AtHandlerEdge([this] { btnSaveResultsClick(); }));
    connect(btnHelp, &QPushButton::clicked, this, AtHandlerEdge([this] { btnHelpClick(); }));
    connect(btnMakeMoney, &QPushButton::clicked, this, AtHandlerEdge([this] { btnMakeMoneyClick(); }));
}

void TfrmMain::CreateBanner()
{
    panBanner = MakePanel(this, "panBanner", true);
    panBanner->setFixedHeight(65);
    imgBanner = new BannerPicture(panBanner);
    imgBanner->setObjectName("imgBanner");
    imgBanner->setGeometry(144, -8, 105, 105);
    imgBanner->OnClick = AtHandlerEdge([this] { imgBannerClick(); });
    gifBanner = new AnimatedBanner(panBanner);
    gifBanner->setObjectName("gifBanner");
    gifBanner->OnClick = AtHandlerEdge([this] { gifBannerClick(); });
}

void TfrmMain::CreateTable()
{
    bsSkinPanel3 = MakePanel(this, "bsSkinPanel3", false);
    auto* fill = new QVBoxLayout(bsSkinPanel3);
    fill->setContentsMargins(0, 0, 0, 0);

    FModel = std::make_unique<KeywordTableModel>(FKeywords);
    FModel->SetCellStates([this](int row, int cell) { return FGatherRecord.Cell(FKeywords, row, cell); });
    lvwItems = new QTableView(bsSkinPanel3);
    lvwItems->setObjectName("lvwItems");
    lvwItems->setAccessibleName("Keywords");
    lvwItems->setModel(FModel.get());
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
    SizeColumns();
    FColumns = new TableColumns(*lvwItems, FKeywords, ClientWidth);
    FRunRow = new RunRowView(*lvwItems);
    connect(header, &QHeaderView::sectionClicked, this,
            AtHandlerEdge<int>([this](int column) { lvwItemsColumnClick(column); }));
    fill->addWidget(lvwItems);
    FListTools = std::make_unique<ListToolsMenu>(
        ListToolsHost{this, lvwItems, FKeywords, *FModel, *this, *this, FNetworkCommands, FUnsaved, FDocumentFolder});
}

void TfrmMain::CreateBottomPanel()
{
    bsSkinPanel4 = MakePanel(this, "bsSkinPanel4", true);
    bsSkinPanel4->setFixedHeight(54);
    bsSkinButton1 = MakeButton(bsSkinPanel4, "bsSkinButton1", "Select All", {9, 7, 100, 20});
    bsSkinButton2 = MakeButton(bsSkinPanel4, "bsSkinButton2", "Clear Selection", {112, 7, 100, 20});
    bsSkinButton3 = MakeButton(bsSkinPanel4, "bsSkinButton3", "Delete Selected", {215, 7, 100, 20});
    bsSkinButton4 = MakeButton(bsSkinPanel4, "bsSkinButton4", "Delete All", {319, 7, 99, 20});
    connect(bsSkinButton1, &QPushButton::clicked, this, AtHandlerEdge([this] { bsSkinButton1Click(); }));
    connect(bsSkinButton2, &QPushButton::clicked, this, AtHandlerEdge([this] { bsSkinButton2Click(); }));
    connect(bsSkinButton3, &QPushButton::clicked, this, AtHandlerEdge([this] { bsSkinButton3Click(); }));
    connect(bsSkinButton4, &QPushButton::clicked, this, AtHandlerEdge([this] { bsSkinButton4Click(); }));

    lblLink1URL = new LinkLabel(*FOpener, bsSkinPanel4);
    lblLink1URL->setObjectName("lblLink1URL");
    lblLink2URL = new LinkLabel(*FOpener, bsSkinPanel4);
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
    bsSkinStatusBar1 = new StatusBar(this);
    bsSkinStatusBar1->setObjectName("bsSkinStatusBar1");
    bsSkinStatusBar1->setFixedHeight(17);
    MainStatusPanel = MakeStatusPanel(bsSkinStatusBar1, "MainStatusPanel", "");
    RunRowPanel = MakeStatusPanel(bsSkinStatusBar1, "RunRowPanel", "");
    bsSkinStatusPanel1 = MakeStatusPanel(bsSkinStatusBar1, "bsSkinStatusPanel1", "Main Keyword: ");
    SecondStatusPanel = MakeStatusPanel(bsSkinStatusBar1, "SecondStatusPanel", "0 item listed");
    MainGauge = new Gauge(bsSkinStatusBar1);
    MainGauge->setObjectName("MainGauge");
    bsSkinStatusBar1->AddPanel(MainStatusPanel, 0);
    bsSkinStatusBar1->AddPanel(RunRowPanel, 110);
    bsSkinStatusBar1->ShowPanel(RunRowPanel, false);
    bsSkinStatusBar1->AddPanel(bsSkinStatusPanel1, 160);
    bsSkinStatusBar1->AddPanel(SecondStatusPanel, 82);
    bsSkinStatusBar1->AddPanel(MainGauge, 130);
}

void TfrmMain::FormCreate()
{
    // The animated banner lies exactly over the still one.
    gifBanner->setGeometry(imgBanner->geometry());
    FSort.SortColumn = -1;
    FSort.SortAscending = true;
    // Until the settings load, the built-in services with their public roots.
    FProfile = BuiltInProfile({IniFile::FromText({}), FServices});
    // LoadSettings runs as the first event of the message loop, where an error (a banner,
    // skin or icon that cannot be loaded) reaches the top-level error box instead of
    // ending the program, and the window opens all the same.
    QMetaObject::invokeMethod(this, AtHandlerEdge([this] { LoadSettings(); }), Qt::QueuedConnection);
    IdHTTP1.HandleRedirects = true;
    IdAntiFreeze1.IdleTimeOut = RunPumpInterval;
    // https goes through the secure transport; its CA file comes with the settings.
    FSecureHandler = std::make_shared<TIdSSLIOHandlerSocket>();
    IdHTTP1.SetIOHandler(FSecureHandler);
    FPageFetch = std::make_unique<PageFetch>(IdHTTP1, *this, FStopRequested, FScratchPage.Name());
}

void TfrmMain::SizeColumns()
{
    QHeaderView* header = lvwItems->horizontalHeader();
    for (int column = 0; column < FModel->columnCount(); ++column)
        header->resizeSection(column, DesignColumnWidth(column));
}

void TfrmMain::LoadSettings()
{
    const IniFile settings(FSettingsFile);
    FServices = ReadServiceAddresses(settings, FFolder);
    FProxies = std::make_unique<ProxyRotation>(ReadProxySettings(settings, FFolder));
    FPageFetch->UseProxies(FProxies.get());
    RoutePicturesThroughProxy(FProxies->Settings());
    FListTools->Tools().LoadSettings(settings);
    FSecureHandler->CAFile = FServices.CAFile;
    std::vector<std::string> failures = LoadProfile(settings);
    for (std::string& failure : LoadBranding(FSettingsFile, FFolder, *FRandom, *this, FBranding))
        failures.push_back(std::move(failure));
    // The window is already shown: the banner is centred in its strip as it is now.
    layout()->activate();
    CentreBanner();
    RaiseBrandingFailures(failures);
}

void TfrmMain::SetCaption(const std::string& caption)
{
    setWindowTitle(TextFromBytes(caption));
}

void TfrmMain::SetBannerHandCursor()
{
    imgBanner->setCursor(Qt::PointingHandCursor);
    gifBanner->setCursor(Qt::PointingHandCursor);
}

void TfrmMain::HideBannerStrip()
{
    panBanner->hide();
}

int TfrmMain::ShowAnimatedBanner(const std::string& pictureFile)
{
    gifBanner->show();
    imgBanner->hide();
    gifBanner->LoadFromFile(pictureFile);
    return gifBanner->height();
}

int TfrmMain::ShowStillBanner(const std::string& pictureFile, const std::string& format)
{
    gifBanner->hide();
    imgBanner->show();
    imgBanner->LoadFromFile(pictureFile, format);
    return imgBanner->height();
}

void TfrmMain::SetBannerStripHeight(int height)
{
    panBanner->setFixedHeight(height);
}

void TfrmMain::SetLinks(const std::string& link1Name, const std::string& link1URL, const std::string& link2Name,
                        const std::string& link2URL)
{
    lblLink1URL->setText(TextFromBytes(link1Name));
    lblLink1URL->SetURL(link1URL);
    lblLink1URL->FitToText();
    lblLink2URL->setText(TextFromBytes(link2Name));
    lblLink2URL->SetURL(link2URL);
    lblLink2URL->FitToText();
}

void TfrmMain::LoadSkin(const std::string& packageFile)
{
    LoadCompressedSkin(*qApp, packageFile);
}

void TfrmMain::LoadIcon(const std::string& iconFile)
{
    LoadApplicationIcon(iconFile);
}

bool TfrmMain::event(QEvent* event)
{
    return FRepaints.HoldBack(*event) || QWidget::event(event);
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
    for (QLabel* banner : {static_cast<QLabel*>(imgBanner), static_cast<QLabel*>(gifBanner)}) {
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
    WaitForUser();
    return MessageDialog::Execute(this, text, buttons);
}

void TfrmMain::WaitForUser()
{
    if (FNetworkCommands.IsRunning())
        MainGauge->SetProgress(0);
}

void TfrmMain::ShowMainStatus(const std::string& text)
{
    MainStatusPanel->setText(TextFromBytes(text));
}

void TfrmMain::ShowMainKeywordStatus(const std::string& text)
{
    bsSkinStatusPanel1->setText(TextFromBytes(text));
}

void TfrmMain::ShowRowCountStatus(const std::string& text)
{
    SecondStatusPanel->setText(TextFromBytes(text));
}

void TfrmMain::btnMainKeywordClick()
{
    if (FNetworkCommands.IsRunning())
        return;
    TfrmMainKeyword dialog(this, *this);
    if (dialog.exec() != mrOk)
        return;
    FMainKeywordText = dialog.MainKeywordText();
    ShowMainKeyword(*this, FMainKeywordText);
}

void TfrmMain::btnAddKeywordClick()
{
    if (FNetworkCommands.IsRunning())
        return;
    TfrmAddKeywords dialog(this, *this, FDocumentFolder);
    if (dialog.exec() == mrOk)
        AddKeywords(FKeywords, *this, dialog.TypedKeywords(), dialog.ListFileName());
}

void TfrmMain::btnGatherDataClick()
{
    const bool followsStop = FGatherDataClicks->FollowsStop();
    // While a command runs the button is its Stop, whatever its caption reads: a second
    // click (a double-click, or one after the caption went back to "Gather Data" while the
    // stopped run unwinds) stops again and starts nothing.
    if (FNetworkCommands.IsRunning()) {
        if (FNetworkCommands.Running() == NetworkCommand::GatherData) {
            FGatherDataClicks->MarkStop();
            StopGatherData();
        }
        return;
    }
    // The rest of a double or triple click on Stop, arriving after the run has returned.
    if (followsStop)
        return;
    if (FKeywords.CountRows() == 0) {
        ShowMessageDialog("You need add keywords to gather data from search engines.", MessageButtons::Ok);
        return;
    }
    NetworkCommandRun run = FNetworkCommands.TryBegin(NetworkCommand::GatherData);
    const std::vector<CountEngine> engines = ProfileCountEngines(FProfile.Engines);
    const RunStart start = ChooseRunStart(engines);
    if (start == RunStart::Cancel)
        return;

    SetColumnClick(false);
    FStopRequested = false;
    btnGatherData->setText("Stop");
    FColumns->ScrollToLeftEdge();
    FRunRow->RunStarted();
    // Idle again however the run ends, an error that escapes it included, so the window
    // is never left stuck in the running state.
    struct BackToIdle {
        TfrmMain& Window;
        ~BackToIdle()
        {
            Window.bsSkinStatusBar1->ShowPanel(Window.RunRowPanel, false);
            Window.btnGatherData->setText("Gather Data");
            Window.PumpMessages();
            Window.SetColumnClick(true);
        }
    } backToIdle{*this};
    GatherCounts(engines, start);
}

void TfrmMain::StopGatherData()
{
    // The running gathering notices the flag at its next check; its lanes at once.
    FStopRequested = true;
    if (FLanesStop)
        FLanesStop();
    IdHTTP1.CloseConnection();
    btnGatherData->setText("Gather Data");
    SetColumnClick(true);
    PumpMessages();
}

void TfrmMain::ShowRunPosition(int row, int rows)
{
    RunRowPanel->setText(QString::fromStdString(RunPositionText(row, rows)));
    bsSkinStatusBar1->ShowPanel(RunRowPanel, true);
    FRunRow->ShowRow(row);
}

void TfrmMain::NetworkCommandChanged(NetworkCommand running)
{
    const bool idle = running == NetworkCommand::None && !FCloseQuestion.Waiting();
    if (running == NetworkCommand::None && FCloseQuestion.Waiting())
        QTimer::singleShot(0, this, AtHandlerEdge([this] { CloseAfterRun(); }));
    for (QPushButton* command :
         {btnMainKeyword, btnGatherKeyword, btnAddKeyword, btnSaveResults, bsSkinButton3, bsSkinButton4})
        command->setEnabled(idle);
    FListTools->SetIdle(idle);
    btnGatherData->setEnabled(idle || running == NetworkCommand::GatherData);
}

void TfrmMain::SetColumnClick(bool on)
{
    lvwItems->horizontalHeader()->setSectionsClickable(on);
}

void TfrmMain::btnGatherKeywordClick()
{
    NetworkCommandRun run = FNetworkCommands.TryBegin(NetworkCommand::GatherKeywords);
    if (!run)
        return; // another command runs: this click slipped through one of its pumps
    FStopRequested = false;
    FColumns->ScrollToLeftEdge();
    GatherKeywords(FMainKeywordText, FProfile.Suggest, FKeywords, *this, *this, *this);
}

ChallengeAnswer TfrmMain::AnswerChallenge(const std::string& challengePage)
{
    WaitForUser();
    TfrmCaptcha dialog(this, *this);
    dialog.TrustAuthorities(FServices.CAFile);
    dialog.SetPageText(challengePage);
    dialog.SetPageAddress(FPageFetch->PageAddress());
    dialog.exec();
    return {dialog.PasswordText(), dialog.Random(), dialog.Seed()};
}

bool TfrmMain::FetchPage(const std::string& url, std::string& page)
{
    return FPageFetch->FetchPage(url, page);
}

void TfrmMain::btnSaveResultsClick()
{
    if (FNetworkCommands.IsRunning())
        return;
    SaveResultsNow();
}

void TfrmMain::btnHelpClick()
{
    OpenInBrowser(*FOpener, HelpPageAddress);
}

void TfrmMain::btnMakeMoneyClick()
{
    OpenInBrowser(*FOpener, MakeMoneyAddress(FBranding.FAffiliateID));
}

// A banner without an address opens nothing.
void TfrmMain::imgBannerClick()
{
    OpenInBrowser(*FOpener, FBranding.FBannerURL);
}

void TfrmMain::gifBannerClick()
{
    OpenInBrowser(*FOpener, FBranding.FBannerURL);
}

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
    if (FNetworkCommands.IsRunning())
        return;
    DeleteSelected(FKeywords, *this, *this, &FListTools->Tools().Undo());
}

void TfrmMain::bsSkinButton4Click()
{
    if (FNetworkCommands.IsRunning())
        return;
    DeleteAll(FKeywords, *this, *this, &FListTools->Tools().Undo());
    FColumns->ScrollToLeftEdge();
}

void TfrmMain::lvwItemsColumnClick(int column)
{
    // Sorting moves the rows a running command walks by position.
    if (!FNetworkCommands.IsRunning())
        ColumnClick(FKeywords, FSort, column, FCollator);
    // The header may have turned its arrow on the click: it shows the sort in force.
    FColumns->ShowSortDirection(FSort);
}
