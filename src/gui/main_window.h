// TfrmMain: the one main window, its controls, and the routing of its buttons and
// column headers to the commands. What a command decides lives in display-free code;
// the window only shows it.
#pragma once

#include "config/service_addresses.h"
#include "core/branding.h"
#include "core/close_question.h"
#include "core/count_engine.h"
#include "core/gather_record.h"
#include "core/keyword_list.h"
#include "core/keyword_sort.h"
#include "core/keyword_suggestions.h"
#include "core/network_command.h"
#include "core/page_fetch.h"
#include "core/proxy_rotation.h"
#include "core/scratch_page_file.h"
#include "core/result_counts.h"
#include "core/service_profile.h"
#include "core/user_interface.h"
#include "core/web_pages.h"
#include "gui/dialogs/save_dialog.h"
#include "gui/locale_collator.h"
#include "gui/qt_message_queue.h"
#include "gui/repaint_throttle.h"
#include "net/anti_freeze.h"
#include "net/http.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QTableView;
class ClickSeries;
class KeywordTableModel;
class ListToolsMenu;
class Gauge;
class LinkLabel;
class BannerPicture;
class AnimatedBanner;
class TIdSSLIOHandlerSocket;
class TIdCookieManager;
class StatusBar;
class IniFile;
class TableColumns;
class RunRowView;

// Where the window finds its settings file and the files it names, where its file
// dialogs start, how it draws the random picks of banner and links, and how it opens web
// pages. What is left empty is the program's own: "dbconfig.dat" in the executable's
// directory, that directory, the clock, the desktop's browser.
struct BrandingSources {
    std::string Folder;
    RandomDraw* Random = nullptr;
    WebPageOpener* Opener = nullptr;
    std::string SettingsFile;
    std::string DocumentFolder;
    // The service profile named on the command line (--profile); empty: none.
    std::string ProfileFile;
};

