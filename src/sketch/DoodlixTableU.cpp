#include "DoodlixTableU.h"

#include <QAction>
#include <QApplication>
#include <QBitmap>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Ansi.h"
#include "ByteText.h"
#include "DesktopEffects.h"
#include "DoodlixProtocol.h"
#include "DoodlixScore.h"
#include "HintIcons.h"
#include "Shape.h"
#include "SurfaceImage.h"
#include "uRichEditWithLinks.h"

namespace {

const QSize kDrawingSize(391, 265);
const QSize kSecondPictureSize(393, 250);
const QSize kGuessListSize(399, 365);
// The height the drawing and guess columns get above the chat.
constexpr int kGameAreaHeight = 400;
const QColor kLime(0, 255, 0);
const QColor kSilver(192, 192, 192);

struct HintTool
{
    QToolButton *TfrmDoodlixTable::*button;
    const char *name;
    const char *hint;      // the tool button's hint text
    const char *caption;   // the menu entry
    int icon;
};

// In this order the down button is looked for.
const HintTool kHintTools[] = {
    {&TfrmDoodlixTable::ToolButton4, "ToolButton4", "WayOff", "Way Off", HintIcons::WayOff},
    {&TfrmDoodlixTable::ToolButton5, "ToolButton5", "Colder", "Colder", HintIcons::Colder},
    {&TfrmDoodlixTable::ToolButton6, "ToolButton6", "Warmer", "Warmer", HintIcons::Warmer},
    {&TfrmDoodlixTable::ToolButton9, "ToolButton9", "Getting Hot", "Getting Hot",
     HintIcons::GettingHot},
    {&TfrmDoodlixTable::ToolButton11, "ToolButton11", "Very Close", "Very Close",
     HintIcons::VeryClose},
    {&TfrmDoodlixTable::ToolButton12, "ToolButton12", "Spelling", "Spelling", HintIcons::Spelling},
};

QIcon hintIcon(int code)
{
    return QIcon(QPixmap::fromImage(HintIcons::Icon(code)));
}

// A colour button's face: a square of the colour (the eraser gets a white
// band across it).
QIcon colourIcon(int code)
{
    QPixmap face(12, 12);
    face.fill(Qt::transparent);
    QPainter p(&face);
    p.setPen(QColor(60, 60, 60));
    p.setBrush(ToQColor(TLAnsi::ColorOf(code)));
    p.drawRect(QRect(0, 0, 11, 11));
    if (code == StrokeRecorder::EraserCode) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRect(2, 4, 8, 4));
    }
    p.end();
    return QIcon(face);
}

} // namespace

NodeFrameOptions TfrmDoodlixTable::Options()
{
    NodeFrameOptions options;
    options.programFile = QStringLiteral("Doodlixf");
    options.placementSection = QStringLiteral("Vantora Games");
    options.initialCaption = QStringLiteral("Vantora Games");
    options.windowClassName = QStringLiteral("TfrmDoodlixTable");
    options.windowSize = QSize(780, 620);
    options.surfaceSize = kDrawingSize;
    options.scrollRange = kDrawingSize;
    options.surfaceStart = kSilver;
    options.readsScaleLowRes = false;
    options.scrollerHeightChatShown = kGameAreaHeight;
    options.scrollerHeightChatHidden = kGameAreaHeight;
    return options;
}

const QList<int> &TfrmDoodlixTable::ColourCodes()
{
    static const QList<int> codes = {47, 31, 36, 33, 45, 34, 32, 41, 35, 30};
    return codes;
}

