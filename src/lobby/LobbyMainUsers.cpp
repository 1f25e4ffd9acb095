// The lobby window's user list: the header count, the hover tips and the
// right-click menu with its commands.

#include "LobbyMain.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>

#include "ByteText.h"
#include "ChatSession.h"
#include "ChatComposer.h"
#include "LobbyIcons.h"
#include "ProtocolMarkers.h"
#include "UserDialogs.h"
#include "UserListMenu.h"
#include "UserListView.h"

void TLobbyMainForm::WireUserList()
{
    Memo3->setImages(LobbyIcons());
    Memo3->setStateImages(LobbyStateIcons());
    Memo3->setSelectionBehavior(QAbstractItemView::SelectRows);
    Memo3->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Memo3->viewport()->setCursor(Qt::PointingHandCursor);
    Memo3->viewport()->installEventFilter(this);
    connect(Memo3, &TUserListView::rowsChanged, this, &TLobbyMainForm::Memo3Change);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Memo3->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Memo3, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu2Popup();
        if (!PopupMenu2->isEmpty())
            PopupMenu2->popup(Memo3->viewport()->mapToGlobal(pos));
    });
}

void TLobbyMainForm::Memo3Change()
{
    ReceiveLamps();
    PlayersCaption->setText(QStringLiteral(" %1 Online").arg(Memo3->rowCount()));
}

QString TLobbyMainForm::Memo3Hint(int row) const
{
    const QString rating = QStringLiteral("Rating = %1").arg(Memo3->rowData(row));
    return Away ? QStringLiteral("[Away]\n") + rating : rating;
}

QList<QByteArray> TLobbyMainForm::SelectedCaptions() const
{
    QList<QByteArray> captions;
    for (int row = 0; row < Memo3->rowCount(); ++row) {
        if (Memo3->topLevelItem(row)->isSelected())
            captions << Memo3->caption(row);
    }
    return captions;
}

int TLobbyMainForm::OwnRank() const
{
    QList<QByteArray> captions;
    for (int row = 0; row < Memo3->rowCount(); ++row)
        captions << Memo3->caption(row);
    return UserListMenu::OwnRank(captions, m_chatSession->UserName);
}

void TLobbyMainForm::PopupMenu2Popup()
{
    PopupMenu2->clear();
    QList<QByteArray> all;
    for (int row = 0; row < Memo3->rowCount(); ++row)
        all << Memo3->caption(row);
    const QList<UserMenuItem> items = UserListMenu::Items(
        SelectedCaptions(), all, m_chatSession->UserName, !Memo1->toPlainText().isEmpty());
    for (const UserMenuItem &item : items) {
        QAction *action = PopupMenu2->addAction(QString(item.caption).replace(QLatin1Char('&'),
                                                                              QLatin1String("&&")));
        connect(action, &QAction::triggered, this, [this, kind = item.kind] {
            // The selection at the moment of the click.
            const QList<QByteArray> selected = SelectedCaptions();
            if (selected.isEmpty()) {
                Memo1->setFocus();
                return;
            }
            const QByteArray &first = selected.constFirst();
            switch (kind) {
            case UserMenuItem::WhereIs:
                SendRaw(UserListMenu::WhereIsBytes(first));
                break;
            case UserMenuItem::Whisper:
                WhisperTo(selected, ChatComposer::MessageBytes(Memo1->toPlainText()));
                break;
            case UserMenuItem::Boot:
                SendRaw(UserListMenu::BootBytes(first));
                break;
            case UserMenuItem::CopyName:
                InsertIntoMessageBox(DisplayText(first) + QLatin1Char(' '));
                QGuiApplication::clipboard()->setText(DisplayText(first));
                break;
            case UserMenuItem::GreyBox: {
                QString text;
                if (UserDialogs::current().askText(
                        this, QStringLiteral("Enter Message To ") + DisplayText(first),
                        QStringLiteral("And You Say.."), &text))
                    SendRaw(UserListMenu::GreyNoteBytes(first, ProtocolBytes(text)));
                break;
            }
            }
        });
    }
}

void TLobbyMainForm::WhisperTo(QList<QByteArray> captions, const QByteArray &text)
{
    if (captions.isEmpty()) {
        Memo1->clear();
        return;
    }
    const QByteArray caption = captions.takeFirst();
    SendPrivateText(caption, text, [this, captions, text] { WhisperTo(captions, text); });
}
