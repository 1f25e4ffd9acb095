#include "LastTrickRecord.h"

bool LastTrickRecord::CardPlayed(int top, int code)
{
    if (top >= TopLimit)
        return false;
    m_codes.append(code);
    if (m_codes.size() > MaxCards)
        m_codes.remove(0, 4);
    return true;
}

void LastTrickRecord::TrickCleared()
{
    if (m_codes.size() != 4)
        m_codes.clear();
}

QList<int> LastTrickRecord::shownCodes() const
{
    if (m_codes.size() < 4)
        return {0, 0, 0, 0};
    return m_codes.mid(0, 4);
}
