// The lobby window's chat console: the message box and "  Send", the quick
// buttons, presence, the style buttons and the colour box, the online
// icons and the appearance preferences.

#include "LobbyMain.h"

#include <QAction>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextBlock>
#include <QTime>
#include <QToolButton>

#include "ByteText.h"
#include "Cp1252.h"
#include "ChatSession.h"
#include "ChatComposer.h"
#include "LobbyIcons.h"
#include "LobbySettings.h"
#include "UserDialogs.h"
#include "UserListView.h"
#include "Waits.h"

namespace {

// Qt reads "&" in an action's text as a shortcut mark.
QString MenuText(const QString &text)
{
    QString shown = text;
    return shown.replace(QLatin1Char('&'), QLatin1String("&&"));
}

void SetBase(QWidget *w, const QColor &color)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

void TLobbyMainForm::WireConsole()
{
    Memo1->installEventFilter(this);
    connect(SendButton, &QPushButton::clicked, this, &TLobbyMainForm::SendButtonClick);
    connect(btnMyTime, &QPushButton::clicked, this, &TLobbyMainForm::btnMyTimeClick);
    connect(btnCry, &QPushButton::clicked, this, &TLobbyMainForm::btnCryClick);
    connect(btnInsert, &QPushButton::clicked, this, &TLobbyMainForm::btnInsertClick);

    InsertMenu = new QMenu(this);
    InsertMenu->setObjectName(QStringLiteral("InsertMenu"));
    btnInsert->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(btnInsert, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        InsertMenuPopup();
        if (!InsertMenu->isEmpty())
            InsertMenu->popup(btnInsert->mapToGlobal(pos));
    });
    connect(InsertMenu, &QMenu::triggered, this,
            [this](QAction *action) { InsertIntoMessageBox(action->data().toString()); });

    connect(SpeedButtonB, &QToolButton::clicked, this, &TLobbyMainForm::SpeedButtonBClick);
    connect(SpeedButtonI, &QToolButton::clicked, this, &TLobbyMainForm::SpeedButtonIClick);
    connect(cbxFontNames, &QComboBox::textActivated, this, &TLobbyMainForm::cbxFontNamesChange);
    connect(SpinEdit1, &QSpinBox::valueChanged, this, &TLobbyMainForm::SpinEdit1Change);
    connect(btnWindowColor, &QPushButton::clicked, this, &TLobbyMainForm::btnWindowColorClick);
    connect(btnDefaultTextColor, &QPushButton::clicked, this,
            &TLobbyMainForm::btnDefaultTextColorClick);
    // The colour box also takes effect when it loses the focus.
    cbxC->installEventFilter(this);

    btnAway->setEnabled(!Away);
    btnHere->setEnabled(Away);
}

bool TLobbyMainForm::OnlineEventFilter(QObject *watched, QEvent *event)
{
    if (watched == Memo1) {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                SendMessage(true);
                return true;
            }
            SendLamps();
            if (Away && !key->text().isEmpty())
                ImHere();
        } else if (event->type() == QEvent::FocusIn) {
            // Coming back from a menu or from another program is not entering the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                MessageBoxEnter();
        }
        return false;
    }
    if (watched == cbxC && event->type() == QEvent::FocusOut) {
        SetATColorFromBox();
        return false;
    }
    if (watched == Panel6 && event->type() == QEvent::MouseButtonRelease) {
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            Panel6Click();
        return false;
    }
    if (Memo3 && watched == Memo3->viewport() && event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        // The tip depends on the lobby's own presence: made at the moment it shows.
        if (QTreeWidgetItem *item = Memo3->itemAt(help->pos()))
            item->setToolTip(0, Memo3Hint(Memo3->indexOfTopLevelItem(item)));
        return false;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Sending

void TLobbyMainForm::SendChatText(const QByteArray &text)
{
    SendRaw(ChatComposer::Prefix(ATColor, ATStyle, SpeedButtonA->isChecked(),
                                 m_chatSession->DefaultFontName)
            + text);
}

void TLobbyMainForm::SendPrivateText(const QByteArray &name, const QByteArray &text,
                                     std::function<void()> done)
{
    SendRaw(ChatComposer::PrivateText(
        name, ChatComposer::Prefix(ATColor, ATStyle, SpeedButtonA->isChecked(), m_chatSession->DefaultFontName),
        text));
    Waits::after(200, this, [done] {
        if (done)
            done();
    });
}

void TLobbyMainForm::SetAway(bool away)
{
    if (away != Away) {
        // Set before the wait, so each change is announced once.
        Away = away;
        SendRaw(ChatComposer::Presence(away));
        Waits::after(100, this, [this, away] { SendChatText(ChatComposer::PresenceText(away)); });
    }
    btnAway->setEnabled(!Away);
    btnHere->setEnabled(Away);
}

void TLobbyMainForm::SendButtonClick()
{
    SendMessage(false);
}

void TLobbyMainForm::SendMessage(bool returnKey)
{
    SendLamps();
    const QString text = ChatComposer::WithoutLeadingEmptyLines(Memo1->toPlainText());
    if (!text.isEmpty())
        SendChatText(ChatComposer::MessageBytes(text));
    // The button obeys the sound commands only on the games page.
    if (returnKey || PageControl1->currentIndex() == GamesPage) {
        if (text == QLatin1String("!mute"))
            SpeedButton5->setChecked(false);
        else if (text == QLatin1String("!nomute"))
            SpeedButton5->setChecked(true);
    }
    Memo1->clear();
}

void TLobbyMainForm::MessageBoxEnter()
{
    Memo1->selectAll();
    if (Memo1->document()->firstBlock().text() == QLatin1String("Type Your Message Here"))
        Memo1->clear();
    if (!m_chatSession->UserName.isEmpty())
        btnReconnect->setEnabled(true);
    ShowChatView(true);
}

void TLobbyMainForm::InsertIntoMessageBox(const QString &text)
{
    QTextCursor cursor = Memo1->textCursor();
    cursor.insertText(text);
    Memo1->setTextCursor(cursor);
}

// ---------------------------------------------------------------------------
// Quick buttons

void TLobbyMainForm::btnMyTimeClick()
{
    SendChatText("The Time here is "
                 + ProtocolBytes(QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat))
                 + ' ');
    Memo1->setFocus();
}