TfrmDoodlixTable::TfrmDoodlixTable(const QStringList &arguments, QWidget *parent)
    : TNodeClientFrame(Options(), arguments, parent)
{
    createDrawingEngine();
    buildLayout();
    setupGuessEngine();

    Pen.setDrawingSize(kDrawingSize);
    Pen.IsArtist = [this] { return isArtist(); };
    Pen.SendBytes = [this](const QByteArray &bytes) { Send(bytes); };
    Pen.EchoBytes = [this](const QByteArray &bytes) { QueueScreenBytes(bytes); };

    Score = new TfrmDoodlixScore(chatSession(), this);
    Score->BackgroundSource = [this] { return Memo5->palette().color(QPalette::Base); };

    ShowHideScore1 = PopupMenu2->addAction(QStringLiteral("Show-Hide Score"));
    ShowHideScore1->setObjectName(QStringLiteral("ShowHideScore1"));
    connect(ShowHideScore1, &QAction::triggered, this, &TfrmDoodlixTable::ShowHideScoreClick);

    // When the connection ends the top bar goes out with the lock. (The
    // frame cuts its own ties to the connection as it closes; this one is
    // the top bar's.)
    connect(clientSocket(), &QTcpSocket::disconnected, Panel5, [this] { Panel5->setEnabled(false); });

    // 10 below the top of the desktop, 20 from the left; wide enough for
    // both columns at their natural size.
    const QRect work = screen() ? screen()->availableGeometry() : QRect();
    move(work.left() + 20, work.top() + 10);
    resize(qMax(options().windowSize.width(), Panel1->minimumSizeHint().width() + 8),
           options().windowSize.height());

    // The guesser's layout to begin with.
    ArtistChange(0);
}

TfrmDoodlixTable::~TfrmDoodlixTable()
{
    // The connection may still report its end while the frame goes.
    clientSocket()->disconnect(Panel5);
    // The drawing decoder goes first; the frame's feeder no longer reaches it.
    m_drawing.reset();
}

bool TfrmDoodlixTable::isArtist() const
{
    return m_drawing && m_drawing->Artist() != 0;
}

// ---------------------------------------------------------------------------
// Start-up

void TfrmDoodlixTable::createDrawingEngine()
{
    m_drawing = std::make_unique<TLAnsi>();
    m_drawing->AttachSurface(&Image2->image());
    DesktopEffects::InstallBeep(*m_drawing);
    m_drawing->OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
        DrawSurfaceText(rect, text);
    };
    m_drawing->OnGauge = [this](int value) { Gauge(value); };
    m_drawing->OnStatusText = [this](const QByteArray &text) { StatusText(text); };
    m_drawing->OnArtistChange = [this](int artist) { ArtistChange(artist); };
}

void TfrmDoodlixTable::setupGuessEngine()
{
    // The frame's screen engine draws the guess list here.
    TAnsi *guess = guessEngine();
    guess->AttachSurface(&Image1->image());
    guess->SetFontSize(10);
    guess->SetRowCount(25);
    guess->OnSurfaceText = [this](const TAnsiRect &rect, const QByteArray &text) {
        DrawSurfaceText(rect, text);
    };
    guess->OnRefresh = [this] { Image1->repaintNow(); };
}

