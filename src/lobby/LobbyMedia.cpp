#include "LobbyMedia.h"

#include <QAction>
#include <QAudioOutput>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMediaPlayer>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTcpSocket>
#include <QToolButton>
#include <QVBoxLayout>
#include <QVideoWidget>
#include <QtEndian>

#include "AppInfo.h"
#include "BrowseRules.h"
#include "ByteText.h"
#include "ChatAnsi.h"
#include "ChatSession.h"
#include "FBVUMeter.h"
#include "LobbyMain.h"
#include "LobbySettings.h"
#include "LoginU.h"
#include "MediaChatHost.h"
#include "Platform.h"
#include "QtMediaPlayer.h"
#include "QtSoundInput.h"
#include "ScrollingBanner.h"
#include "Shape.h"
#include "SoundPlayer.h"
#include "StatusPanel.h"
#include "UserDialogs.h"

namespace {

const QColor LightGreen(128, 255, 128);

void paintBackground(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

QPushButton *pageButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

// The song list's two icons: offered, and asked for.
QIcon rowIcon(int icon)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(icon == 2 ? QColor(0, 200, 0) : QColor(40, 110, 220));
    p.drawEllipse(QRectF(3, 9, 6, 5));
    p.fillRect(QRectF(7.5, 2, 1.5, 9), p.brush());
    p.fillRect(QRectF(7.5, 2, 5, 1.5), p.brush());
    return QIcon(pixmap);
}

QString withSlash(QString folder)
{
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

} // namespace

TLobbyMedia::TLobbyMedia(TLobbyMainForm &form, MediaPlayer *player, SoundInput *input)
    : QObject(&form)
    , m_form(form)
{
    setObjectName(QStringLiteral("LobbyMedia"));
    if (!player) {
        m_ownPlayer = std::make_unique<QtMediaPlayer>();
        player = m_ownPlayer.get();
    }
    if (!input) {
        m_ownInput = std::make_unique<QtSoundInput>();
        input = m_ownInput.get();
    }
    Media = std::make_unique<TMediaManager>(*this, *player);
    Transfers = std::make_unique<TMediaTransfers>(*this, *Media);

    // 16-bit stereo at 10000 frames a second: 256 frames, about 26 ms, a buffer.
    AudioIn1 = std::make_unique<TAudioIn>(*input);
    AudioIn1->SetBufferSize(1024);
    AudioIn1->SetFrameRate(10000);
    AudioIn1->SetStereo(true);
    AudioIn1->SetQuantization(16);
    AudioIn1->SetNumBuffers(4);
    AudioIn1->OnBufferFilled = [this](const char *buffer, int size) {
        return AudioIn1BufferFilled(buffer, size);
    };
    AudioIn1->OnStop = [this] { m_form.FBVUMeter1->setLevels(0, 0); };

    buildMediaPage();
    buildVideoPage();
    buildBrowsePage();
    wireStrip();
    connect(m_form.PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == TLobbyMainForm::MediaManagerPage)
            MediaPageShown();
        else if (page == TLobbyMainForm::BrowsePage)
            Browse->Shown();
    });
    transferViewChanged();
}

TLobbyMedia::~TLobbyMedia()
{
    AudioIn1->OnStop = nullptr;
    AudioIn1->OnBufferFilled = nullptr;
    ChatSession &chat = m_form.chatSession();
    if (m_chatHost && chat.host() == m_chatHost.get())
        chat.setHost(m_previousChatHost);
    AudioIn1.reset();
    Transfers.reset();
    Media.reset();
}

// ---------------------------------------------------------------------------
// Pages

