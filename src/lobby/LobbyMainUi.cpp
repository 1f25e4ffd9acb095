#include "LobbyMainUi.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ChatComposer.h"
#include "FBVUMeter.h"
#include "LobbyIcons.h"
#include "ScrollingBanner.h"
#include "SlidePanel.h"
#include "Shape.h"
#include "StatusPanel.h"
#include "SuitePictures.h"
#include "TextColors.h"
#include "TrayIcon.h"
#include "UserListView.h"
#include "uRichEditWithLinks.h"

namespace {

// The banner's step; the window's idle timer moves it.
constexpr int BannerStepPixels = 2;

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

void LobbyMainUi::setBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void LobbyMainUi::setTextColour(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Text, color);
    pal.setColor(QPalette::WindowText, color);
    pal.setColor(QPalette::ButtonText, color);
    w->setPalette(pal);
}

void LobbyMainUi::setupUi(QMainWindow *window)
{
    Window = window;
    auto *central = new QWidget(window);
    central->setObjectName(QStringLiteral("Panel1"));
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    // The open top panel's lower border is a splitter handle: dragging it
    // shares the height between the page and the chat.
    TopSplitter = new QSplitter(Qt::Vertical, central);
    TopSplitter->setObjectName(QStringLiteral("TopSplitter"));
    TopSplitter->setChildrenCollapsible(false);
    TopSplitter->setHandleWidth(5);
    TopSplitter->addWidget(buildTopView());
    auto *middle = new QWidget(TopSplitter);
    middle->setObjectName(QStringLiteral("ChatRow"));
    auto *middleLayout = new QHBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    middleLayout->setSpacing(2);
    middleLayout->addWidget(buildChatArea(), 1);
    middleLayout->addWidget(buildPlayersColumn());
    TopSplitter->addWidget(middle);
    TopSplitter->setStretchFactor(0, 0);
    TopSplitter->setStretchFactor(1, 1);
    layout->addWidget(TopSplitter, 1);
    layout->addWidget(buildMessageRow());
    layout->addWidget(buildToolBars());
    layout->addWidget(buildMediaStrip());
    window->setCentralWidget(central);
    buildStatusBar();
    buildTray();

}

QWidget *LobbyMainUi::buildTopView()
{
    TopView = new QFrame(Window);
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
    PageButtons = {
        {btnGames, GamesPage},   {btnParloras, ParlorasPage},  {btnPreferences, PreferencesPage},
        {btnBrowse, BrowsePage}, {btnMedia, MediaManagerPage}, {btnVideo, VideoPage},
    };
    for (const auto &[button, page] : PageButtons) {
        button->setFixedHeight(24);
        buttons->addWidget(button);
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
    TopView->setFixedHeight(SlidePanel::ClosedHeight);
    return TopView;
}

QWidget *LobbyMainUi::buildPreferencesPage()
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(4, 2, 4, 2);

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
    ComboBox3->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox3->setMinimumContentsLength(12);
    // Connection and fonts share a column, so that every group fits the
    // lobby's width and the page's height without a scroll bar.
    auto *firstColumn = new QVBoxLayout;
    firstColumn->setSpacing(4);
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
    for (QCheckBox *box : {cbFastConnection, cbScaleLowRes, cbExternalMP3, VTFTP})
        optionLayout->addWidget(box);
    optionLayout->addWidget(Supress);
    optionLayout->addWidget(cbClickSound);
    optionLayout->addStretch(1);
    row->addWidget(options);

    auto *fonts = new QGroupBox(QStringLiteral("Font Selection"), page);
    fonts->setObjectName(QStringLiteral("GroupBoxFonts"));
    auto *fontForm = new QFormLayout(fonts);
    cbxFontNames = new QComboBox(fonts);
    cbxFontNames->setObjectName(QStringLiteral("cbxFontNames"));
    // The longest family name does not widen the page; the list shows it whole.
    cbxFontNames->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cbxFontNames->setMinimumContentsLength(12);
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
    // The sample beside the size it shows: the group keeps to the page's height.
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addWidget(SpinEdit1);
    sizeRow->addWidget(Edit5, 1);
    fontForm->addRow(QStringLiteral("Font Size"), sizeRow);
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

QWidget *LobbyMainUi::buildChatArea()
{
    ChatPanel = new QWidget(Window);
    ChatPanel->setObjectName(QStringLiteral("Panel2"));
    auto *grid = new QGridLayout(ChatPanel);
    grid->setContentsMargins(0, 0, 0, 0);
    Memo2 = new TRichEditURL(ChatPanel);
    Memo2->setObjectName(QStringLiteral("Memo2"));
    Memo2->SetShowSelectionBar(true);
    Image1 = new QLabel(ChatPanel);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setMinimumSize(1, 1);
    Image1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    grid->addWidget(Memo2, 0, 0);
    grid->addWidget(Image1, 0, 0);
    Memo2->hide();
    return ChatPanel;
}

QWidget *LobbyMainUi::buildPlayersColumn()
{
    auto *column = new QWidget(Window);
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

QWidget *LobbyMainUi::buildMessageRow()
{
    Panel12 = new QFrame(Window);
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

QWidget *LobbyMainUi::buildToolBars()
{
    auto *bars = new QWidget(Window);
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

    return bars;
}

QWidget *LobbyMainUi::buildMediaStrip()
{
    MediaStrip = new QFrame(Window);
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
    BannerPanel = new QWidget(MediaStrip);
    BannerPanel->setObjectName(QStringLiteral("BannerPanel"));
    auto *bannerGrid = new QGridLayout(BannerPanel);
    bannerGrid->setContentsMargins(0, 0, 0, 0);
    Gauge1 = new QProgressBar(BannerPanel);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setToolTip(QStringLiteral("Playing Progress"));
    Gauge1->hide();
    Label4 = new TScrollingBanner(BannerPanel);
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
    BannerPanel->setMinimumWidth(120);
    row->addWidget(BannerPanel, 1);
    Shape5 = new TShape(QStringLiteral("Shape5"), Qt::black, MediaStrip);
    row->addWidget(Shape5);

    return MediaStrip;
}

void LobbyMainUi::buildStatusBar()
{
    QStatusBar *bar = Window->statusBar();
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

    ComboBox2 = new QComboBox(Window);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    ComboBox2->hide();
}

void LobbyMainUi::buildTray()
{
    TrayIcon1 = new TTrayIcon(Window);
    TrayIcon1->setIcon(SuiteIcon());
    TrayIcon1->setToolTip(QStringLiteral("Vantora Lobby"));
}

QWidget *LobbyMainUi::buildOnlineIcons(QWidget *parent)
{
    auto *group = new QGroupBox(QStringLiteral("Your Online Icon"), parent);
    group->setObjectName(QStringLiteral("GroupBoxIcons"));
    auto *grid = new QGridLayout(group);
    grid->setSpacing(2);
    // Five to a row: the group stays narrow enough for the page.
    constexpr int IconColumns = 5;
    const auto &icons = ChatComposer::OnlineIcons();
    for (int i = 0; i < int(icons.size()); ++i) {
        const int index = icons[size_t(i)];
        auto *button = new QToolButton(group);
        button->setObjectName(QStringLiteral("OnlineIcon%1").arg(index));
        button->setIcon(LobbyIcons().value(index));
        button->setAutoRaise(true);
        grid->addWidget(button, i / IconColumns, i % IconColumns);
        OnlineIconButtons.append(button);
    }
    return group;
}