void TfrmDoodlixTable::buildLayout()
{
    // The frame's scrolling panel holds the two columns instead of its
    // surface; the surface (Image2) becomes the drawing in the first column.
    QWidget *oldBox = Scroller->takeWidget();
    oldBox->setParent(this);
    oldBox->hide();

    Panel1 = new QWidget;
    Panel1->setObjectName(QStringLiteral("Panel1"));
    // The scrolling panel is black; the columns take the usual window colours.
    QPalette plain = Panel1->palette();
    for (const QPalette::ColorRole role : {QPalette::Window, QPalette::WindowText, QPalette::Button,
                                           QPalette::ButtonText, QPalette::Base, QPalette::Text})
        plain.setColor(role, QApplication::palette().color(role));
    Panel1->setPalette(plain);
    Panel1->setAutoFillBackground(true);
    auto *columns = new QHBoxLayout(Panel1);
    columns->setContentsMargins(2, 2, 2, 0);
    columns->setSpacing(4);
    columns->addWidget(buildDrawingColumn());
    columns->addWidget(buildGuessColumn(), 0, Qt::AlignTop);
    columns->addStretch(1);
    Scroller->setWidget(Panel1);
    Scroller->setWidgetResizable(true);
    Scroller->setFrameShape(QFrame::NoFrame);

    // Below the columns: the chat, with the players column at its right.
    auto *outer = findChild<QSplitter *>(QStringLiteral("Splitter2"));
    QWidget *chatArea = Splitter1->widget(1);
    QWidget *playersColumn = outer ? outer->widget(1) : nullptr;
    auto *bottom = new QSplitter(Qt::Horizontal);
    bottom->setObjectName(QStringLiteral("Splitter3"));
    bottom->addWidget(chatArea);
    if (playersColumn)
        bottom->addWidget(playersColumn);
    bottom->setStretchFactor(0, 1);
    bottom->setStretchFactor(1, 0);
    Splitter1->addWidget(bottom);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setCollapsible(0, false);

    // The top bar: "Options", "Vote" and the lock; no "Show Chat".
    Panel5 = new QWidget(this);
    Panel5->setObjectName(QStringLiteral("Panel5"));
    auto *bar = new QHBoxLayout(Panel5);
    bar->setContentsMargins(2, 1, 2, 1);
    bar->addWidget(ToolBar1);
    bar->addStretch(1);
    for (QAction *action : ToolBar1->actions())
        if (ToolBar1->widgetForAction(action) == SpeedButton5)
            action->setVisible(false);
    btnAway = SpeedButton1;
    if (btnAway)
        btnAway->setObjectName(QStringLiteral("btnAway"));
    Lock->setText(QStringLiteral("&Lock"));
    setMenuWidget(Panel5);
}

QWidget *TfrmDoodlixTable::buildDrawingColumn()
{
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    Panel12 = new QLabel(QStringLiteral("Guess what it is.."), column);
    Panel12->setObjectName(QStringLiteral("Panel12"));
    Panel12->setFixedSize(kDrawingSize.width(), 26);
    Panel12->setFrameShape(QFrame::Panel);
    Panel12->setFrameShadow(QFrame::Raised);
    Panel12->setIndent(4);
    buildArtistTools();
    auto *captionRow = new QHBoxLayout(Panel12);
    captionRow->setContentsMargins(0, 0, 1, 0);
    captionRow->addStretch(1);
    captionRow->addWidget(ToolBar2);
    layout->addWidget(Panel12);

    Image2->setParent(column);
    Image2->setCursor(Qt::CrossCursor);
    layout->addWidget(Image2);
    connect(Image2, &TSurfaceImage::moved, this,
            [this](QPoint point, Qt::MouseButtons) { Image2MouseMove(point); });
    connect(Image2, &TSurfaceImage::released, this,
            [this](QPoint point, Qt::MouseButton) { Image2MouseUp(point); });

    auto *guessRow = new QHBoxLayout;
    guessRow->setSpacing(4);
    Label1 = new QLabel(QStringLiteral("Guess"), column);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = new QLineEdit(column);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    connect(Edit1, &QLineEdit::returnPressed, this, &TfrmDoodlixTable::Button1Click);
    Button1 = new QPushButton(QStringLiteral("Submit"), column);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TfrmDoodlixTable::Button1Click);
    Button2 = new QPushButton(QStringLiteral("Ready"), column);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, &TfrmDoodlixTable::Button2Click);
    guessRow->addWidget(Label1);
    guessRow->addWidget(Edit1, 1);
    guessRow->addWidget(Button1);
    guessRow->addWidget(Button2);
    layout->addLayout(guessRow);

    progressbar1 = new QProgressBar(column);
    progressbar1->setObjectName(QStringLiteral("progressbar1"));
    progressbar1->setRange(0, 100);
    progressbar1->setValue(100);
    progressbar1->setTextVisible(true);
    progressbar1->setFormat(QStringLiteral("%p%"));
    progressbar1->setAlignment(Qt::AlignCenter);
    progressbar1->setFixedSize(kDrawingSize.width(), 14);
    progressbar1->setStyleSheet(QStringLiteral(
        "QProgressBar { background: black; color: white; border: 1px solid #404040; }"
        "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
        " stop:0 rgb(255, 0, 0), stop:1 rgb(0, 128, 255)); }"));
    layout->addWidget(progressbar1);

    // The second picture only passes its mouse on to the drawing; it shows
    // as much of itself as the column has room for.
    Image3 = new TSurfaceImage(kSecondPictureSize, column);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->image().fill(QApplication::palette().color(QPalette::Window));
    Image3->setMinimumHeight(0);
    Image3->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    Image3->setCursor(Qt::CrossCursor);
    connect(Image3, &TSurfaceImage::pressed, this, &TfrmDoodlixTable::Image2MouseDown);
    connect(Image3, &TSurfaceImage::moved, this,
            [this](QPoint point, Qt::MouseButtons) { Image2MouseMove(point); });
    connect(Image3, &TSurfaceImage::released, this,
            [this](QPoint point, Qt::MouseButton) { Image2MouseUp(point); });
    layout->addWidget(Image3, 1);
    return column;
}

