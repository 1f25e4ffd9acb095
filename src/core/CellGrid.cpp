#include "CellGrid.h"

ScreenCell CellGrid::at(int column, int row) const
{
    return contains(column, row) ? m_cells[row][column] : ScreenCell();
}

void CellGrid::set(int column, int row, const ScreenCell &cell)
{
    if (contains(column, row))
        m_cells[row][column] = cell;
}

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