void TLobbyMedia::buildMediaPage()
{
    QWidget *page = m_form.PageControl1->widget(TLobbyMainForm::MediaManagerPage);
    auto *row = new QHBoxLayout(page);
    row->setContentsMargins(4, 4, 4, 4);

    auto *local = new QWidget(page);
    local->setObjectName(QStringLiteral("PlaylistColumn"));
    auto *left = new QVBoxLayout(local);
    left->setContentsMargins(0, 0, 0, 0);
    LocalMediaLabel = new QLabel(QStringLiteral("Local  Media"), local);
    LocalMediaLabel->setObjectName(QStringLiteral("LocalMediaLabel"));
    LocalMediaLabel->setToolTip(QStringLiteral("Click Here to Filter MP3, WAV, AVI,ASF,MPG"));
    LocalMediaLabel->setCursor(Qt::PointingHandCursor);
    LocalMediaLabel->installEventFilter(this);
    left->addWidget(LocalMediaLabel);

    auto *folderRow = new QHBoxLayout;
    Edit2 = new QLineEdit(local);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    btnBrowseFolder = pageButton(QStringLiteral("btnBrowseFolder"), QStringLiteral("Browse"), local);
    btnMyMusic = pageButton(QStringLiteral("btnMyMusic"), QStringLiteral("My Music"), local);
    btnNapster = pageButton(QStringLiteral("btnNapster"), QStringLiteral("Napster"), local);
    btnDefaultFolder = pageButton(QStringLiteral("btnDefaultFolder"), QStringLiteral("Default"), local);
    folderRow->addWidget(Edit2, 1);
    for (QPushButton *b : {btnBrowseFolder, btnMyMusic, btnNapster, btnDefaultFolder})
        folderRow->addWidget(b);
    left->addLayout(folderRow);

    Playlist = new QListWidget(local);
    Playlist->setObjectName(QStringLiteral("Playlist"));
    Playlist->setToolTip(QStringLiteral("Double Click to Play Item"));
    Playlist->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Playlist->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *checkAll = new QAction(QStringLiteral("Check ALL"), Playlist);
    auto *uncheckAll = new QAction(QStringLiteral("UnCheck All"), Playlist);
    auto *deleteItem = new QAction(QStringLiteral("Delete Highlighted"), Playlist);
    checkAll->setObjectName(QStringLiteral("CheckALL"));
    uncheckAll->setObjectName(QStringLiteral("UnCheckAll"));
    deleteItem->setObjectName(QStringLiteral("DeleteHighlighted"));
    Playlist->addActions({checkAll, uncheckAll, deleteItem});
    left->addWidget(Playlist, 1);

    auto *buttons = new QHBoxLayout;
    btnPlayChecked = pageButton(QStringLiteral("btnPlayChecked"), QStringLiteral(" Play Checked Items"), local);
    btnPlayNext = pageButton(QStringLiteral("btnPlayNext"), QStringLiteral("Play Next"), local);
    btnUpload = pageButton(QStringLiteral("btnUpload"), QStringLiteral("Upload Hilighted Item"), local);
    for (QPushButton *b : {btnPlayChecked, btnPlayNext, btnUpload})
        buttons->addWidget(b);
    left->addLayout(buttons);
    Gauge3 = new QProgressBar(local);
    Gauge3->setObjectName(QStringLiteral("Gauge3"));
    Gauge3->setToolTip(QStringLiteral("Upload Progress"));
    Gauge3->hide();
    left->addWidget(Gauge3);
    row->addWidget(local);

    auto *server = new QWidget(page);
    server->setObjectName(QStringLiteral("ServerColumn"));
    auto *right = new QVBoxLayout(server);
    right->setContentsMargins(0, 0, 0, 0);
    auto *serverRow = new QHBoxLayout;
    m_form.ComboBox2->setParent(server);
    m_form.ComboBox2->show();
    btnRefreshServer = pageButton(QStringLiteral("btnRefreshServer"), QStringLiteral("Refresh List"), server);
    serverRow->addWidget(m_form.ComboBox2, 1);
    serverRow->addWidget(btnRefreshServer);
    right->addLayout(serverRow);
    ListView1 = new QListWidget(server);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setToolTip(QStringLiteral("Double Click to Download Item"));
    right->addWidget(ListView1, 1);
    Label10 = new QLabel(server);
    Label10->setObjectName(QStringLiteral("Label10"));
    right->addWidget(Label10);
    row->addWidget(server, 1);

    connect(Edit2, &QLineEdit::returnPressed, this, [this] { SetMediaFolder(Edit2->text(), false); });
    connect(btnBrowseFolder, &QPushButton::clicked, this, &TLobbyMedia::browseForFolder);
    connect(btnMyMusic, &QPushButton::clicked, this, [this] {
        SetMediaFolder(QStandardPaths::writableLocation(QStandardPaths::MusicLocation), true);
    });
    auto napster = [this](const QString &sub) {
        SetMediaFolder(QDir::homePath() + QStringLiteral("/Napster/") + sub, true);
    };
    connect(btnNapster, &QPushButton::clicked, this, [napster] { napster(QStringLiteral("My Files")); });
    btnNapster->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *myFiles = new QAction(QStringLiteral("My Files"), btnNapster);
    auto *music = new QAction(QStringLiteral("Music"), btnNapster);
    connect(myFiles, &QAction::triggered, this, [napster] { napster(QStringLiteral("My Files")); });
    connect(music, &QAction::triggered, this, [napster] { napster(QStringLiteral("Music")); });
    btnNapster->addActions({myFiles, music});
    connect(btnDefaultFolder, &QPushButton::clicked, this, [this] {
        QDir().mkpath(TLogin::defaultMediaFolder());
        SetMediaFolder(TLogin::defaultMediaFolder(), true);
    });

    connect(Playlist, &QListWidget::itemChanged, this, &TLobbyMedia::playlistItemChanged);
    connect(Playlist, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        Media->PlayItem(item->text());
    });
    connect(checkAll, &QAction::triggered, this, [this] {
        Media->Playlist.CheckAll(true);
        fillPlaylistWidget();
        SavePlayList();
    });
    connect(uncheckAll, &QAction::triggered, this, [this] {
        Media->Playlist.CheckAll(false);
        fillPlaylistWidget();
        SavePlayList();
    });
    connect(deleteItem, &QAction::triggered, this, [this] {
        Media->Playlist.DeleteItem(firstHighlighted());
        fillPlaylistWidget();
    });
    connect(btnPlayChecked, &QPushButton::clicked, this, [this] { Media->PlayCheckedItems(); });
    connect(btnPlayNext, &QPushButton::clicked, this, [this] { Media->PlayNext(); });
    connect(btnUpload, &QPushButton::clicked, this, [this] {
        const int row = firstHighlighted();
        Transfers->Upload(row >= 0 ? Media->Playlist.Items.at(row).name : QString());
    });
    connect(btnRefreshServer, &QPushButton::clicked, this, [this] { Transfers->RefreshServerList(); });
    connect(m_form.ComboBox2, &QComboBox::activated, this, [this](int index) {
        Transfers->SelectFolder(m_form.ComboBox2->itemText(index));
    });
    connect(ListView1, &QListWidget::itemDoubleClicked, this, [this] {
        Transfers->DownloadOnRequest(ListView1->currentRow());
    });
}

