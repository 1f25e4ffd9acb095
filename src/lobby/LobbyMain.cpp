#include "LobbyMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpSocket>
#include <QToolButton>
#include <QVBoxLayout>

#include "Ansi.h"
#include "AppInfo.h"
#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "EventScheme.h"
#include "GameMenuFrame.h"
#include "EventSounds.h"
#include "FBVUMeter.h"
#include "LobbyDispatch.h"
#include "LobbyMedia.h"
#include "LobbySettings.h"
#include "LoginU.h"
#include "Platform.h"
#include "PlatformChatHost.h"
#include "ReadPause.h"
#include "WorkQueue.h"
#include "RegistrySettings.h"
#include "ScrollingBanner.h"
#include "SoundPlayer.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "SuitePictures.h"
#include "TextColors.h"
#include "TrayIcon.h"
#include "UserListView.h"
#include "UserDialogs.h"
#include "Waits.h"
#include "WinState.h"
#include "WindowLister.h"
#include "uRichEditWithLinks.h"
#include "_Globals.h"

namespace {

constexpr int ClosedTopHeight = 32;
constexpr int PreferencesTopHeight = 320;
// The banner moves one step per tick; the timer only runs while the window shows.
constexpr int BannerTickMs = 50;
constexpr int BannerStepPixels = 2;
constexpr int SlideTickMs = 5;

const char *const VersionCaption = "Vantora Lobby   Ver.6.11";

void setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void setTextColour(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, color);
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    w->setPalette(pal);
}

QColor textColour(const QWidget *w)
{
    return w->palette().color(QPalette::Text);
}

void setFontFamily(QWidget *w, const QString &family)
{
    QFont f = w->font();
    f.setFamily(family);
    w->setFont(f);
}

void setFontSize(QWidget *w, int points)
{
    QFont f = w->font();
    f.setPointSize(points);
    w->setFont(f);
}

QPushButton *makeButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QToolButton *makeToolButton(const QString &name, const QString &caption, const QString &hint,
                            bool checkable, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setCheckable(checkable);
    return button;
}

QCheckBox *makeCheckBox(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

LobbyCommandLine LobbyCommandLine::parse(const QStringList &arguments)
{
    LobbyCommandLine line;
    if (!arguments.isEmpty() && !arguments.at(0).isEmpty())
        line.port = LenientNumber(arguments.at(0));
    if (arguments.size() > 1 && !arguments.at(1).isEmpty())
        line.server = arguments.at(1);
    return line;
}

TLobbyMainForm::TLobbyMainForm(QWidget *parent)
    : TLobbyMainForm(LobbyStartup{}, parent)
{
}

TLobbyMainForm::TLobbyMainForm(const LobbyStartup &startup, QWidget *parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("TLobbyMainForm"));
    setWindowTitle(QStringLiteral("Vantora Console"));
    setWindowIcon(SuiteIcon());
    resize(1000, 660);
    MainWindows::registerWindow(this, QString::fromLatin1(metaObject()->className()));

    if (startup.settings) {
        m_store = startup.settings;
    } else {
        m_ownSettings = std::make_unique<RegistrySettings>(RegistrySettings::Scope::User);
        m_store = m_ownSettings.get();
    }
    if (startup.machineSettings) {
        m_machine = startup.machineSettings;
    } else {
        m_ownMachine = std::make_unique<RegistrySettings>(RegistrySettings::Scope::Machine);
        m_machine = m_ownMachine.get();
    }

    m_chatHost = std::make_unique<PlatformChatHost>();
    m_chatSession = std::make_unique<ChatSession>(m_chatHost.get());
    buildWindow();
    Media = new TLobbyMedia(*this, startup.mediaPlayer, startup.soundInput);
    WinState1 = new TWinState(this);
    WinState1->setObjectName(QStringLiteral("WinState1"));
    WinState1->SectionName = QStringLiteral("Vantora Console");
    WinState1->SetDataStorage(dsRegistry);
    FormCreate(startup);
    WireConnection();
    WireConsole();
    WireUserList();
    WireMenus();
}

TLobbyMainForm::~TLobbyMainForm()
{
    // The menu frames borrow the engine and reach back into the window.
    delete GamesFrame1;
    delete GamesFrame2;
    GamesFrame1 = GamesFrame2 = nullptr;
    // The media side reaches into the strip's widgets: it goes first.
    delete Media;
    Media = nullptr;
    m_idleTimer.stop();
    m_slideTimer.stop();
    WriteSettings();
    PlayEventSound("AppClose");
    // The window is going: no disconnect notice any more, nothing queued shown.
    if (m_work)
        m_work->stop();
    if (ClientSocket)
        ClientSocket->disconnect(this);
    DeactivateConnection();
    if (ClientSocket)
        ClientSocket->close();
    // The sound scheme goes before the store it reads.
    m_sounds.reset();
}

// ---------------------------------------------------------------------------
// Window regions

void TLobbyMainForm::buildWindow()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    layout->addWidget(buildTopView());
    auto *middle = new QHBoxLayout;
    middle->setSpacing(2);
    middle->addWidget(buildChatArea(), 1);
    middle->addWidget(buildPlayersColumn());
    layout->addLayout(middle, 1);
    layout->addWidget(buildMessageRow());
    layout->addWidget(buildToolBars());
    layout->addWidget(buildMediaStrip());
    setCentralWidget(central);
    buildStatusBar();
    buildTray();

    ClientSocket = new QTcpSocket(this);
    ClientSocket->setObjectName(QStringLiteral("ClientSocket"));
    ReadPause::limitSocket(*ClientSocket);
    m_work = new WorkQueue(this);
    connect(m_work, &WorkQueue::drained, this, [this] {
        if (m_readPause.resume())
            ClientSocketRead();
    });

    m_idleTimer.setInterval(BannerTickMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &TLobbyMainForm::IdleStep);
    m_slideTimer.setInterval(SlideTickMs);
    connect(&m_slideTimer, &QTimer::timeout, this, &TLobbyMainForm::slideStep);
}

