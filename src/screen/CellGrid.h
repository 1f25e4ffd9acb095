#pragma once

// The characters the engine printed, beside the pixels: what the hit test
// reads to tell what the user clicked. Rows 0 to 40 and columns 0 to 80; the
// server counts from 1, so row 0 and column 0 are the margin.

#include <QtGlobal>

#include <array>

struct ScreenCell
{
    quint8 Char = 0;
    quint8 ForeCode = 0;
    quint8 BackCode = 0;

    friend bool operator==(const ScreenCell &, const ScreenCell &) = default;
};

class CellGrid
{
public:
    static constexpr int Rows = 41;
    static constexpr int Columns = 81;

    static bool contains(int column, int row)
    {
        return row >= 0 && row < Rows && column >= 0 && column < Columns;
    }
    // A cell outside the grid (possible after pixel moves) reads as empty.
    ScreenCell at(int column, int row) const
    {
        return contains(column, row) ? m_cells[row][column] : ScreenCell();
    }
    // A write outside the grid is skipped.
    void set(int column, int row, const ScreenCell &cell)
    {
        if (contains(column, row))
            m_cells[row][column] = cell;
    }
    // Whether the cell was printed in the dim palette (which is a state of
    // the engine, not a colour code): what a redraw needs to paint it again.
    bool dimAt(int column, int row) const { return contains(column, row) && m_dim[row][column]; }
    void setDim(int column, int row, bool dim)
    {
        if (contains(column, row))
            m_dim[row][column] = dim;
    }
    void clear();
    // Row i takes row i + 1 for i from 0 to rowCount - 1; row rowCount keeps
    // its characters.
    void scrollUp(int rowCount);

private:
    std::array<std::array<ScreenCell, Columns>, Rows> m_cells{};
    std::array<std::array<bool, Columns>, Rows> m_dim{};
};