void TLobbyMedia::buildVideoPage()
{
    QWidget *page = m_form.PageControl1->widget(TLobbyMainForm::VideoPage);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *address = new QHBoxLayout;
    MovieURL = new QLineEdit(page);
    MovieURL->setObjectName(QStringLiteral("MovieURL"));
    MovieURL->setPlaceholderText(QStringLiteral("Address of a stream or a video file"));
    btnLoad = pageButton(QStringLiteral("btnLoad"), QStringLiteral("Load"), page);
    address->addWidget(MovieURL, 1);
    address->addWidget(btnLoad);
    layout->addLayout(address);
    VideoView = new QVideoWidget(page);
    VideoView->setObjectName(QStringLiteral("VideoView"));
    layout->addWidget(VideoView, 1);
    connect(btnLoad, &QPushButton::clicked, this, &TLobbyMedia::LoadMovie);
    connect(MovieURL, &QLineEdit::returnPressed, this, &TLobbyMedia::LoadMovie);
}

void TLobbyMedia::buildBrowsePage()
{
    QWidget *page = m_form.PageControl1->widget(TLobbyMainForm::BrowsePage);
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    Browse = new TBrowsePage(*this, page);
    layout->addWidget(Browse);
}

void TLobbyMedia::LoadMovie()
{
    if (!m_video) {
        m_video = new QMediaPlayer(this);
        m_videoAudio = new QAudioOutput(this);
        m_video->setAudioOutput(m_videoAudio);
        m_video->setVideoOutput(VideoView);
        connect(m_video, &QMediaPlayer::mediaStatusChanged, this, [this](QMediaPlayer::MediaStatus s) {
            if (s == QMediaPlayer::EndOfMedia)
                m_form.CloseSlide();
        });
    }
    if (m_video->playbackState() == QMediaPlayer::PlayingState)
        m_video->stop();
    const QString address = MovieURL->text().trimmed();
    const QUrl url = QFileInfo(address).isAbsolute() ? QUrl::fromLocalFile(address)
                                                     : QUrl::fromUserInput(address);
    m_video->setSource(url);
    m_video->play();
}

void TLobbyMedia::MediaPageShown()
{
    FitColumns();
    if (m_serverListVisited || !Transfers->View.files.isEmpty())
        return;
    m_serverListVisited = true;
    Transfers->ResetFolders();
    Transfers->RefreshServerList(false);
}

void TLobbyMedia::FitColumns()
{
    QWidget *page = m_form.PageControl1->widget(TLobbyMainForm::MediaManagerPage);
    if (QWidget *column = page->findChild<QWidget *>(QStringLiteral("PlaylistColumn")))
        column->setFixedWidth(std::max(100, page->width() / 2 - 10));
}

