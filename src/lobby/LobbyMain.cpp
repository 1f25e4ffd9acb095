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
#include <QSplitter>
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
#include "ChatComposer.h"
#include "ChatSession.h"
#include "EventScheme.h"
#include "GameMenuFrame.h"
#include "EventSounds.h"
#include "FBVUMeter.h"
#include "LobbyConnection.h"
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
#include "SlidePanel.h"
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

// The banner moves one step per tick; the timer only runs while the window shows.
constexpr int BannerTickMs = 50;

const char *const VersionCaption = "Vantora Lobby   Ver.6.11";

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
    m_slide->stop();
    WriteSettings();
    PlayEventSound("AppClose");
    // The window is going: no disconnect notice any more, nothing queued shown.
    m_connection->stop();
    // The sound scheme goes before the store it reads.
    m_sounds.reset();
}

// ---------------------------------------------------------------------------
// Window regions

void TLobbyMainForm::buildWindow()
{
    setupUi(this);
    buildConnection();

    m_idleTimer.setInterval(BannerTickMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &TLobbyMainForm::IdleStep);
    m_slide = new SlidePanel(TopSplitter, TopView, PanelSlide, ChatPanel, this);
    WireWindow();
}

void TLobbyMainForm::WireWindow()
{
    for (const auto &[button, page] : PageButtons)
        connect(button, &QPushButton::clicked, this, [this, page = page] { PageButtonClick(page); });

    connect(btnApply, &QPushButton::clicked, this, &TLobbyMainForm::btnApplyClick);
    connect(btnDefaults, &QPushButton::clicked, this, &TLobbyMainForm::btnDefaultsClick);
    // Any edit of the server name or channel drops the connection at once.
    connect(ComboBox3, &QComboBox::editTextChanged, this, [this] { DeactivateConnection(); });
    connect(SpinEdit2, &QSpinBox::valueChanged, this, [this] { DeactivateConnection(); });
    ComboBox3->installEventFilter(this);
    if (ComboBox3->lineEdit())
        ComboBox3->lineEdit()->installEventFilter(this);
    SpinEdit2->installEventFilter(this);
    for (QCheckBox *box : {cbFastConnection, cbScaleLowRes, cbExternalMP3, VTFTP})
        connect(box, &QCheckBox::clicked, this, &TLobbyMainForm::OptionBoxClick);
    connect(Supress, &QCheckBox::clicked, this, &TLobbyMainForm::SupressClick);
    const auto &icons = ChatComposer::OnlineIcons();
    for (int i = 0; i < int(OnlineIconButtons.size()); ++i)
        connect(OnlineIconButtons[i], &QToolButton::clicked, this,
                [this, index = icons[size_t(i)]] { OnlineIconClick(index); });

    connect(btnReconnect, &QPushButton::clicked, this, &TLobbyMainForm::btnReconnectClick);
    connect(btnHide, &QPushButton::clicked, this, &TLobbyMainForm::btnHideClick);
    connect(btnClose, &QPushButton::clicked, this, &TLobbyMainForm::btnCloseClick);
    connect(btnAway, &QPushButton::clicked, this, &TLobbyMainForm::ImAway);
    connect(btnHere, &QPushButton::clicked, this, &TLobbyMainForm::ImHere);

    connect(SpeedButton5, &QToolButton::toggled, this, [this](bool on) {
        SoundOn = on;
        ChatRenderer->SoundsOn = on;
    });
    connect(cbxC, &QComboBox::activated, this, [this] { SetATColorFromBox(); });

    connect(TrayIcon1, &TTrayIcon::showRequested, this, &TLobbyMainForm::ShowFromTray);
    connect(TrayIcon1, &TTrayIcon::exitRequested, this, &TLobbyMainForm::ExitFromTray);
}


// ---------------------------------------------------------------------------
// Creation and settings

void TLobbyMainForm::FormCreate(const LobbyStartup &startup)
{
    PageControl1->setCurrentIndex(GamesPage);
    m_slide->holdClosed();
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
    return m_connection && m_connection->active();
}

void TLobbyMainForm::DeactivateConnection()
{
    if (m_connection)
        m_connection->deactivate();
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
    return m_slide->isOpen();
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
    m_slide->open(page == PreferencesPage ? SlidePanel::Kind::Preferences : SlidePanel::Kind::Page,
                  [this, done = std::move(done)] {
                      Memo2->verticalScrollBar()->setValue(Memo2->verticalScrollBar()->maximum());
                      if (done)
                          done();
                  });
}

void TLobbyMainForm::CloseSlide(std::function<void()> done)
{
    // Only the menu of a showing page stays connected.
    CloseMenus();
    PageControl1->setCurrentIndex(GamesPage);
    m_slide->close([this, done = std::move(done)] {
        Memo2->verticalScrollBar()->setValue(Memo2->verticalScrollBar()->maximum());
        if (done)
            done();
    });
}

bool TLobbyMainForm::SlideMoving() const
{
    return m_slide->moving();
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
    Label4->setFixedWidth(std::max(1, BannerPanel->width() - 5));
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
