#include "ChatTranscript.h"

ChatTranscript::ChatTranscript()
{
    m_style.color = m_fontColor;
}

QByteArray ChatTranscript::plainText() const
{
    QByteArray text;
    for (const Run &run : m_runs)
        text += run.text;
    return text;
}

void ChatTranscript::insertText(const QByteArray &raw)
{
    const QByteArray text = UnifyLineBreaks(raw);
    if (text.isEmpty())
        return;
    if (!m_runs.isEmpty() && m_runs.last().style == m_style)
        m_runs.last().text += text;
    else
        m_runs.append({text, m_style});
    m_breaks += int(text.count('\n'));
    const qsizetype lastBreak = text.lastIndexOf('\n');
    m_column = lastBreak < 0 ? m_column + int(text.size()) : int(text.size() - lastBreak - 1);
}

int ChatTranscript::lineCount() const
{
    if (m_runs.isEmpty())
        return 0;
    const bool endsWithBreak = m_runs.last().text.endsWith('\n');
    return m_breaks + (endsWithBreak ? 0 : 1);
}

void ChatTranscript::deleteFirstLine()
{
    while (!m_runs.isEmpty()) {
        QByteArray &first = m_runs.first().text;
        const qsizetype lineBreak = first.indexOf('\n');
        if (lineBreak < 0) {
            m_runs.removeFirst();
            continue;
        }
        first.remove(0, lineBreak + 1);
        --m_breaks;
        if (first.isEmpty())
            m_runs.removeFirst();
        break;
    }
    recountColumn();
}

void ChatTranscript::recountColumn()
{
    int column = 0;
    for (auto it = m_runs.crbegin(); it != m_runs.crend(); ++it) {
        const qsizetype lineBreak = it->text.lastIndexOf('\n');
        if (lineBreak >= 0)
            return void(m_column = column + int(it->text.size() - lineBreak - 1));
        column += int(it->text.size());
    }
    m_column = column;
}

QDebug operator<<(QDebug debug, const ChatTranscript::Run &run)
{
    QDebugStateSaver saver(debug);
    debug.nospace() << run.text << ' ' << run.style;
    return debug;
}

char *toString(const ChatTranscript::Run &run)
{
    QString text;
    QDebug(&text) << run;
    return qstrdup(text.toUtf8().constData());
}