QWidget *TLobbyMainForm::buildTopView()
{
    TopView = new QFrame(this);
    TopView->setObjectName(QStringLiteral("TopView"));
    TopView->setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(TopView);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    btnGames = makeButton(QStringLiteral("btnGames"), QStringLiteral("Games"), TopView);
    btnParloras = makeButton(QStringLiteral("btnParloras"), QStringLiteral("Parloras"), TopView);
    btnPreferences =
        makeButton(QStringLiteral("btnPreferences"), QStringLiteral("Preferences"), TopView);
    btnBrowse = makeButton(QStringLiteral("btnBrowse"), QStringLiteral("Browse"), TopView);
    btnMedia = makeButton(QStringLiteral("btnMedia"), QStringLiteral("Media"), TopView);
    btnVideo = makeButton(QStringLiteral("btnVideo"), QStringLiteral("Video"), TopView);
    btnVideo->setToolTip(QStringLiteral("Movies"));
    const std::pair<QPushButton *, int> pageButtons[] = {
        {btnGames, GamesPage},         {btnParloras, ParlorasPage}, {btnPreferences, PreferencesPage},
        {btnBrowse, BrowsePage},       {btnMedia, MediaManagerPage}, {btnVideo, VideoPage},
    };
    for (const auto &[button, page] : pageButtons) {
        button->setFixedHeight(24);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, page = page] { PageButtonClick(page); });
    }
    buttons->addStretch(1);
    layout->addLayout(buttons);

    PanelSlide = new QFrame(TopView);
    PanelSlide->setObjectName(QStringLiteral("PanelSlide"));
    auto *slideLayout = new QVBoxLayout(PanelSlide);
    slideLayout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(PanelSlide);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->tabBar()->hide();
    PageControl1->setDocumentMode(true);
    const char *const pageNames[] = {"GamesSheet", "ParlorasSheet", "PreferencesSheet",
                                     "MediaManager", "BrowseSheet", "VideoSheet"};
    const char *const pageCaptions[] = {"Games", "Parloras", "Preferences",
                                        "MediaManager", "Browse", "Video"};
    for (int i = 0; i < 6; ++i) {
        QWidget *page = new QWidget;
        if (i == PreferencesPage) {
            // Scrolls rather than widening the window on small screens.
            auto *scroll = new QScrollArea(page);
            scroll->setObjectName(QStringLiteral("PreferencesScroll"));
            scroll->setWidgetResizable(true);
            scroll->setFrameShape(QFrame::NoFrame);
            scroll->setWidget(buildPreferencesPage());
            auto *pageLayout = new QVBoxLayout(page);
            pageLayout->setContentsMargins(0, 0, 0, 0);
            pageLayout->addWidget(scroll);
        }
        page->setObjectName(QString::fromLatin1(pageNames[i]));
        PageControl1->addTab(page, QString::fromLatin1(pageCaptions[i]));
    }
    slideLayout->addWidget(PageControl1);
    layout->addWidget(PanelSlide, 1);
    TopView->setFixedHeight(ClosedTopHeight);
    return TopView;
}

QWidget *TLobbyMainForm::buildPreferencesPage()
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(4, 4, 4, 4);

    auto *connection = new QGroupBox(QStringLiteral("Connection"), page);
    connection->setObjectName(QStringLiteral("GroupBoxConnection"));
    auto *form = new QFormLayout(connection);
    ComboBox3 = new QComboBox(connection);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->setEditable(true);
    ComboBox3->setInsertPolicy(QComboBox::NoInsert);
    SpinEdit2 = new QSpinBox(connection);
    SpinEdit2->setObjectName(QStringLiteral("SpinEdit2"));
    SpinEdit2->setRange(0, 65535);
    form->addRow(QStringLiteral("Server Name"), ComboBox3);
    form->addRow(QStringLiteral("Server Channel"), SpinEdit2);
    btnApply = makeButton(QStringLiteral("btnApply"), QStringLiteral("Apply"), connection);
    btnDefaults = makeButton(QStringLiteral("btnDefaults"), QStringLiteral("Defaults"), connection);
    auto *connectionButtons = new QHBoxLayout;
    connectionButtons->addWidget(btnApply);
    connectionButtons->addWidget(btnDefaults);
    form->addRow(connectionButtons);
    connect(btnApply, &QPushButton::clicked, this, &TLobbyMainForm::btnApplyClick);
    connect(btnDefaults, &QPushButton::clicked, this, &TLobbyMainForm::btnDefaultsClick);
    // Any edit of the server name or channel drops the connection at once.
    connect(ComboBox3, &QComboBox::editTextChanged, this, [this] { DeactivateConnection(); });
    connect(SpinEdit2, &QSpinBox::valueChanged, this, [this] { DeactivateConnection(); });
    ComboBox3->installEventFilter(this);
    if (ComboBox3->lineEdit())
        ComboBox3->lineEdit()->installEventFilter(this);
    SpinEdit2->installEventFilter(this);
    ComboBox3->setMinimumContentsLength(16);
    // Connection and fonts share a column, so that every group fits the
    // lobby's width and the page's height without a scroll bar.
    auto *firstColumn = new QVBoxLayout;
    firstColumn->addWidget(connection);
    row->addLayout(firstColumn);

    auto *options = new QGroupBox(QStringLiteral("Options"), page);
    options->setObjectName(QStringLiteral("GroupBoxOptions"));
    auto *optionLayout = new QVBoxLayout(options);
    cbFastConnection =
        makeCheckBox(QStringLiteral("cbFastConnection"), QStringLiteral("Fast Connection"), options);
    cbScaleLowRes = makeCheckBox(QStringLiteral("cbScaleLowRes"),
                                 QStringLiteral("Scale Graphics on Low Resolution (800x600)"),
                                 options);
    cbExternalMP3 = makeCheckBox(QStringLiteral("cbExternalMP3"),
                                 QStringLiteral("Use External Media Player"), options);
    VTFTP = makeCheckBox(QStringLiteral("VTFTP"), QStringLiteral("Always Use Vantora FTP"), options);
    Supress = makeCheckBox(QStringLiteral("Supress"),
                           QStringLiteral("Suppress Text on Sound Playing"), options);
    cbClickSound = makeCheckBox(QStringLiteral("cbClickSound"),
                                QStringLiteral("Don't show where I am to seekers"), options);
    for (QCheckBox *box : {cbFastConnection, cbScaleLowRes, cbExternalMP3, VTFTP}) {
        optionLayout->addWidget(box);
        connect(box, &QCheckBox::clicked, this, &TLobbyMainForm::OptionBoxClick);
    }
    connect(Supress, &QCheckBox::clicked, this, &TLobbyMainForm::SupressClick);
    optionLayout->addWidget(Supress);
    optionLayout->addWidget(cbClickSound);
    optionLayout->addStretch(1);
    row->addWidget(options);

    auto *fonts = new QGroupBox(QStringLiteral("Font Selection"), page);
    fonts->setObjectName(QStringLiteral("GroupBoxFonts"));
    auto *fontForm = new QFormLayout(fonts);
    cbxFontNames = new QComboBox(fonts);
    cbxFontNames->setObjectName(QStringLiteral("cbxFontNames"));
    SpinEdit1 = new QSpinBox(fonts);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(8, 18);
    Edit5 = new QLineEdit(QStringLiteral("Sample"), fonts);
    Edit5->setObjectName(QStringLiteral("Edit5"));
    Edit5->setReadOnly(true);
    btnWindowColor = makeButton(QStringLiteral("btnWindowColor"),
                                QStringLiteral("Select Window Color"), fonts);
    btnDefaultTextColor = makeButton(QStringLiteral("btnDefaultTextColor"),
                                     QStringLiteral("Select Default Text Color"), fonts);
    fontForm->addRow(QStringLiteral("Font Name"), cbxFontNames);
    fontForm->addRow(QStringLiteral("Font Size"), SpinEdit1);
    fontForm->addRow(QStringLiteral("Sample"), Edit5);
    fontForm->addRow(btnWindowColor);
    fontForm->addRow(btnDefaultTextColor);
    firstColumn->addWidget(fonts);

    auto *about = new QGroupBox(QStringLiteral("About You"), page);
    about->setObjectName(QStringLiteral("GroupBoxAbout"));
    auto *aboutForm = new QFormLayout(about);
    Memo6 = new QPlainTextEdit(about);
    Memo6->setObjectName(QStringLiteral("Memo6"));
    Edit1 = new QLineEdit(about);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(80);
    edEmail = new QLineEdit(about);
    edEmail->setObjectName(QStringLiteral("edEmail"));
    edEmail->setMaxLength(80);
    edEmail->setToolTip(QStringLiteral("In case you forget your password."));
    aboutForm->addRow(QStringLiteral("Information  ( where are you ? )"), Memo6);
    aboutForm->addRow(QStringLiteral("Battle Cry"), Edit1);
    aboutForm->addRow(QStringLiteral("Email Addy"), edEmail);
    // Labels above their fields leave the fields the group's whole width.
    aboutForm->setRowWrapPolicy(QFormLayout::WrapAllRows);
    Memo6->setMaximumHeight(60);
    row->addWidget(about, 1);
    row->addWidget(buildOnlineIcons(page));
    return page;
}

