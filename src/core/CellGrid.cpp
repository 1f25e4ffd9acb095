#include "CellGrid.h"

void CellGrid::clear()
{
    m_cells = {};
}

void CellGrid::scrollUp(int rowCount)
{
    const int last = qBound(0, rowCount, Rows - 1);
    for (int i = 0; i < last; ++i)
        m_cells[i] = m_cells[i + 1];
}