void TLobbyMainForm::btnCryClick()
{
    if (!Edit1->text().isEmpty())
        SendChatText(ChatBytes(Edit1->text()));
}

void TLobbyMainForm::btnInsertClick()
{
    const QList<QByteArray> selected = SelectedCaptions();
    if (!selected.isEmpty())
        InsertIntoMessageBox(DisplayText(selected.constFirst()));
    else
        InsertMenuPopup();
}

void TLobbyMainForm::InsertMenuPopup()
{
    // Without users the menu stays as it was.
    if (Memo3->rowCount() == 0)
        return;
    QList<QByteArray> captions;
    for (int row = 0; row < Memo3->rowCount(); ++row)
        captions << Memo3->caption(row);
    InsertMenu->clear();
    for (const QString &item : ChatComposer::InsertMenuItems(captions)) {
        // The code start shows as a word: ESC has no glyph.
        const QString shown = item == QLatin1String("\033[") ? QStringLiteral("ESC [") : item;
        QAction *action = InsertMenu->addAction(MenuText(shown));
        action->setData(item);
    }
}

void TLobbyMainForm::OnlineIconClick(int index)
{
    SendRaw(ChatComposer::IconChoice(index));
    CloseSlide();
}

// ---------------------------------------------------------------------------
// Style and colour

void TLobbyMainForm::SpeedButtonBClick()
{
    SetATStyle(ChatComposer::ToggleStyle(ATStyle, ChatComposer::BoldCode, SpeedButtonB->isChecked()));
}

void TLobbyMainForm::SpeedButtonIClick()
{
    SetATStyle(
        ChatComposer::ToggleStyle(ATStyle, ChatComposer::ItalicCode, SpeedButtonI->isChecked()));
}

// ---------------------------------------------------------------------------
// Appearance

void TLobbyMainForm::cbxFontNamesChange()
{
    SetChatFontName(cbxFontNames->currentText());
    QFont font = Edit5->font();
    font.setFamily(ChatFontName());
    Edit5->setFont(font);
    ApplyAppearance();
}

void TLobbyMainForm::SpinEdit1Change()
{
    SetChatFontSize(SpinEdit1->value());
    QFont font = Edit5->font();
    font.setPointSize(SpinEdit1->value());
    Edit5->setFont(font);
    if (Activated)
        ApplyAppearance();
}

void TLobbyMainForm::btnWindowColorClick()
{
    QColor color = Edit5->palette().color(QPalette::Base);
    if (!UserDialogs::current().chooseColor(this, QStringLiteral("Select Window Color"), &color))
        return;
    SetBase(Memo1, color);
    SetBase(Edit5, color);
    ApplyAppearance();
    DarkTest(FromQColor(color));
    settings().setWinColor(FromQColor(color));
    settings().flush();
}

void TLobbyMainForm::btnDefaultTextColorClick()
{
    QColor color = ToQColor(DefaultTextColor());
    if (!UserDialogs::current().chooseColor(this, QStringLiteral("Select Default Text Color"),
                                            &color))
        return;
    const TColor window = FromQColor(Edit5->palette().color(QPalette::Base));
    TColor chosen = FromQColor(color);
    if (chosen == window) {
        chosen = m_chatSession->Contrast(chosen);
        // On a dark window other than black the contrast colour is the
        // colour itself; the text would not show at all.
        if (chosen == window)
            chosen = m_chatSession->DarkView ? TColors::White : TColors::Black;
    }
    SetDefaultTextColor(chosen);
    ApplyAppearance();
    settings().setDefColor(chosen);
    settings().flush();
}