QWidget *TLobbyMainForm::buildChatArea()
{
    m_chatPanel = new QWidget(this);
    m_chatPanel->setObjectName(QStringLiteral("Panel2"));
    auto *grid = new QGridLayout(m_chatPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    Memo2 = new TRichEditURL(m_chatPanel);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->SetShowSelectionBar(true);
    Image1 = new QLabel(m_chatPanel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setMinimumSize(1, 1);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    grid->addWidget(Memo2, 0, 0);
    grid->addWidget(Image1, 0, 0);
    Memo2->hide();
    return m_chatPanel;
}

QWidget *TLobbyMainForm::buildPlayersColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("Panel5"));
    column->setFixedWidth(170);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel6 = new QFrame(column);
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFrameShape(QFrame::StyledPanel);
    Panel6->setToolTip(QStringLiteral("Click Here to RE- LOGIN"));
    Panel6->setCursor(Qt::PointingHandCursor);
    auto *header = new QHBoxLayout(Panel6);
    header->setContentsMargins(4, 2, 4, 2);
    PlayersCaption = new QLabel(QStringLiteral(" The Players"), Panel6);
    PlayersCaption->setObjectName(QStringLiteral("PlayersCaption"));
    Shape1 = new TShape(QStringLiteral("Shape1"), Qt::darkGreen, Panel6);
    Shape2 = new TShape(QStringLiteral("Shape2"), Qt::darkGreen, Panel6);
    Shape3 = new TShape(QStringLiteral("Shape3"), Qt::darkGreen, Panel6);
    header->addWidget(PlayersCaption, 1);
    header->addWidget(Shape1);
    header->addWidget(Shape2);
    header->addWidget(Shape3);
    layout->addWidget(Panel6);

    Memo3 = new TUserListView(column);
    Memo3->setObjectName(QStringLiteral("Memo3"));
    Memo3->setSelectionMode(QAbstractItemView::ExtendedSelection);
    layout->addWidget(Memo3, 1);
    return column;
}

QWidget *TLobbyMainForm::buildMessageRow()
{
    Panel12 = new QFrame(this);
    Panel12->setObjectName(QStringLiteral("Panel12"));
    auto *row = new QHBoxLayout(Panel12);
    row->setContentsMargins(0, 0, 0, 0);
    Memo1 = new QPlainTextEdit(Panel12);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setPlaceholderText(QStringLiteral("Type Your Message Here"));
    Memo1->setFixedHeight(48);
    SendButton = makeButton(QStringLiteral("SendButton"), QStringLiteral("  Send"), Panel12);
    SendButton->setFixedHeight(48);
    row->addWidget(Memo1, 1);
    row->addWidget(SendButton);
    return Panel12;
}

