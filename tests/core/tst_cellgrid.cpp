// The screen engine's cell grid: writes outside it are dropped, and a
// scroll keeps the last row.

#include <QTest>

#include "CellGrid.h"
#include "TestMain.h"

class tst_CellGrid : public QObject
{
    Q_OBJECT
private slots:
    void cell_grid_skips_writes_outside();
    void cell_grid_scroll_keeps_the_last_row();
};

void tst_CellGrid::cell_grid_skips_writes_outside()
{
    CellGrid grid;
    grid.set(80, 40, ScreenCell{'a', 31, 40});
    grid.set(81, 1, ScreenCell{'b', 31, 40});
    grid.set(1, 41, ScreenCell{'c', 31, 40});
    grid.set(-1, 1, ScreenCell{'d', 31, 40});
    QCOMPARE(grid.at(80, 40), (ScreenCell{'a', 31, 40}));
    QCOMPARE(grid.at(81, 1), ScreenCell());
    QCOMPARE(grid.at(1, 41), ScreenCell());
    grid.clear();
    QCOMPARE(grid.at(80, 40), ScreenCell());
}

void tst_CellGrid::cell_grid_scroll_keeps_the_last_row()
{
    CellGrid grid;
    for (int row = 0; row <= 40; ++row)
        grid.set(1, row, ScreenCell{quint8('A' + row), 0, 0});
    grid.scrollUp(26);
    QCOMPARE(grid.at(1, 0).Char, quint8('B'));
    QCOMPARE(grid.at(1, 25).Char, quint8('A' + 26));
    QCOMPARE(grid.at(1, 26).Char, quint8('A' + 26));
    QCOMPARE(grid.at(1, 27).Char, quint8('A' + 27));
}

VT_TEST_MAIN(tst_CellGrid)
#include "tst_cellgrid.moc"
