#pragma once

// The sketch-and-guess game on the node client frame. One player at a time
// is the artist (the server switches the user into and out of that mode
// through the drawing stream) and draws with the mouse; the others type
// guesses, which every player sees in the guess list, and the artist marks
// them with hint icons. The server relays the artist's strokes and marks.
//
// Two engines:
//   screen data -> ScreenBuffer -> TLAnsi (drawing decoder) -> Image2
//     (the artist's own strokes are echoed into ScreenBuffer too)
//   guesses and hint marks from the chat -> TAnsi (the frame's engine,
//     font size 10, 25 rows) -> Image1, the guess list
// Score tables and round titles from the chat go to the score window.

#include <QByteArray>
#include <QCoreApplication>
#include <QList>

#include <memory>

#include "NodeClientFrame.h"
#include "StrokeRecorder.h"

class QButtonGroup;
class QLineEdit;
class QProgressBar;
class QToolButton;
class TLAnsi;
class TfrmDoodlixScore;

class TfrmDoodlixTable : public TNodeClientFrame
{
    Q_OBJECT
public:
    explicit TfrmDoodlixTable(const QStringList &arguments = QCoreApplication::arguments().mid(1),
                              QWidget *parent = nullptr);
    ~TfrmDoodlixTable() override;

    static NodeFrameOptions Options();

    // The colour codes of the artist's colour buttons, in their order; the
    // first is the eraser.
    static const QList<int> &ColourCodes();

    TLAnsi *drawingEngine() const { return m_drawing.get(); }
    TAnsi *guessEngine() const { return engine(); }
    bool isArtist() const;

    // The drawing state: presses, moves and releases on the drawing.
    StrokeRecorder Pen;
    // The guess-list row the artist last pressed.
    int GuessRow = 0;

    // ---- Handlers ----
    void Image2MouseDown(QPoint point, Qt::MouseButton button);
    void Image2MouseMove(QPoint point);
    void Image2MouseUp(QPoint point);
    void Image1MouseDown(QPoint point);
    void Image1MouseUp(QPoint point, Qt::MouseButton button);
    void ColourButtonClick(int code);
    void EraseAllClick();
    void Button1Click();   // "Submit"
    void Button2Click();   // "Ready"
    // Sends the hint mark with that icon for GuessRow (artist only).
    void SendHint(int iconCode);
    // The icon of the hint tool button that is down.
    int DownHintIcon() const;
    void ShowHideScoreClick();

    // Drawing decoder events.
    void ArtistChange(int artist);
    void StatusText(const QByteArray &text);
    void Gauge(int value);
    // Surface text on the drawing, in the drawing decoder's colours.
    void DrawSurfaceText(const TAnsiRect &rect, const QByteArray &text);

    // ---- Controls ----
    QWidget *Panel5 = nullptr;          // the top bar
    QToolButton *btnAway = nullptr;     // shows the Lock action
    QWidget *Panel1 = nullptr;          // the drawing and guess columns
    QLabel *Panel12 = nullptr;          // the caption above the drawing
    QToolBar *ToolBar2 = nullptr;       // the artist's tools
    QToolButton *EraseAll = nullptr;
    QList<QToolButton *> ColourButtons; // in the order of ColourCodes()
    QButtonGroup *ColourGroup = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QProgressBar *progressbar1 = nullptr;
    TSurfaceImage *Image3 = nullptr;
    TSurfaceImage *Image1 = nullptr;    // the guess list
    QToolBar *ToolBar3 = nullptr;       // the hint tools
    QToolButton *ToolButton4 = nullptr; // WayOff
    QToolButton *ToolButton5 = nullptr; // Colder
    QToolButton *ToolButton6 = nullptr; // Warmer
    QToolButton *ToolButton9 = nullptr; // Getting Hot
    QToolButton *ToolButton11 = nullptr; // Very Close
    QToolButton *ToolButton12 = nullptr; // Spelling
    QButtonGroup *HintGroup = nullptr;
    QMenu *PopupMenu3 = nullptr;        // the hint menu
    QAction *ShowHideScore1 = nullptr;
    TfrmDoodlixScore *Score = nullptr;
    bool hintMenuAttached() const { return m_hintMenuAttached; }

protected:
    void ConfigureEngine() override;
    void FeedEngine(const QByteArray &bytes) override;
    bool screenCommand(QByteArrayView text, MarkerSearch &search) override;
    bool chatCommand(QByteArrayView text, MarkerSearch &search) override;
    void SurfaceMouseDown(QPoint point, Qt::MouseButton button) override;
    void DrawListPicture(const TAnsiRect &rect, int picture) override;

private:
    void buildLayout();
    QWidget *buildDrawingColumn();
    QWidget *buildGuessColumn();
    void buildArtistTools();
    void buildHintTools();
    void createDrawingEngine();
    void setupGuessEngine();
    void WriteGuessList(const QByteArray &text);
    void ShowArtistControls(bool artist);

    std::unique_ptr<TLAnsi> m_drawing;
    // The word-value caption last handed on; the same again changes nothing.
    QByteArray m_wordCaption;
    bool m_hintMenuAttached = false;
};