void TfrmDoodlixTable::buildArtistTools()
{
    ToolBar2 = new QToolBar(Panel12);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    ToolBar2->setIconSize(QSize(12, 12));
    ToolBar2->setContentsMargins(0, 0, 0, 0);
    // It covers the end of a long caption rather than mixing with it.
    ToolBar2->setAutoFillBackground(true);

    EraseAll = new QToolButton(ToolBar2);
    EraseAll->setObjectName(QStringLiteral("EraseAll"));
    EraseAll->setText(QStringLiteral("Erase All"));
    connect(EraseAll, &QToolButton::clicked, this, &TfrmDoodlixTable::EraseAllClick);
    ToolBar2->addWidget(EraseAll);

    ColourGroup = new QButtonGroup(this);
    ColourGroup->setExclusive(true);
    for (const int code : ColourCodes()) {
        auto *button = new QToolButton(ToolBar2);
        button->setObjectName(QStringLiteral("ColourButton%1").arg(code));
        button->setIcon(colourIcon(code));
        button->setCheckable(true);
        button->setToolTip(code == StrokeRecorder::EraserCode ? QStringLiteral("Eraser")
                                                              : QString());
        ColourGroup->addButton(button, code);
        ColourButtons.append(button);
        ToolBar2->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, code] { ColourButtonClick(code); });
    }
    ColourGroup->button(30)->setChecked(true);
}

QWidget *TfrmDoodlixTable::buildGuessColumn()
{
    auto *column = new QWidget;
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    Image1 = new TSurfaceImage(kGuessListSize, column);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(Image1);
    connect(Image1, &TSurfaceImage::pressed, this,
            [this](QPoint point, Qt::MouseButton) { Image1MouseDown(point); });
    connect(Image1, &TSurfaceImage::released, this, &TfrmDoodlixTable::Image1MouseUp);

    buildHintTools();
    layout->addWidget(ToolBar3);
    connect(Image1, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        if (m_hintMenuAttached)
            PopupMenu3->popup(Image1->mapToGlobal(pos));
    });
    return column;
}

void TfrmDoodlixTable::buildHintTools()
{
    ToolBar3 = new QToolBar;
    ToolBar3->setObjectName(QStringLiteral("ToolBar3"));
    ToolBar3->setIconSize(QSize(HintIcons::Size, HintIcons::Size));
    HintGroup = new QButtonGroup(this);
    HintGroup->setExclusive(true);
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    for (const HintTool &tool : kHintTools) {
        auto *button = new QToolButton(ToolBar3);
        button->setObjectName(QLatin1String(tool.name));
        button->setToolTip(QLatin1String(tool.hint));
        button->setIcon(hintIcon(tool.icon));
        button->setCheckable(true);
        HintGroup->addButton(button, tool.icon);
        ToolBar3->addWidget(button);
        this->*tool.button = button;

        QAction *entry = PopupMenu3->addAction(hintIcon(tool.icon), QLatin1String(tool.caption));
        entry->setObjectName(QString::fromLatin1(tool.hint).remove(QLatin1Char(' ')) + QLatin1String("1"));
        const int icon = tool.icon;
        connect(entry, &QAction::triggered, this, [this, icon] { SendHint(icon); });
    }
    ToolButton4->setChecked(true);
}