QWidget *TLobbyMainForm::buildToolBars()
{
    auto *bars = new QWidget(this);
    bars->setObjectName(QStringLiteral("ToolBars"));
    auto *row = new QHBoxLayout(bars);
    row->setContentsMargins(0, 0, 0, 0);
    auto *first = new QFrame(bars);
    first->setObjectName(QStringLiteral("ToolBar1"));
    auto *firstRow = new QHBoxLayout(first);
    firstRow->setContentsMargins(0, 0, 0, 0);
    btnReconnect = makeButton(QStringLiteral("btnReconnect"), QStringLiteral("Re-Connect"), first);
    bitbtn11 = makeButton(QStringLiteral("bitbtn11"), QStringLiteral("Hang-Up"), first);
    btnHide = makeButton(QStringLiteral("btnHide"), QStringLiteral("Hide"), first);
    btnClose = makeButton(QStringLiteral("btnClose"), QStringLiteral("CLOSE"), first);
    for (QPushButton *b : {btnReconnect, bitbtn11, btnHide, btnClose})
        firstRow->addWidget(b);
    auto *second = new QFrame(bars);
    second->setObjectName(QStringLiteral("ToolBar2"));
    auto *secondRow = new QHBoxLayout(second);
    secondRow->setContentsMargins(0, 0, 0, 0);
    btnHere = makeButton(QStringLiteral("btnHere"), QStringLiteral("I'm Here"), second);
    btnAway = makeButton(QStringLiteral("btnAway"), QStringLiteral("I'm Away"), second);
    btnMyTime = makeButton(QStringLiteral("btnMyTime"), QStringLiteral("My Time"), second);
    btnInsert = makeButton(QStringLiteral("btnInsert"), QStringLiteral("Insert"), second);
    btnCry = makeButton(QStringLiteral("btnCry"), QStringLiteral("Cry"), second);
    for (QPushButton *b : {btnHere, btnAway, btnMyTime, btnInsert, btnCry})
        secondRow->addWidget(b);
    row->addWidget(first);
    row->addStretch(1);
    row->addWidget(second);

    connect(btnReconnect, &QPushButton::clicked, this, &TLobbyMainForm::btnReconnectClick);
    connect(btnHide, &QPushButton::clicked, this, &TLobbyMainForm::btnHideClick);
    connect(btnClose, &QPushButton::clicked, this, &TLobbyMainForm::btnCloseClick);
    connect(btnAway, &QPushButton::clicked, this, &TLobbyMainForm::ImAway);
    connect(btnHere, &QPushButton::clicked, this, &TLobbyMainForm::ImHere);
    return bars;
}

QWidget *TLobbyMainForm::buildMediaStrip()
{
    MediaStrip = new QFrame(this);
    MediaStrip->setObjectName(QStringLiteral("MediaStrip"));
    setBackground(MediaStrip, Qt::black);
    auto *row = new QHBoxLayout(MediaStrip);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(2);

    FBVUMeter1 = new TFBVUMeter(MediaStrip);
    FBVUMeter1->setObjectName(QStringLiteral("FBVUMeter1"));
    FBVUMeter1->setToolTip(QStringLiteral("Level"));
    FBVUMeter1->setLevelMin(-30);
    FBVUMeter1->setLevelMed(-15);
    FBVUMeter1->setBackGroundColor(Qt::black);
    FBVUMeter1->setFixedSize(22, 41);
    row->addWidget(FBVUMeter1);

    EnableFTP = makeToolButton(QStringLiteral("EnableFTP"), QStringLiteral("FTP"),
                               QStringLiteral("Enable Automatic MP3 Transfers"), true, MediaStrip);
    StopFTP = makeToolButton(QStringLiteral("StopFTP"), QStringLiteral("Stop"),
                             QStringLiteral("Stop FileTransfer / Reset Downloader"), false,
                             MediaStrip);
    StopFTP->setEnabled(false);
    AutoPlayDL = makeToolButton(QStringLiteral("AutoPlayDL"), QStringLiteral("Auto"),
                                QStringLiteral("Automatic Play After DownLoad"), true, MediaStrip);
    SpeedButtonB = makeToolButton(QStringLiteral("SpeedButtonB"), QStringLiteral("B"),
                                  QStringLiteral("Bold"), true, MediaStrip);
    SpeedButtonI = makeToolButton(QStringLiteral("SpeedButtonI"), QStringLiteral("I"),
                                  QStringLiteral("Italic"), true, MediaStrip);
    SpeedButtonA = makeToolButton(QStringLiteral("SpeedButtonA"), QStringLiteral("A"),
                                  QStringLiteral("Send With Your Font"), true, MediaStrip);
    for (QToolButton *b : {EnableFTP, StopFTP, AutoPlayDL, SpeedButtonB, SpeedButtonI, SpeedButtonA})
        row->addWidget(b);

    cbxC = new QComboBox(MediaStrip);
    cbxC->setObjectName(QStringLiteral("cbxC"));
    cbxC->setToolTip(QStringLiteral("Text Color"));
    for (int i = 0; i < int(TextColorTable().size()); ++i) {
        QPixmap swatch(14, 14);
        swatch.fill(TextColorTable()[size_t(i)].swatch);
        cbxC->addItem(QIcon(swatch), QString::number(i));
    }
    row->addWidget(cbxC);

    SpeedButton5 = makeToolButton(QStringLiteral("SpeedButton5"), QStringLiteral("Snd"),
                                  QStringLiteral("Turn Sound On/Off"), true, MediaStrip);
    btnRefreshList = makeToolButton(QStringLiteral("btnRefreshList"), QStringLiteral("Refresh"),
                                    QStringLiteral("Refresh List"), false, MediaStrip);
    btnStopMedia = makeToolButton(QStringLiteral("btnStopMedia"), QStringLiteral("Stop"),
                                  QStringLiteral("Stop Media Player"), false, MediaStrip);
    btnPause = makeToolButton(QStringLiteral("btnPause"), QStringLiteral("||"),
                              QStringLiteral("Pause"), false, MediaStrip);
    btnMP3Only = makeToolButton(QStringLiteral("btnMP3Only"), QStringLiteral("MP3"),
                                QStringLiteral("MP3's only"), true, MediaStrip);
    btnMIDOnly = makeToolButton(QStringLiteral("btnMIDOnly"), QStringLiteral("MID"),
                                QStringLiteral("MID's only"), true, MediaStrip);
    for (QToolButton *b : {SpeedButton5, btnRefreshList, btnStopMedia, btnPause, btnMP3Only,
                           btnMIDOnly})
        row->addWidget(b);

    ComboBox1 = new QComboBox(MediaStrip);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setToolTip(QStringLiteral("Local Sound and Music Files"));
    ComboBox1->setMinimumWidth(120);
    row->addWidget(ComboBox1);
    btnPlay = makeToolButton(QStringLiteral("btnPlay"), QStringLiteral("Play"),
                             QStringLiteral("Play"), false, MediaStrip);
    row->addWidget(btnPlay);

    Gauge2 = new QProgressBar(MediaStrip);
    Gauge2->setObjectName(QStringLiteral("Gauge2"));
    Gauge2->setFixedWidth(60);
    Gauge2->hide();
    Label9 = new QLabel(MediaStrip);
    Label9->setObjectName(QStringLiteral("Label9"));
    setTextColour(Label9, Qt::white);
    btnNextItem = makeToolButton(QStringLiteral("btnNextItem"), QStringLiteral(">>"),
                                 QStringLiteral("Next Item in Play List"), false, MediaStrip);
    row->addWidget(Gauge2);
    row->addWidget(Label9);
    row->addWidget(btnNextItem);

    // The playing progress and the banner share one place: the banner lies
    // over the gauge, a little narrower.
    m_bannerPanel = new QWidget(MediaStrip);
    m_bannerPanel->setObjectName(QStringLiteral("BannerPanel"));
    auto *bannerGrid = new QGridLayout(m_bannerPanel);
    bannerGrid->setContentsMargins(0, 0, 0, 0);
    Gauge1 = new QProgressBar(m_bannerPanel);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setToolTip(QStringLiteral("Playing Progress"));
    Gauge1->hide();
    Label4 = new TScrollingBanner(m_bannerPanel);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setStep(BannerStepPixels);
    QPalette bannerPalette = Label4->palette();
    bannerPalette.setColor(QPalette::Window, Qt::black);
    bannerPalette.setColor(QPalette::WindowText, QColor(255, 255, 0));
    Label4->setPalette(bannerPalette);
    Label4->setLines({QStringLiteral("Welcome to Vantra Chat"),
                      QStringLiteral("Please, Enjoy Your Visit.")});
    bannerGrid->addWidget(Gauge1, 0, 0);
    bannerGrid->addWidget(Label4, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    m_bannerPanel->setMinimumWidth(120);
    row->addWidget(m_bannerPanel, 1);
    Shape5 = new TShape(QStringLiteral("Shape5"), Qt::black, MediaStrip);
    row->addWidget(Shape5);

    connect(SpeedButton5, &QToolButton::toggled, this, [this](bool on) {
        SoundOn = on;
        ChatRenderer->SoundsOn = on;
    });
    connect(cbxC, &QComboBox::activated, this, [this] { SetATColorFromBox(); });
    return MediaStrip;
}

void TLobbyMainForm::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    StatusPanel0 = new TStatusPanel(bar);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setFixedWidth(450);
    StatusPanel1 = new QLabel(bar);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFixedWidth(175);
    StatusPanel1->setAlignment(Qt::AlignCenter);
    bar->addWidget(StatusPanel0);
    bar->addWidget(StatusPanel1);

    ComboBox2 = new QComboBox(this);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->hide();
}

