#include "ChatSession.h"

#include <QFileInfo>

#include "ChatAnsi.h"
#include "ChatHost.h"
#include "_Globals.h"

namespace {

QString inFolder(const QString &folder, const QByteArray &fileName)
{
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path + QString::fromLatin1(fileName);
}

bool isFile(const QString &path)
{
    return QFileInfo(path).isFile();
}

bool isTauntNumber(const QByteArray &name)
{
    return name.size() <= 4 && LenientNumber(name) > 0;
}

} // namespace

ChatSession::ChatSession(ChatHost *host)
    : m_host(host)
{
}

ChatHost *ChatSession::setHost(ChatHost *host)
{
    ChatHost *previous = m_host;
    m_host = host;
    return previous;
}

void ChatSession::ForgetStatusPanel(const StatusPanelOutput *panel)
{
    if (panel && m_statusPanel == panel)
        m_statusPanel = nullptr;
}

TColor ChatSession::Contrast(TColor color) const
{
    if (color & 0x80000000u)   // system colours are drawn as they are
        return color;
    if (DarkView)
        return color == TColors::Black ? TColors::White : color;
    if (color == TColors::White)
        return TColors::Black;
    const int red = int(color & 0xFF) * 2 / 3;
    const int green = int((color >> 8) & 0xFF) * 2 / 3;
    const int blue = int((color >> 16) & 0xFF) * 2 / 3;
    return RGBToTColor(red, green, blue);
}

void ChatSession::ApplyCode(char code, ChatStyle &style) const
{
    switch (code) {
    case '1': style.color = Contrast(RGBToTColor(0xFF, 0xFF, 0xFF)); break; // white
    case '2': // the default colour, bold
        style.color = Contrast(DefColor);
        style.bold = true;
        break;
    case '3': style.color = Contrast(RGBToTColor(0x00, 0xFF, 0xFF)); break; // cyan
    case '4': style.color = Contrast(RGBToTColor(0xFF, 0x00, 0x00)); break; // red
    case '5': style.color = Contrast(RGBToTColor(0x00, 0xFF, 0x00)); break; // green
    case '6': style.color = Contrast(RGBToTColor(0xFF, 0x00, 0xFF)); break; // magenta
    case '7': style.color = Contrast(RGBToTColor(0x80, 0x80, 0xFF)); break; // lavender
    case '8': style.color = Contrast(RGBToTColor(0xFF, 0xFF, 0x00)); break; // yellow
    case '9': style.color = Contrast(RGBToTColor(0xC0, 0xC0, 0xC0)); break; // silver
    case 'A': style.color = Contrast(RGBToTColor(0xFF, 0x80, 0x40)); break; // orange
    case 'R': style.color = Contrast(RGBToTColor(0xFF, 0x77, 0x77)); break; // pink
    case 'B': style.bold = true; break;
    case 'I': style.italic = true; break;
    case 'U': style.underline = true; break;
    case 'b': style.bold = false; break;
    case 'i': style.italic = false; break;
    case 'u': style.underline = false; break;
    default: style.color = TColors::White; break; // unknown codes: white, as it is
    }
}

// TauntFolder + "Taunt" NNN ".wav"; empty when the name makes no plain file name.
QString ChatSession::tauntPath(const QByteArray &name) const
{
    const QByteArray fileName = "Taunt" + PadLeft(name, "0", 3) + ".wav";
    if (!TDispAnsi::IsPlainFileName(fileName))
        return {};
    return inFolder(TauntFolder, fileName);
}

bool ChatSession::playFile(const QString &path)
{
    return m_host && m_host->playFile(path);
}

// A file on disk that the chat named: the host takes it when it plays such
// files its own way (that counts as played), otherwise it is played as a file.
bool ChatSession::playOrHandOver(const QString &path)
{
    if (m_host && m_host->takeMedia(path))
        return true;
    return playFile(path);
}

bool ChatSession::ChatSound(const QByteArray &text)
{
    if (text.isEmpty() || text.size() >= SoundTextLimit)
        return false;
    const QByteArray name = TDispAnsi::ChatSoundName(text);
    if (isTauntNumber(name)) {
        const QString path = tauntPath(name);
        return !path.isEmpty() && isFile(path) && playFile(path);
    }
    if (text.contains('}')) {
        if (!TDispAnsi::IsPlainFileName(name))
            return false;
        const QString path = inFolder(MediaFolder, name);
        return isFile(path) && playOrHandOver(path);
    }
    if (name.startsWith('`')) {
        const QByteArray fileName = name.mid(1);
        if (!TDispAnsi::IsPlainFileName(fileName))
            return false;   // shown as text; nothing is played or fetched
        const QString path = inFolder(MediaFolder, fileName);
        if (isFile(path))
            return playOrHandOver(path);
        if (m_host)
            m_host->fetchMissingSound(fileName);
        return true;
    }
    return false;
}

bool ChatSession::IsChatSound(const QByteArray &text) const
{
    if (text.isEmpty() || text.size() > SoundTestLimit)
        return false;
    const QByteArray name = TDispAnsi::ChatSoundName(text);
    if (isTauntNumber(name)) {
        const QString path = tauntPath(name);
        return !path.isEmpty() && isFile(path);
    }
    if (!text.contains('}'))
        return name.startsWith('`') && TDispAnsi::IsPlainFileName(name.mid(1));
    return TDispAnsi::IsPlainFileName(name) && isFile(inFolder(MediaFolder, name));
}

void ChatSession::PlayEventSound(const QByteArray &label)
{
    if (m_host)
        m_host->playEventSound(label);
}

QString ChatSession::AppendToLog(const QByteArray &text)
{
    if (LogFileName.isEmpty() || text.isEmpty() || !m_host)
        return {};
    return m_host->appendToLog(LogFileName, text);
}