// ---------------------------------------------------------------------------
// Engines

void TfrmDoodlixTable::ConfigureEngine()
{
    TAnsi *guess = guessEngine();
    guess->SetFontSize(10);
    guess->SetRowCount(25);
    // Plain attributes and an empty guess list.
    guess->Write("\x1b[0m\x1b[2J");
    Image1->update();
    if (AnsiCanvas *canvas = m_drawing->Surface()) {
        QPen pen = canvas->pen();
        pen.setColor(Qt::black);
        canvas->setPen(pen);
    }
}

void TfrmDoodlixTable::FeedEngine(const QByteArray &bytes)
{
    // The drawing decoder takes the screen data; the guess list gets only
    // what the chat hands it.
    if (m_drawing && !Closing())
        m_drawing->Write(bytes);
}

void TfrmDoodlixTable::WriteGuessList(const QByteArray &text)
{
    guessEngine()->Write(text);
    Image1->update();
}

void TfrmDoodlixTable::DrawListPicture(const TAnsiRect &rect, int picture)
{
    const QImage icon = HintIcons::Icon(picture);
    if (icon.isNull())
        return;
    // The colour of the icon's pixel (1, 1) is left out.
    QPixmap keyed = QPixmap::fromImage(icon);
    keyed.setMask(QBitmap::fromImage(icon.createMaskFromColor(icon.pixel(1, 1), Qt::MaskInColor)));
    QPainter p(&Image1->image());
    p.drawPixmap(QPoint(rect.Left, rect.Top), keyed);
    p.end();
    Image1->update();
}

void TfrmDoodlixTable::DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text)
{
    // The size test reads the guess list's font size (10): sizes are used
    // as given.
    PaintSurfaceText(m_drawing->Surface(), rect, text, guessEngine()->FontSize() > 9,
                     &TLAnsi::ColorOf);
}

// ---------------------------------------------------------------------------
// What the server sends

bool TfrmDoodlixTable::screenCommand(QByteArrayView text, MarkerSearch &search)
{
    // Asked again at every line of a chunk while the word value lies ahead.
    const auto caption = Doodlix::WordValueCaption(text, search);
    if (caption && *caption != m_wordCaption) {
        m_wordCaption = *caption;
        post([this, shown = DisplayText(*caption)] { Panel12->setText(shown); });
    }
    return false;   // the text goes on to the drawing as usual
}

bool TfrmDoodlixTable::chatCommand(QByteArrayView text, MarkerSearch &search)
{
    const auto actions = Doodlix::ChatCommand(text, search);
    if (!actions)
        return false;
    for (const Doodlix::ChatAction &action : *actions) {
        switch (action.kind) {
        case Doodlix::ChatAction::Dispatch:
            dispatch(action.bytes);
            break;
        case Doodlix::ChatAction::GuessList:
            post([this, bytes = action.bytes] { WriteGuessList(bytes); });
            break;
        case Doodlix::ChatAction::ScoreTable:
            post([this, bytes = action.bytes] { Score->ShowScoreTable(bytes); });
            break;
        case Doodlix::ChatAction::RoundTitle:
            post([this, bytes = action.bytes] { Score->SetRoundTitle(bytes); });
            break;
        case Doodlix::ChatAction::ResetCaption:
            m_wordCaption.clear();
            post([this] { Panel12->setText(DisplayText(Doodlix::DrawingCaption)); });
            break;
        }
    }
    return true;
}