void TLobbyMainForm::buildTray()
{
    TrayIcon1 = new TTrayIcon(this);
    TrayIcon1->setIcon(SuiteIcon());
    TrayIcon1->setToolTip(QStringLiteral("Vantora Lobby"));
    connect(TrayIcon1, &TTrayIcon::showRequested, this, &TLobbyMainForm::ShowFromTray);
    connect(TrayIcon1, &TTrayIcon::exitRequested, this, &TLobbyMainForm::ExitFromTray);
}

// ---------------------------------------------------------------------------
// Creation and settings

void TLobbyMainForm::FormCreate(const LobbyStartup &startup)
{
    PageControl1->setCurrentIndex(GamesPage);
    PanelSlide->hide();
    TopView->setFixedHeight(ClosedTopHeight);
    Activated = false;

    ChatRenderer = std::make_unique<TDispAnsi>(*m_chatSession);
    ChatRenderer->Attach(Memo2, Memo3, StatusPanel0);

    Closing = false;
    m_settings = std::make_unique<LobbySettings>(*m_store);

    cbxFontNames->addItems(QFontDatabase::families());
    ReadSettings();

    LobbyDir = startup.lobbyDir;
    if (LobbyDir.isEmpty())
        LobbyDir = QCoreApplication::applicationDirPath();
    if (!LobbyDir.endsWith(QLatin1Char('/')))
        LobbyDir += QLatin1Char('/');
    RegisterEventScheme(*m_store, LobbyDir);
    m_sounds = std::make_unique<EventSounds>(*m_store, Platform::sound());
    m_sounds->install();

    ApplyCommandLine(startup.arguments ? *startup.arguments
                                       : ProgramArguments());

    setFontFamily(Edit5, FontBoxText());
    setFontSize(Edit5, SpinEdit1->value());
    SetChatFontName(FontBoxText());
    SetChatFontSize(SpinEdit1->value());

    SoundOn = SpeedButton5->isChecked();
    ChatRenderer->SoundsOn = SoundOn;
    SetATColorFromBox();
}

void TLobbyMainForm::ReadSettings()
{
    LobbySettings &s = *m_settings;
    Supress->setChecked(s.suppressTextonSound());
    // The renderer follows the stored choice from the start, not only after a click.
    m_chatSession->SuppressOnSound = Supress->isChecked();
    cbClickSound->setChecked(s.clickSound());
    cbExternalMP3->setChecked(s.externalMP3());
    cbFastConnection->setChecked(s.fastConnection());
    FastConnection = cbFastConnection->isChecked();
    cbScaleLowRes->setChecked(s.scaleLowRes());
    SpeedButton5->setChecked(s.soundOn());
    VTFTP->setChecked(s.vtFtpOnly());
    const QString server = s.server();
    ComboBox3->addItems(s.serverList());
    ComboBox3->setEditText(server);
    SpinEdit1->setValue(s.fontSize());
    SpinEdit2->setValue(s.port());
    Memo6->setPlainText(s.information());
    Edit1->setText(s.cry());
    edEmail->setText(s.email());
    const int colorIndex = s.chatColor();
    cbxC->setCurrentIndex(colorIndex >= 0 && colorIndex < cbxC->count() ? colorIndex : -1);
    setBackground(Edit5, ToQColor(s.winColor()));
    SetDefaultTextColor(s.defColor());
    FontBoxSelect(s.fontName());
    m_storedMediaPath = s.mediaPath();
    s.flush();
}

