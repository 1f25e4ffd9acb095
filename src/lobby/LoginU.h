#pragma once

// The login dialog: asks for the user name and password, remembers them in
// the user's settings, and works out the two folders the lobby needs from
// the stored and the machine-wide values.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class SettingsStore;
class TIAeverButton;

class TLogin : public QDialog
{
    Q_OBJECT
public:
    // `user` is the user's tree (read and written), `machine` the machine-wide
    // one (read only).
    TLogin(SettingsStore &user, const SettingsStore &machine, QWidget *parent = nullptr);

    QString userName() const;
    QString password() const;

    // The local media folder, ending in "/".
    QString MediaFolder;
    // The game's sound folder, ending in "/Sound/".
    QString GameSoundFolder;

    QLineEdit *Edit1 = nullptr;          // "Name:"
    QLineEdit *Edit2 = nullptr;          // "Password:"
    QCheckBox *CheckBox1 = nullptr;      // "Remember Password"
    TIAeverButton *btnOK = nullptr;
    TIAeverButton *IAeverButton1 = nullptr;  // "Cancel"

    static constexpr int MaxNameLength = 20;
    static constexpr int MaxPasswordLength = 10;

    // Machine-wide keys and the folders used when they are absent.
    static QString gamePathKey();
    static QString mediaPathKey();
    static QString defaultGameFolder();
    static QString defaultMediaFolder();

    // Centres the dialog on the screen it will show on.
    void centreOnScreen();

public slots:
    void btnOKClick();
    void IAeverButton1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormCreate(const SettingsStore &machine);

    SettingsStore &m_user;
};