void TfrmDoodlixTable::ArtistChange(int artist)
{
    ShowArtistControls(artist != 0);
    ToolBar3->setEnabled(artist != 0);
    m_hintMenuAttached = artist != 0;
}

void TfrmDoodlixTable::ShowArtistControls(bool artist)
{
    Edit1->setVisible(!artist);
    Button1->setVisible(!artist);
    Button2->setVisible(artist);
    Label1->setText(artist ? QStringLiteral("You Are the Artist") : QStringLiteral("Guess"));
    ToolBar2->setVisible(artist);
}

void TfrmDoodlixTable::StatusText(const QByteArray &text)
{
    const Doodlix::StatusDecision decision = Doodlix::StatusText(text);
    switch (decision.kind) {
    case Doodlix::StatusDecision::Nothing:
        break;
    case Doodlix::StatusDecision::ReadyCaption:
        Button2->setText(DisplayText(text));
        if (decision.artistControls)
            ShowArtistControls(true);
        break;
    case Doodlix::StatusDecision::GuessLabel:
        Label1->setText(DisplayText(text));
        break;
    }
}

void TfrmDoodlixTable::Gauge(int value)
{
    progressbar1->setValue(qBound(0, value, 100));
    progressbar1->update();
}

// ---------------------------------------------------------------------------
// The drawing

void TfrmDoodlixTable::SurfaceMouseDown(QPoint point, Qt::MouseButton button)
{
    Image2MouseDown(point, button);
}

void TfrmDoodlixTable::Image2MouseDown(QPoint point, Qt::MouseButton button)
{
    Pen.Press(point.x(), point.y(), button == Qt::RightButton);
    Shape1->setBrushColor(kLime);
}

void TfrmDoodlixTable::Image2MouseMove(QPoint point)
{
    Pen.Move(point.x(), point.y());
}

void TfrmDoodlixTable::Image2MouseUp(QPoint point)
{
    Pen.Release(point.x(), point.y());
}

void TfrmDoodlixTable::ColourButtonClick(int code)
{
    if (AnsiCanvas *canvas = m_drawing->Surface()) {
        QPen pen = canvas->pen();
        pen.setColor(ToQColor(TLAnsi::ColorOf(code)));
        canvas->setPen(pen);
    }
    Pen.ChooseColour(code);
}

void TfrmDoodlixTable::EraseAllClick()
{
    Pen.EraseAll();
}

// ---------------------------------------------------------------------------
// Guesses and hints

void TfrmDoodlixTable::Button1Click()
{
    const QString guess = Edit1->text();
    if (guess.isEmpty())
        return;
    Send(Doodlix::GuessMessage(ProtocolBytes(guess)));
    Edit1->clear();
    Edit1->setFocus();
}

void TfrmDoodlixTable::Button2Click()
{
    Send(Doodlix::ReadyMessage(session().UserName));
    if (Button2->text() != QLatin1String("Ready"))
        Button2->setText(QStringLiteral("Ready"));
}

void TfrmDoodlixTable::Image1MouseDown(QPoint point)
{
    GuessRow = Doodlix::GuessRowAt(point.y(), guessEngine()->FontSize());
}

void TfrmDoodlixTable::Image1MouseUp(QPoint, Qt::MouseButton button)
{
    if (button == Qt::LeftButton && isArtist())
        SendHint(DownHintIcon());
}

int TfrmDoodlixTable::DownHintIcon() const
{
    for (const HintTool &tool : kHintTools)
        if ((this->*tool.button)->isChecked())
            return tool.icon;
    return HintIcons::WayOff;
}

void TfrmDoodlixTable::SendHint(int iconCode)
{
    if (isArtist())
        Send(Doodlix::HintMessage(GuessRow, iconCode));
}

void TfrmDoodlixTable::ShowHideScoreClick()
{
    Score->ShowHide();
}
