#pragma once

// The lobby main window's controls, built in one place: the top panel with
// its page buttons and pages, the chat view and the players column, the
// message row, the tool bars, the media strip, the status bar and the tray
// icon. The controls keep the names (and objectNames) the lobby's parts and
// its tests know them by; the window connects them to its handlers.

#include <QList>
#include <QString>

#include <utility>
#include <vector>

class QCheckBox;
class QColor;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMainWindow;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QSplitter;
class QTabWidget;
class QToolButton;
class QWidget;
class TFBVUMeter;
class TRichEditURL;
class TScrollingBanner;
class TShape;
class TStatusPanel;
class TTrayIcon;
class TUserListView;

struct LobbyMainUi
{
    enum Page { GamesPage, ParlorasPage, PreferencesPage, MediaManagerPage, BrowsePage, VideoPage };

    // Builds the controls into `window` (its central widget, status bar and tray).
    void setupUi(QMainWindow *window);

    static void setBackground(QWidget *w, const QColor &color);
    static void setTextColour(QWidget *w, const QColor &color);

    // The chat view with the splash picture over it, the players column.
    TRichEditURL *Memo2 = nullptr;
    QLabel *Image1 = nullptr;
    QFrame *Panel6 = nullptr;
    QLabel *PlayersCaption = nullptr;
    TShape *Shape1 = nullptr;
    TShape *Shape2 = nullptr;
    TShape *Shape3 = nullptr;
    TUserListView *Memo3 = nullptr;

    // The top panel and its pages; the splitter between it and the chat row.
    QSplitter *TopSplitter = nullptr;
    QFrame *TopView = nullptr;
    QFrame *PanelSlide = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QPushButton *btnGames = nullptr;
    QPushButton *btnParloras = nullptr;
    QPushButton *btnPreferences = nullptr;
    QPushButton *btnBrowse = nullptr;
    QPushButton *btnMedia = nullptr;
    QPushButton *btnVideo = nullptr;

    // Preferences.
    QComboBox *ComboBox3 = nullptr;      // "Server Name"
    QSpinBox *SpinEdit2 = nullptr;       // "Server Channel"
    QPushButton *btnApply = nullptr;
    QPushButton *btnDefaults = nullptr;
    QCheckBox *cbFastConnection = nullptr;
    QCheckBox *cbScaleLowRes = nullptr;
    QCheckBox *cbExternalMP3 = nullptr;
    QCheckBox *VTFTP = nullptr;
    QCheckBox *Supress = nullptr;
    QCheckBox *cbClickSound = nullptr;
    QComboBox *cbxFontNames = nullptr;
    QSpinBox *SpinEdit1 = nullptr;       // "Font Size"
    QLineEdit *Edit5 = nullptr;          // the sample
    QPushButton *btnWindowColor = nullptr;
    QPushButton *btnDefaultTextColor = nullptr;
    QPlainTextEdit *Memo6 = nullptr;     // "Information  ( where are you ? )"
    QLineEdit *Edit1 = nullptr;          // "Battle Cry"
    QLineEdit *edEmail = nullptr;

    // The message box and the tool bars.
    QFrame *Panel12 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QPushButton *SendButton = nullptr;
    QPushButton *btnReconnect = nullptr;
    QPushButton *bitbtn11 = nullptr;     // "Hang-Up"
    QPushButton *btnHide = nullptr;
    QPushButton *btnClose = nullptr;
    QPushButton *btnHere = nullptr;
    QPushButton *btnAway = nullptr;
    QPushButton *btnMyTime = nullptr;
    QPushButton *btnInsert = nullptr;
    QPushButton *btnCry = nullptr;

    // The media strip.
    QFrame *MediaStrip = nullptr;
    TFBVUMeter *FBVUMeter1 = nullptr;
    QToolButton *EnableFTP = nullptr;
    QToolButton *StopFTP = nullptr;
    QToolButton *AutoPlayDL = nullptr;
    QToolButton *SpeedButtonB = nullptr;
    QToolButton *SpeedButtonI = nullptr;
    QToolButton *SpeedButtonA = nullptr;
    QComboBox *cbxC = nullptr;           // text colour
    QToolButton *SpeedButton5 = nullptr; // sound on/off
    QToolButton *btnRefreshList = nullptr;
    QToolButton *btnStopMedia = nullptr;
    QToolButton *btnPause = nullptr;
    QToolButton *btnMP3Only = nullptr;
    QToolButton *btnMIDOnly = nullptr;
    QComboBox *ComboBox1 = nullptr;      // local sound and music files
    QToolButton *btnPlay = nullptr;
    QProgressBar *Gauge2 = nullptr;      // download
    QLabel *Label9 = nullptr;            // download label
    QProgressBar *Gauge1 = nullptr;      // playing progress
    QToolButton *btnNextItem = nullptr;
    TScrollingBanner *Label4 = nullptr;
    TShape *Shape5 = nullptr;

    // The status bar's two panels, the tray icon.
    TStatusPanel *StatusPanel0 = nullptr;
    QLabel *StatusPanel1 = nullptr;
    TTrayIcon *TrayIcon1 = nullptr;
    QComboBox *ComboBox2 = nullptr;      // server-file folder

    // The chat view's part of the chat row; the banner's place in the strip.
    QWidget *ChatPanel = nullptr;
    QWidget *BannerPanel = nullptr;
    // The page buttons with the page each opens, in their row's order.
    std::vector<std::pair<QPushButton *, Page>> PageButtons;
    // The online icon buttons, in the order of ChatComposer::OnlineIcons().
    QList<QToolButton *> OnlineIconButtons;

private:
    QWidget *buildTopView();
    QWidget *buildPreferencesPage();
    QWidget *buildChatArea();
    QWidget *buildPlayersColumn();
    QWidget *buildMessageRow();
    QWidget *buildToolBars();
    QWidget *buildMediaStrip();
    void buildStatusBar();
    void buildTray();
    QWidget *buildOnlineIcons(QWidget *parent);

    QMainWindow *Window = nullptr;
};