// ---------------------------------------------------------------------------
// The media strip

void TLobbyMedia::wireStrip()
{
    TLobbyMainForm &f = m_form;
    connect(f.StopFTP, &QToolButton::clicked, this, [this] { Transfers->StopTransfer(); });
    connect(f.btnRefreshList, &QToolButton::clicked, this, &TLobbyMedia::RefillLocalFiles);
    connect(f.btnStopMedia, &QToolButton::clicked, this, [this] { Media->StopMediaPlayer(); });
    connect(f.btnPause, &QToolButton::clicked, this, [this] {
        m_form.btnPause->setToolTip(Media->PauseOrResume());
    });
    connect(f.btnMP3Only, &QToolButton::toggled, this, [this](bool on) {
        if (on)
            m_form.btnMIDOnly->setChecked(false);
        RefillLocalFiles();
    });
    connect(f.btnMIDOnly, &QToolButton::toggled, this, [this](bool on) {
        if (on)
            m_form.btnMP3Only->setChecked(false);
        RefillLocalFiles();
    });
    connect(f.btnPlay, &QToolButton::clicked, this, [this] {
        Media->PlaySelected(m_form.ComboBox1->count() ? m_form.ComboBox1->currentText() : QString());
    });
    f.ComboBox1->installEventFilter(this);
    connect(f.btnNextItem, &QToolButton::clicked, this, [this] { Media->PlayNext(); });
}