void TLobbyMainForm::FontBoxSelect(const QString &name)
{
    m_storedFontName = name;
    cbxFontNames->setCurrentIndex(cbxFontNames->findText(name, Qt::MatchFixedString));
}

QString TLobbyMainForm::FontBoxText() const
{
    if (cbxFontNames->currentIndex() >= 0)
        return cbxFontNames->currentText();
    return m_storedFontName;
}

void TLobbyMainForm::WriteSettings()
{
    if (!m_settings)
        return;
    LobbySettings &s = *m_settings;
    s.setSuppressTextonSound(Supress->isChecked());
    s.setClickSound(cbClickSound->isChecked());
    s.setExternalMP3(cbExternalMP3->isChecked());
    s.setFastConnection(cbFastConnection->isChecked());
    s.setScaleLowRes(cbScaleLowRes->isChecked());
    s.setFontName(FontBoxText());
    s.setServer(ComboBox3->currentText());
    QStringList servers;
    for (int i = 0; i < ComboBox3->count(); ++i)
        servers << ComboBox3->itemText(i);
    s.setServerList(servers);
    s.setFontSize(SpinEdit1->value());
    s.setWinColor(FromQColor(Edit5->palette().color(QPalette::Base)));
    s.setDefColor(DefaultTextColor());
    s.setPort(SpinEdit2->value());
    s.writeVersion();
    s.setCry(Edit1->text());
    s.setEmail(edEmail->text());
    s.setInformation(Memo6->toPlainText());
    // Before the first login there is no media folder yet: keep the stored one.
    QString media = MediaFolder();
    if (media.endsWith(QLatin1Char('/')))
        media.chop(1);
    s.setMediaPath(MediaFolder().isEmpty() ? m_storedMediaPath : media);
    s.setSoundOn(SoundOn);
    s.setVtFtpOnly(VTFTP->isChecked());
    s.setChatColor(cbxC->currentIndex());
    s.flush();
}

void TLobbyMainForm::ApplyCommandLine(const QStringList &arguments)
{
    const LobbyCommandLine line = LobbyCommandLine::parse(arguments);
    if (line.port)
        SpinEdit2->setValue(*line.port);
    if (line.server)
        ComboBox3->setEditText(*line.server);
}

void TLobbyMainForm::SetATColor(const QByteArray &code)
{
    ATColor = code;
    m_settings->setATColor(code);
    m_settings->flush();
}

void TLobbyMainForm::SetATStyle(const QByteArray &codes)
{
    ATStyle = codes;
    m_settings->setATStyle(codes);
    m_settings->flush();
}

void TLobbyMainForm::SetATColorFromBox()
{
    const int index = cbxC->currentIndex();
    if (index < 0 || index >= int(TextColorTable().size()))
        return;
    SetATColor(TextColorTable()[size_t(index)].code);
}

// ---------------------------------------------------------------------------
// Appearance

void TLobbyMainForm::ApplyAppearance()
{
    const QColor window = Edit5->palette().color(QPalette::Base);
    const QColor defaultText = ToQColor(DefaultTextColor());
    const QColor contrast = ToQColor(m_chatSession->Contrast(DefaultTextColor()));
    setBackground(Memo1, window);
    for (QWidget *w : {static_cast<QWidget *>(Memo2), static_cast<QWidget *>(Memo3),
                       static_cast<QWidget *>(Panel12)})
        setBackground(w, window);
    setTextColour(btnDefaultTextColor, defaultText);
    {
        // The button shows the text colour on the window colour it is meant for.
        QPalette pal = btnDefaultTextColor->palette();
        pal.setColor(QPalette::Button, window);
        btnDefaultTextColor->setPalette(pal);
    }
    setTextColour(Edit5, defaultText);
    setTextColour(PlayersCaption, contrast);
    setBackground(Panel6, window);
    for (QWidget *w : {static_cast<QWidget *>(Memo1), static_cast<QWidget *>(Memo2),
                       static_cast<QWidget *>(Memo3)})
        setFontFamily(w, ChatFontName());
    const QColor sampleText = textColour(Edit5);
    setTextColour(Memo1, sampleText);
    setFontSize(Memo1, ChatFontSize());
    setChatViewColour(sampleText);
    setFontSize(Memo2, ChatFontSize());
    setTextColour(Memo3, contrast);
    QPalette messagePalette = Memo1->palette();
    QColor placeholder = sampleText;
    placeholder.setAlpha(140);
    messagePalette.setColor(QPalette::PlaceholderText, placeholder);
    Memo1->setPalette(messagePalette);

    m_settings->setATColor(ATColor);
    m_settings->setFontSize(SpinEdit1->value());
    m_settings->setWinColor(FromQColor(window));
    m_settings->setDefColor(DefaultTextColor());
    m_settings->flush();
}

void TLobbyMainForm::setChatViewColour(const QColor &color)
{
    setTextColour(Memo2, color);
    Memo2->setFontColor(FromQColor(color));
}

void TLobbyMainForm::DarkTest(TColor color)
{
    const bool dark = (color & 0xFF) < 100 && ((color >> 8) & 0xFF) < 100
                      && ((color >> 16) & 0xFF) < 100;
    // First the renderer: what Contrast gives depends on it.
    m_chatSession->DarkView = dark;
    const QColor contrast = ToQColor(m_chatSession->Contrast(DefaultTextColor()));
    if (dark) {
        setTextColour(Edit5, contrast);
        setTextColour(PlayersCaption, contrast);
        setTextColour(Memo3, Qt::white);
        setTextColour(Memo1, Qt::white);
        setChatViewColour(Qt::white);
    } else {
        setTextColour(Edit5, contrast);
        setTextColour(Memo3, contrast);
        setTextColour(PlayersCaption, contrast);
        setTextColour(Memo1, ToQColor(m_chatSession->Contrast(FromQColor(textColour(Memo1)))));
        setChatViewColour(ToQColor(m_chatSession->Contrast(Memo2->fontColor())));
    }
}

