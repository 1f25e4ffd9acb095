#include "CellGrid.h"

void CellGrid::clear()
{
    m_cells = {};
    m_dim = {};
}

void CellGrid::scrollUp(int rowCount)
{
    const int last = qBound(0, rowCount, Rows - 1);
    for (int i = 0; i < last; ++i) {
        m_cells[i] = m_cells[i + 1];
        m_dim[i] = m_dim[i + 1];
    }
}