bool TLobbyMedia::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == LocalMediaLabel && event->type() == QEvent::MouseButtonRelease) {
        Media->Playlist.NextFilter();
        LocalMediaLabel->setText(Media->Playlist.FilterLabel());
        fillPlaylistWidget();
        return true;
    }
    if (watched == m_form.ComboBox1) {
        const bool enter = event->type() == QEvent::KeyPress
                           && (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Return
                               || static_cast<QKeyEvent *>(event)->key() == Qt::Key_Enter);
        if (enter || event->type() == QEvent::MouseButtonDblClick) {
            m_form.btnPlay->click();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Folder, local files and the play list

void TLobbyMedia::LoginDone()
{
    // The lobby's own media folder is made when first needed.
    ChatSession &chat = m_form.chatSession();
    if (QDir::cleanPath(chat.MediaFolder) == QDir::cleanPath(TLogin::defaultMediaFolder()))
        QDir().mkpath(TLogin::defaultMediaFolder());
    SetMediaFolder(chat.MediaFolder, true);
    if (!m_chatHost)
        m_chatHost = std::make_unique<MediaChatHost>(*Transfers, *Media);
    if (chat.host() != m_chatHost.get())
        m_previousChatHost = chat.setHost(m_chatHost.get());
}

void TLobbyMedia::SetMediaFolder(const QString &folder, bool refillLocal)
{
    const QString media = withSlash(QDir::fromNativeSeparators(folder.trimmed()));
    m_form.chatSession().MediaFolder = media;
    Media->Playlist.Folder = media;
    ReloadPlayList();
    if (refillLocal)
        RefillLocalFiles();
}

void TLobbyMedia::RefillLocalFiles()
{
    QComboBox *box = m_form.ComboBox1;
    box->clear();
    box->addItems(LocalMediaFiles(Media->Playlist.Folder, m_form.btnMP3Only->isChecked(),
                                  m_form.btnMIDOnly->isChecked()));
    box->setCurrentIndex(box->count() ? 0 : -1);
}

void TLobbyMedia::ReloadPlayList()
{
    Edit2->setText(Media->Playlist.Folder);
    Media->Playlist.Reload();
    fillPlaylistWidget();
}

void TLobbyMedia::SavePlayList()
{
    Media->Playlist.Save();
}

void TLobbyMedia::fillPlaylistWidget()
{
    m_filling = true;
    Playlist->clear();
    for (const TPlayList::Item &item : Media->Playlist.Items) {
        auto *row = new QListWidgetItem(item.name, Playlist);
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(item.checked ? Qt::Checked : Qt::Unchecked);
    }
    if (Playlist->count())
        Playlist->setCurrentRow(0);
    m_filling = false;
}

void TLobbyMedia::playlistItemChanged(QListWidgetItem *item)
{
    if (m_filling)
        return;
    const int row = Playlist->row(item);
    if (row < 0 || row >= Media->Playlist.Items.size())
        return;
    Media->Playlist.Items[row].checked = item->checkState() == Qt::Checked;
    SavePlayList();
}

int TLobbyMedia::firstHighlighted() const
{
    int first = -1;
    for (const QListWidgetItem *item : Playlist->selectedItems()) {
        const int row = Playlist->row(item);
        if (first < 0 || row < first)
            first = row;
    }
    return first;
}

void TLobbyMedia::browseForFolder()
{
    const QString file = QFileDialog::getOpenFileName(&m_form, QStringLiteral("Select a Music File"),
                                                      Edit2->text(),
                                                      QStringLiteral("Music Files (*.mp3)"));
    if (!file.isEmpty())
        SetMediaFolder(QFileInfo(file).absolutePath(), false);
}

void TLobbyMedia::IdleStep()
{
    if (m_form.Gauge1->isHidden())
        return;
    const int percent = Media->PlayProgress();
    if (percent >= 0 && percent != m_form.Gauge1->value())
        m_form.Gauge1->setValue(percent);
}

void TLobbyMedia::StopForClose()
{
    AudioIn1->StopAtOnce();
    Transfers->StopAll();
}

bool TLobbyMedia::AudioIn1BufferFilled(const char *buffer, int size)
{
    // Every second 16-bit word: those at 0, 8, 16 ... feed A, those at 4,
    // 12, 20 ... feed B. With stereo frames both are left-channel samples.
    int a = 0;
    int b = 0;
    for (int offset = 0; offset + 2 <= size; offset += 4) {
        const int word = qFromLittleEndian<qint16>(buffer + offset);
        int &peak = (offset % 8 == 0) ? a : b;
        peak = std::max(peak, word);
    }
    m_form.FBVUMeter1->setLevels(a / 32, b / 32);
    return true;
}

// ---------------------------------------------------------------------------
// What the media logic asks of the window

bool TLobbyMedia::soundOn() const { return m_form.SoundOn; }
bool TLobbyMedia::externalPlayer() const { return m_form.cbExternalMP3->isChecked(); }
bool TLobbyMedia::autoPlayDL() const { return m_form.AutoPlayDL->isChecked(); }
bool TLobbyMedia::enableFTP() const { return m_form.EnableFTP->isChecked(); }

void TLobbyMedia::sendChatText(const QByteArray &text)
{
    if (ChatSender) {
        ChatSender(text);
        return;
    }
    m_form.SendChatText(text);
}

void TLobbyMedia::showBanner(const QStringList &lines)
{
    m_form.Label4->stop();
    m_form.Label4->setLines(lines);
    m_form.Label4->start();
}

void TLobbyMedia::showPlaying(const QString &fileName)
{
    m_form.Shape5->setBrushColor(QColor(0, 255, 0));
    m_form.Gauge1->setToolTip(fileName);
    m_form.Gauge1->show();
}

void TLobbyMedia::resetProgress()
{
    m_form.Gauge1->setValue(0);
}

void TLobbyMedia::showIdle()
{
    m_form.Gauge1->hide();
    m_form.Shape5->setBrushColor(Qt::black);
    paintBackground(m_form.MediaStrip, Qt::black);
}

void TLobbyMedia::showPlayerRunning()
{
    paintBackground(m_form.MediaStrip, LightGreen);
}

QString TLobbyMedia::PlayableMovie(const QString &address, const QString &mediaFolder)
{
    const QString trimmed = address.trimmed();
    const QUrl url(trimmed, QUrl::StrictMode);
    static const QStringList streamed = {QStringLiteral("http"), QStringLiteral("https"),
                                         QStringLiteral("rtsp"), QStringLiteral("mms")};
    if (url.isValid() && streamed.contains(url.scheme().toLower()) && !url.host().isEmpty())
        return trimmed;
    if (!TDispAnsi::IsPlainFileName(ProtocolBytes(trimmed)) || trimmed.contains(QLatin1Char(':'))
        || mediaFolder.isEmpty())
        return {};
    return QDir(mediaFolder).filePath(trimmed);
}

void TLobbyMedia::openVideo(const QString &path)
{
    MovieURL->setText(path);
    auto load = [this] { LoadMovie(); };
    if (m_form.SlideIsOpen() && m_form.PageControl1->currentIndex() == TLobbyMainForm::VideoPage)
        load();
    else
        m_form.OpenSlide(TLobbyMainForm::VideoPage, load);
}

bool TLobbyMedia::openExternal(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void TLobbyMedia::playWave(const QString &path)
{
    Platform::sound().play(path);
}

void TLobbyMedia::message(const QString &text)
{
    UserDialogs::current().message(&m_form, ApplicationTitle(), text);
}

void TLobbyMedia::startMeter()
{
    // Already recording is fine: the error text says so and nothing changes.
    AudioIn1->Start();
}

void TLobbyMedia::stopMeter()
{
    AudioIn1->StopAtOnce();
}

QString TLobbyMedia::transferHost() const
{
    return TransferHostName(m_form.VTFTP->isChecked(), m_form.ComboBox3->currentText().trimmed());
}

int TLobbyMedia::ftpPort() const { return m_form.settings().ftpPort(); }
int TLobbyMedia::httpPort() const { return m_form.settings().httpPort(); }

void TLobbyMedia::setStatus(const QString &text)
{
    m_form.StatusPanel0->setPanelText(ProtocolBytes(text));
}

void TLobbyMedia::sendLamps()
{
    m_form.Shape2->setBrushColor(m_form.Shape1->brushColor());
    m_form.Shape1->setBrushColor(QColor(0, 255, 0));
}

void TLobbyMedia::receiveLamps()
{
    m_form.Shape1->setBrushColor(QColor(255, 255, 0));
    m_form.Shape2->setBrushColor(QColor(255, 0, 0));
}

void TLobbyMedia::blinkLamp(int percent)
{
    m_form.Shape3->setBrushColor(percent % 2 ? QColor(0, 255, 0) : QColor(0, 0, 255));
}

void TLobbyMedia::pressEnableFTP()
{
    m_form.EnableFTP->setChecked(true);
}

void TLobbyMedia::chatNote(const QString &text)
{
    m_form.ChatNote(text);
}

void TLobbyMedia::transferViewChanged()
{
    const TransferView &v = Transfers->View;
    TLobbyMainForm &f = m_form;
    f.Gauge2->setVisible(v.downloadVisible);
    f.Gauge2->setValue(v.downloadPercent);
    f.Gauge2->setToolTip(v.downloadHint);
    f.Label9->setText(v.label);
    f.Label9->setToolTip(v.labelHint);
    f.StopFTP->setEnabled(v.stopEnabled);
    Gauge3->setVisible(v.uploadVisible);
    Gauge3->setValue(v.uploadPercent);
    Gauge3->setToolTip(v.uploadHint.isEmpty() ? QStringLiteral("Upload Progress") : v.uploadHint);

    bool same = ListView1->count() == v.files.size();
    for (int i = 0; same && i < v.files.size(); ++i)
        same = ListView1->item(i)->text() == v.files[i].name;
    if (!same) {
        ListView1->clear();
        for (const ServerFile &file : v.files)
            new QListWidgetItem(file.name, ListView1);
    }
    for (int i = 0; i < v.files.size(); ++i) {
        QListWidgetItem *item = ListView1->item(i);
        if (item->data(Qt::UserRole).toInt() != v.files[i].icon) {
            item->setIcon(rowIcon(v.files[i].icon));
            item->setData(Qt::UserRole, v.files[i].icon);
        }
    }
    Label10->setText(v.filesListed);

    QStringList boxItems;
    for (int i = 0; i < f.ComboBox2->count(); ++i)
        boxItems << f.ComboBox2->itemText(i);
    if (boxItems != v.folders) {
        f.ComboBox2->clear();
        f.ComboBox2->addItems(v.folders);
    }
    f.ComboBox2->setCurrentIndex(std::max(0, int(v.folders.indexOf(v.folder))));
    ListView1->setCursor(v.listing ? Qt::WaitCursor : Qt::ArrowCursor);
}

// ---------------------------------------------------------------------------
// What the Browse page asks of the window

QString TLobbyMedia::homeAddress() const
{
    return BrowseRules::HomeAddress(transferHost(), httpPort());
}

void TLobbyMedia::lobbyLink(const QByteArray &link)
{
    m_form.Memo2LinkClick(link);
}

void TLobbyMedia::refuseAddress(const QString &address)
{
    m_form.LinkFailed(ProtocolBytes(address));
}

void TLobbyMedia::download(const QUrl &url, const QString &suggestedName)
{
    const QString name = BrowseRules::DownloadName(suggestedName);
    if (name.isEmpty()) {
        message(QStringLiteral("Sorry !  Unable to save ")
                + (suggestedName.isEmpty() ? url.toString() : suggestedName));
        return;
    }
    const QString refusal = Transfers->FetchFromPage(url, name);
    if (!refusal.isEmpty())
        message(refusal);
}