QString TLobbyMainForm::ChatFontName() const
{
    return DisplayText(m_chatSession->DefaultFontName);
}

void TLobbyMainForm::SetChatFontName(const QString &name)
{
    m_chatSession->DefaultFontName = ProtocolBytes(name);
}

int TLobbyMainForm::ChatFontSize() const
{
    return m_chatSession->DefaultFontSize;
}

void TLobbyMainForm::SetChatFontSize(int size)
{
    m_chatSession->DefaultFontSize = size;
}

TColor TLobbyMainForm::DefaultTextColor() const
{
    return m_chatSession->DefColor;
}

void TLobbyMainForm::SetDefaultTextColor(TColor color)
{
    m_chatSession->DefColor = color;
}

QString TLobbyMainForm::UserName() const
{
    return DisplayText(m_chatSession->UserName);
}

QString TLobbyMainForm::Password() const
{
    return DisplayText(m_chatSession->Password);
}

QString TLobbyMainForm::MediaFolder() const
{
    return m_chatSession->MediaFolder;
}

QString TLobbyMainForm::TauntFolder() const
{
    return m_chatSession->TauntFolder;
}

void TLobbyMainForm::SupressClick()
{
    m_chatSession->SuppressOnSound = Supress->isChecked();
}

// ---------------------------------------------------------------------------
// Activation and login

bool TLobbyMainForm::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        FormActivate();
    return QMainWindow::event(event);
}

void TLobbyMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // A desktop without a window manager never activates the window; the
    // first showing starts the first activation there too.
    if (!Activated && !m_firstActivationQueued) {
        m_firstActivationQueued = true;
        QTimer::singleShot(0, this, [this] { FormActivate(); });
    }
    RunIdleTimer();
}

void TLobbyMainForm::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        RunIdleTimer();
}

void TLobbyMainForm::RunIdleTimer()
{
    // The banner moves only while somebody can see it.
    const bool wanted = m_idleInstalled && isVisible() && !isMinimized();
    if (wanted && !m_idleTimer.isActive())
        m_idleTimer.start();
    else if (!wanted)
        m_idleTimer.stop();
}

void TLobbyMainForm::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    RunIdleTimer();
}

void TLobbyMainForm::FormActivate()
{
    ChatRenderer->SoundsOn = SoundOn;
    if (Activated)
        return;
    FirstActivation();
}

void TLobbyMainForm::FirstActivation()
{
    PaintSplash();
    Activated = true;

    btnReconnect->setEnabled(false);
    cbFastConnection->setChecked(FastConnection);
    StatusPanel1->setText(QString::fromLatin1(VersionCaption));

    SetChatFontName(FontBoxText());
    SetChatFontSize(SpinEdit1->value());
    ApplyAppearance();
    DarkTest(FromQColor(Edit5->palette().color(QPalette::Base)));
    // The splash shows during the login: give it the colour just applied.
    PaintSplash();

    LoginAndConnect([this] { FinishFirstActivation(); });
}

void TLobbyMainForm::FinishFirstActivation()
{
    setWindowTitle(QStringLiteral("Vantora Lobby - ") + UserName());
    ShowWelcome();
    if (PageControl1->currentIndex() == GamesPage && Memo1->isVisible())
        Memo1->setFocus();
    TrayIcon1->show();

    SetATColor(QByteArray("\033[1"));
    SetATStyle(QByteArray());
    SetATColorFromBox();

    Media->Transfers->ResetFolders();
    m_idleInstalled = true;
    RunIdleTimer();
    emit firstActivationDone();
}

void TLobbyMainForm::PaintSplash()
{
    const QSize size = Image1->size().expandedTo(QSize(1, 1));
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Memo1->palette().color(QPalette::Base));
    QPainter p(&picture);
    DrawKeyedPicture(p, QPoint(20, 20), SuitePicture("BITMAPVT"));
    p.end();
    Image1->setPixmap(QPixmap::fromImage(picture));
}

void TLobbyMainForm::ShowChatView(bool chat)
{
    Memo2->setVisible(chat);
    Image1->setVisible(!chat);
}

void TLobbyMainForm::ShowWelcome()
{
    ChatRenderer->ShowWithoutList("\033[1\033[BVantora Lobby \033[B\033[4 Version 6.11\033]\r\n");
}

void TLobbyMainForm::LoginAndConnect(std::function<void()> done)
{
    ShowChatView(false);
    PlayEventSound("AppOpen");
    m_chatSession->UserName.clear();
    m_chatSession->Password.clear();
    if (m_login) {
        // A login is already being asked for; it finishes this request too.
        connect(m_login, &QDialog::finished, this, [done] {
            if (done)
                done();
        });
        return;
    }
    m_login = new TLogin(*m_store, *m_machine, this);
    m_login->setWindowTitle(QStringLiteral("Vantora Login"));
    m_login->centreOnScreen();
    connect(m_login, &QDialog::finished, this, [this, done](int result) {
        TLogin *dialog = m_login;
        if (result == QDialog::Accepted) {
            m_chatSession->UserName = ProtocolBytes(dialog->userName());
            m_chatSession->Password = ProtocolBytes(dialog->password());
        } else {
            btnReconnect->setEnabled(false);
        }
        m_chatSession->TauntFolder = dialog->GameSoundFolder;
        m_chatSession->MediaFolder = dialog->MediaFolder;
        Media->LoginDone();
        m_login = nullptr;
        dialog->deleteLater();
        if (!m_chatSession->UserName.isEmpty()) {
            FileConnectItemClick();
        } else {
            ChatRenderer->Show("\033[4\033[BNot Logged in .....\033]\r\n");
            PlayEventSound("Problem");
        }
        if (done)
            done();
    });
    m_login->open();
}

// ---------------------------------------------------------------------------
// The connection (opened and driven by the lobby server connection)

TLogin *TLobbyMainForm::loginDialog() const
{
    return m_login;
}

bool TLobbyMainForm::ConnectionActive() const
{
    return ClientSocket && ClientSocket->state() != QAbstractSocket::UnconnectedState;
}