class TfrmMain : public QWidget,
                 public MessagePrompter,
                 public FetchDisplay,
                 private GatherHost,
                 private BrandingDisplay,
                 private SuggestionHost,
                 private ClosePrompter {
public:
    explicit TfrmMain(BrandingSources sources = {});
    ~TfrmMain() override;

    int ShowMessageDialog(const std::string& text, MessageButtons buttons) override;
    void ShowMainStatus(const std::string& text) override;
    void ShowMainKeywordStatus(const std::string& text) override;
    void ShowRowCountStatus(const std::string& text) override;
    void SetGaugeMaxValue(int maximum) override;
    void SetGaugeProgress(int value) override;
    int GaugeMaxValue() const override;
    void PumpMessages() override;

    KeywordList& Keywords() { return FKeywords; }
    const std::string& MainKeywordText() const { return FMainKeywordText; }
    int SearchMode() const { return FSearchMode; }
    const ServiceAddresses& Services() const { return FServices; }
    // The service profile file to use instead of the one the settings name (the command
    // line's choice). Takes effect when the settings load, the first event after the
    // window is created: call it before the message loop runs.
    void UseProfileFile(std::string fileName) { FProfileFile = std::move(fileName); }
    const ServiceProfile& Profile() const { return FProfile; }
    PageFetch& Fetcher() { return *FPageFetch; }
    TIdHTTP& HttpClient() { return IdHTTP1; }
    const BrandingFields& Branding() const { return FBranding; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Rows never saved are not lost without a question. During a network command the
    // close stops it; the window closes (or saves) once the command has returned.
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void CreateToolbar();
    void CreateBanner();
    void CreateTable();
    void CreateBottomPanel();
    void CreateStatusBar();
    void SizeColumns();
    // Shortcuts, the Tab chain and Space in the table (window_shortcuts.cpp).
    void InstallKeyboard();

    void FormCreate();
    void FormShow();
    void FormResize();
    void CentreBanner();
    void LoadSettings();
    // Reads the profile the settings (or UseProfileFile) choose and gives the table one
    // column per engine; the messages of what was refused, for the error box.
    std::vector<std::string> LoadProfile(const IniFile& settings);

    void btnMainKeywordClick();
    void btnGatherKeywordClick();
    void btnAddKeywordClick();
    void btnGatherDataClick();
    void btnSaveResultsClick();
    void btnHelpClick();
    void btnMakeMoneyClick();
    void imgBannerClick();
    void gifBannerClick();
    void bsSkinButton1Click();
    void bsSkinButton2Click();
    void bsSkinButton3Click();
    void bsSkinButton4Click();
    void lvwItemsColumnClick(int column);

    // Switches the command buttons as a network command starts or ends: while one runs,
    // only its own stop control and the commands that neither fetch, change rows nor
    // open a dialog stay on.
    void NetworkCommandChanged(NetworkCommand running);
    // The "Stop" click of a running data gathering.
    void StopGatherData();
    void SetColumnClick(bool on);
    // Save Results; true when the file was written.
    bool SaveResultsNow();
    CloseAnswer AskSaveBeforeClosing() override;
    // A close that waited for a stopped command: closes, or saves first.
    void CloseAfterRun();
    // A dialog waits for the user in the middle of a command: the gauge must not read
    // as if the command were done.
    void WaitForUser();
    void ShowRunPosition(int row, int rows) override;

    // Gather Data's start and run (gather_lanes.cpp).
    enum class RunStart { Continue, StartAgain, Cancel };
    // Continue the last run (when it ended early), or choose the search mode and start again.
    RunStart ChooseRunStart(const std::vector<CountEngine>& engines);
    void GatherCounts(const std::vector<CountEngine>& engines, RunStart start);

    bool FetchPage(const std::string& url, std::string& page) override;
    bool FetchPageWith(const std::string& url, const std::vector<std::string>& headers, std::string& page) override;
    bool StopRequested() const override { return FStopRequested; }
    ChallengeAnswer AnswerChallenge(const std::string& challengePage) override;

    void SetCaption(const std::string& caption) override;
    void SetBannerHandCursor() override;
    void HideBannerStrip() override;
    int ShowAnimatedBanner(const std::string& pictureFile) override;
    int ShowStillBanner(const std::string& pictureFile, const std::string& format) override;
    void SetBannerStripHeight(int height) override;
    void SetLinks(const std::string& link1Name, const std::string& link1URL, const std::string& link2Name,
                  const std::string& link2URL) override;
    void LoadSkin(const std::string& packageFile) override;
    void LoadIcon(const std::string& iconFile) override;

    // State of the window.
    bool FStopRequested = false;
    std::string FMainKeywordText;
    int FSearchMode = 0;
    GatherRecord FGatherRecord;
    // Stops the lanes of a running Gather Data at once; empty when none runs.
    std::function<void()> FLanesStop;

    ServiceAddresses FServices;
    // The proxies of the settings, used in turn by every fetch of the run.
    std::unique_ptr<ProxyRotation> FProxies;
    ServiceProfile FProfile;
    // The one running state of the network commands, and a close waiting for the
    // running one to return.
    NetworkCommandState FNetworkCommands;
    CloseQuestion FCloseQuestion;
    UnsavedResults FUnsaved;

    // Branding: where the settings lie, the random picks, the browser, and what the
    // settings set for the click handlers.
    std::string FFolder;
    std::string FSettingsFile;
    std::string FDocumentFolder;
    std::string FProfileFile;
    std::unique_ptr<RandomDraw> FOwnRandom;
    RandomDraw* FRandom = nullptr;
    std::unique_ptr<WebPageOpener> FOwnOpener;
    WebPageOpener* FOpener = nullptr;
    BrandingFields FBranding;

    // Network components: the anti-freeze keeps the window answering during every
    // blocking wait of the HTTP client, pumping at least every RunPumpInterval.
    QtMessageQueue FMessageQueue;
    TIdAntiFreeze IdAntiFreeze1{FMessageQueue};
    // The cookie store the lanes share with IdHTTP1, when IdHTTP1 has none of its own yet.
    std::unique_ptr<TIdCookieManager> FSharedCookies;
    TIdHTTP IdHTTP1;
    std::shared_ptr<TIdSSLIOHandlerSocket> FSecureHandler;
    ScratchPageFile FScratchPage{ScratchFolderOfThisRun()};
    std::unique_ptr<PageFetch> FPageFetch;

    RepaintThrottle FRepaints{*this};

    KeywordList FKeywords;
    // After the list it shows, so it goes first: it never touches a list that is gone,
    // and the view, destroyed later with the other controls, then shows nothing.
    std::unique_ptr<KeywordTableModel> FModel;
    std::unique_ptr<ListToolsMenu> FListTools; // the table's context menu and its shortcuts
    SortState FSort;
    LocaleCollator FCollator;
    SaveDialog bsSkinSaveDialog1;

    // Controls, top to bottom.
    QFrame* bsSkinPanel1 = nullptr;
    QPushButton* btnMainKeyword = nullptr;
    QPushButton* btnGatherKeyword = nullptr;
    QPushButton* btnAddKeyword = nullptr;
    QPushButton* btnGatherData = nullptr;
    ClickSeries* FGatherDataClicks = nullptr; // owned by btnGatherData
    QPushButton* btnSaveResults = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnMakeMoney = nullptr;
    QFrame* panBanner = nullptr;
    BannerPicture* imgBanner = nullptr;
    AnimatedBanner* gifBanner = nullptr;
    QFrame* bsSkinPanel3 = nullptr;
    QTableView* lvwItems = nullptr;
    TableColumns* FColumns = nullptr; // owned by lvwItems
    RunRowView* FRunRow = nullptr;    // owned by lvwItems
    QFrame* bsSkinPanel4 = nullptr;
    QPushButton* bsSkinButton1 = nullptr;
    QPushButton* bsSkinButton2 = nullptr;
    QPushButton* bsSkinButton3 = nullptr;
    QPushButton* bsSkinButton4 = nullptr;
    LinkLabel* lblLink1URL = nullptr;
    LinkLabel* lblLink2URL = nullptr;
    int FLink2RightMargin = 0;
    StatusBar* bsSkinStatusBar1 = nullptr;
    QLabel* MainStatusPanel = nullptr;
    QLabel* RunRowPanel = nullptr; // "Row 12 of 41" beside the fetch, during Gather Data
    QLabel* bsSkinStatusPanel1 = nullptr;
    QLabel* SecondStatusPanel = nullptr;
    Gauge* MainGauge = nullptr;
};
