#include "LoginU.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScreen>

#include "IAeverButton.h"
#include "LobbySettings.h"
#include "PasswordVault.h"
#include "Platform.h"
#include "SettingsStore.h"
#include "SuitePictures.h"
#include "_Globals.h"

TLogin::TLogin(SettingsStore &user, const SettingsStore &machine, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowStaysOnTopHint)
    , m_user(user)
{
    setObjectName(QStringLiteral("Login"));
    setWindowTitle(QStringLiteral("Zorvan Clan Login"));
    setModal(true);
    setWindowModality(Qt::ApplicationModal);

    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);

    auto *nameLabel = new QLabel(QStringLiteral("Name:"), this);
    auto *passwordLabel = new QLabel(QStringLiteral("Password:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(MaxNameLength);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setMaxLength(MaxPasswordLength);
    Edit2->setEchoMode(QLineEdit::Password);
    // The password is shown as "*" whatever the desktop's style prefers.
    Edit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    CheckBox1 = new QCheckBox(QStringLiteral("Remember Password"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setChecked(true);

    btnOK = new TIAeverButton(QStringLiteral("btnOK"), QStringLiteral("OK"), this);
    btnOK->setFaceColor(QColor(0, 90, 0));
    btnOK->setMinimumSize(90, 30);
    IAeverButton1 = new TIAeverButton(QStringLiteral("IAeverButton1"), QStringLiteral("Cancel"),
                                      this);
    IAeverButton1->setFaceColor(QColor(120, 0, 0));
    IAeverButton1->setMinimumSize(90, 30);
    connect(btnOK, &QAbstractButton::clicked, this, &TLogin::btnOKClick);
    connect(IAeverButton1, &QAbstractButton::clicked, this, &TLogin::IAeverButton1Click);
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(24, 110, 24, 18);
    grid->addWidget(nameLabel, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(passwordLabel, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(CheckBox1, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(IAeverButton1);
    grid->addLayout(buttons, 3, 0, 1, 2);
    setFixedSize(340, 260);

    FormCreate(machine);
}

void TLogin::FormCreate(const SettingsStore &machine)
{
    LobbySettings settings(m_user);
    CheckBox1->setChecked(settings.remember());
    if (CheckBox1->isChecked()) {
        Edit1->setText(settings.userName());
        Edit2->setText(settings.password());
        MediaFolder = settings.mediaPath();
        // A password kept in the keyring fills the field when it arrives,
        // unless the user has typed one meanwhile.
        const QString filled = Edit2->text();
        QPointer<QLineEdit> field(Edit2);
        Platform::vault().read(settings.userName(),
                               [field, filled](PasswordVault::Answer answer, const QString &kept) {
                                   if (answer == PasswordVault::Answer::Done && field
                                       && field->text() == filled)
                                       field->setText(kept);
                               });
    }
    GameSoundFolder = machine.readString(gamePathKey(), defaultGameFolder());
    if (MediaFolder.isEmpty())
        MediaFolder = machine.readString(mediaPathKey(), defaultMediaFolder());
    MediaFolder += QLatin1Char('/');
    GameSoundFolder += QStringLiteral("/Sound/");
}

QString TLogin::gamePathKey()
{
    return QStringLiteral("Software/Microsoft/Microsoft Games/Age of Empires Expansion/1.0/EXE Path");
}

QString TLogin::mediaPathKey()
{
    return QStringLiteral("Software/Microsoft/Windows/CurrentVersion/MediaPath");
}

QString TLogin::defaultGameFolder()
{
    return WindowsFolder() + QStringLiteral("/Game");
}

QString TLogin::defaultMediaFolder()
{
    return WindowsFolder() + QStringLiteral("/Media");
}

QString TLogin::userName() const
{
    return Edit1->text();
}

QString TLogin::password() const
{
    return Edit2->text();
}

void TLogin::centreOnScreen()
{
    const QScreen *screen = parentWidget() ? parentWidget()->screen()
                                           : QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
}

void TLogin::btnOKClick()
{
    // Written whether or not "Remember Password" is checked: the box only
    // decides whether the next dialog fills the fields in.
    LobbySettings settings(m_user);
    settings.setUserName(Edit1->text());
    settings.setPassword(Edit2->text());
    settings.setRemember(CheckBox1->isChecked());
    settings.flush();
    // With a keyring that answers, the password lives there and leaves the
    // settings file; without one the file keeps it, readable by its owner only.
    SettingsStore *store = &m_user;
    // The store belongs to the lobby window, which outlives this dialog.
    QPointer<QObject> alive(parent() ? parent() : this);
    const QString written = Edit2->text();
    Platform::vault().write(Edit1->text(), written,
                            [store, alive, written](PasswordVault::Answer answer) {
                                if (answer != PasswordVault::Answer::Done || !alive)
                                    return;
                                LobbySettings kept(*store);
                                if (kept.password() == written) {
                                    kept.setPassword(QString());
                                    kept.flush();
                                }
                            });
    accept();
}

void TLogin::IAeverButton1Click()
{
    reject();
}

bool TLogin::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == Edit1 || watched == Edit2) && event->type() == QEvent::KeyRelease) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()
            && isVisible()) {
            btnOKClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TLogin::paintEvent(QPaintEvent *)
{
    // Black, with the suite's logo stretched across the top as the background.
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    const QImage logo = SuitePicture("BITMAPVT");
    if (!logo.isNull()) {
        QImage shown = logo.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = logo.pixel(5, 5);
        for (int y = 0; y < shown.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                if ((line[x] | 0xFF000000u) == (key | 0xFF000000u))
                    line[x] = qRgba(0, 0, 0, 0);
        }
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(QRect(10, 6, width() - 20, 96), shown);
    }
}