void TLobbyMainForm::DeactivateConnection()
{
    if (ConnectionActive())
        ClientSocket->abort();
}

// ---------------------------------------------------------------------------
// Preferences

void TLobbyMainForm::btnApplyClick()
{
    CloseSlide();
    ApplyHostAndPort();
    btnReconnectClick();
}

void TLobbyMainForm::btnDefaultsClick()
{
    ComboBox3->setEditText(DefaultServiceHost());
    SpinEdit2->setValue(23);
    CloseSlide();
    btnReconnectClick();
}

void TLobbyMainForm::OptionBoxClick()
{
    FastConnection = cbFastConnection->isChecked();
}

bool TLobbyMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (OnlineEventFilter(watched, event))
        return true;
    const bool serverBox = watched == ComboBox3 || (ComboBox3 && watched == ComboBox3->lineEdit());
    if ((serverBox || watched == SpinEdit2) && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            btnApplyClick();
            return true;
        }
        if (serverBox)
            DeactivateConnection();
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// The slide panel

bool TLobbyMainForm::SlideIsOpen() const
{
    return PanelSlide->isVisible() || m_slideTarget > ClosedTopHeight;
}

void TLobbyMainForm::PageButtonClick(int page)
{
    auto *button = qobject_cast<QPushButton *>(sender());
    if (button)
        button->setEnabled(false);
    auto enable = [button = QPointer<QPushButton>(button)] {
        if (button)
            button->setEnabled(true);
    };
    if (SlideIsOpen() && PageControl1->currentIndex() == page) {
        CloseSlide(enable);
        return;
    }
    OpenSlide(page, [this, page, enable] {
        // The media and video pages need one more layout pass.
        if (page == MediaManagerPage || page == VideoPage)
            resize(width() + 1, height());
        enable();
    });
}

void TLobbyMainForm::OpenSlide(int page, std::function<void()> done)
{
    PageControl1->setCurrentIndex(page);
    MenuPageOpened(page);
    // The chat area's height is measured as it is with the panel closed:
    // the open panel takes its room from the chat area, so the height it
    // shows now depends on the page shown before.
    const int chatHeight = m_chatPanel->height() + TopView->height() - ClosedTopHeight;
    m_slideTarget = page == PreferencesPage
                        ? PreferencesTopHeight
                        : std::max(ClosedTopHeight + 1, chatHeight - chatHeight / 4);
    m_slideDone.push_back([this, done = std::move(done)] {
        // A close asked for while the panel was still opening wins.
        if (m_slideTarget > ClosedTopHeight)
            PanelSlide->show();
        Memo2->verticalScrollBar()->setValue(Memo2->verticalScrollBar()->maximum());
        if (done)
            done();
    });
    m_slideTimer.start();
}

void TLobbyMainForm::CloseSlide(std::function<void()> done)
{
    // Only the menu of a showing page stays connected.
    CloseMenus();
    PageControl1->setCurrentIndex(GamesPage);
    PanelSlide->hide();
    m_slideTarget = ClosedTopHeight;
    m_slideDone.push_back([this, done = std::move(done)] {
        Memo2->verticalScrollBar()->setValue(Memo2->verticalScrollBar()->maximum());
        if (done)
            done();
    });
    m_slideTimer.start();
}

void TLobbyMainForm::slideStep()
{
    const int current = TopView->height();
    const int distance = m_slideTarget - current;
    if (distance == 0) {
        m_slideTimer.stop();
        auto done = std::move(m_slideDone);
        m_slideDone.clear();
        for (auto &step : done)
            step();
        return;
    }
    // Ten pixels a step, one pixel a step for the last ten.
    const int step = std::abs(distance) > 10 ? 10 : 1;
    TopView->setFixedHeight(current + (distance > 0 ? step : -step));
}

// ---------------------------------------------------------------------------
// Idle, resize, hide and show

void TLobbyMainForm::IdleStep()
{
    Media->IdleStep();
    Label4->advance();
}

void TLobbyMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (Activated)
        PaintSplash();
    Label4->setFixedWidth(std::max(1, m_bannerPanel->width() - 5));
    Media->FitColumns();
}

void TLobbyMainForm::ImAway()
{
    if (!Away)
        SetAway(true);
    Memo1->setFocus();
    ShowChatView(false);
}

void TLobbyMainForm::ImHere()
{
    if (Away)
        SetAway(false);
    Memo1->setFocus();
    ShowChatView(true);
}

void TLobbyMainForm::btnHideClick()
{
    ImAway();
    // Without a notification area a hidden window could not come back.
    if (TTrayIcon::isAvailable() && TrayIcon1->isVisible())
        hide();
    else
        showMinimized();
}

void TLobbyMainForm::ShowFromTray()
{
    if (isHidden() || isMinimized()) {
        showNormal();
        if (ConnectionActive())
            ImHere();
    }
    activateWindow();
    Memo1->setFocus();
}

void TLobbyMainForm::ExitFromTray()
{
    // A hidden window's close does not end the event loop by itself, and a
    // connected lobby closes only after its goodbye: the loop ends when the
    // close is through, whenever that is.
    m_quitWhenClosed = true;
    close();
}

void TLobbyMainForm::acceptClose(QCloseEvent *event)
{
    event->accept();
    if (m_quitWhenClosed)
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// Closing

void TLobbyMainForm::closeEvent(QCloseEvent *event)
{
    if (m_closeReady) {
        acceptClose(event);
        return;
    }
    Media->StopForClose();
    // The program ends with its main window, whatever dialog is open.
    CloseOwnDialogs(this);
    if (Closing) {
        event->ignore();
        showMinimized();
        return;
    }
    Closing = true;
    if (ConnectionActive()) {
        event->ignore();
        DeactivateConnection();
        ClientSocket->close();
        Waits::after(200, this, [this] {
            m_closeReady = true;
            close();
            Closing = false;
        });
        return;
    }
    Closing = false;
    acceptClose(event);
}

void TLobbyMainForm::btnCloseClick()
{
    btnClose->setEnabled(false);
    Media->AudioIn1->StopAtOnce();
    setBackground(MediaStrip, Qt::black);
    DeactivateConnection();
    Media->StopForClose();
    Waits::after(500, this, [this] { close(); });
}
