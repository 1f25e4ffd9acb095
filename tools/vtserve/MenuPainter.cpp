#include "MenuPainter.h"

#include "ClientMessages.h"
#include "ServerBytes.h"

#include <algorithm>

namespace MenuPainter {

namespace {

QByteArray at(int row, int column)
{
    return ServerBytes::CursorTo(row, column);
}

QByteArray colours(int fore, int back)
{
    return ServerBytes::BrightColours(fore, back);
}

QByteArray fit(const QByteArray &text, int width)
{
    if (text.size() <= width)
        return text + QByteArray(width - text.size(), ' ');
    return text.left(std::max(0, width - 3)) + "...";
}

// Box-drawing glyphs of the terminal character set.
constexpr char TopLeft = char(0xC9), TopRight = char(0xBB), BottomLeft = char(0xC8),
               BottomRight = char(0xBC), Horizontal = char(0xCD), Vertical = char(0xBA);

constexpr int BoxWidth = 78;
constexpr int LabelColumn = 3;
constexpr int LabelWidth = 20;
constexpr int DetailWidth = 36;
constexpr int ButtonLeft = 64;
constexpr int ButtonRight = 76;

} // namespace

QByteArray ButtonName(int index)
{
    return "entry" + QByteArray::number(index + 1);
}

int EntryOfButton(const QByteArray &name)
{
    if (!name.startsWith("entry"))
        return -1;
    bool ok = false;
    const int number = name.mid(5).toInt(&ok);
    return ok && number >= 1 && QByteArray::number(number) == name.mid(5) ? number - 1 : -1;
}

bool ParsePress(const QByteArray &text, int *column, int *row)
{
    int c = 0;
    int r = 0;
    if (!ClientMessages::ParseCellText(text, &c, &r) || c < 0 || r < 0 || text.contains('-'))
        return false;
    *column = c;
    *row = r;
    return true;
}

MenuScreen Paint(const QByteArray &title, const QByteArray &hint,
                 const QList<MenuEntry> &entries, const QSet<QByteArray> &previousButtons)
{
    MenuScreen screen;
    QByteArray &out = screen.bytes;

    // Black background, whole screen cleared (a plain clear, not the
    // cross-hatched one).
    out += "\x1b[40m\x1b[J";

    // Banner: a double box with the title in the middle.
    out += at(1, 1) + colours(33, 44);
    out += TopLeft + QByteArray(BoxWidth - 2, Horizontal) + TopRight;
    const QByteArray shown = fit(title, BoxWidth - 4).trimmed();
    const int padLeft = (BoxWidth - 2 - int(shown.size())) / 2;
    const int padRight = BoxWidth - 2 - int(shown.size()) - padLeft;
    out += at(2, 1) + Vertical + QByteArray(padLeft, ' ') + colours(37, 44) + shown
        + colours(33, 44) + QByteArray(padRight, ' ') + Vertical;
    out += at(3, 1) + BottomLeft + QByteArray(BoxWidth - 2, Horizontal) + BottomRight;

    // A line of help under the banner.
    out += at(5, 3) + colours(36, 40) + fit(hint, LastColumn - 3).trimmed();

    int row = FirstEntryRow;
    for (qsizetype i = 0; i < entries.size() && row <= 38; ++i, row += 2) {
        const MenuEntry &entry = entries.at(i);
        const QByteArray number = QByteArray::number(i + 1) + ". ";
        out += at(row, LabelColumn) + colours(37, 40) + number
            + colours(33, 40) + fit(entry.label, LabelWidth)
            + colours(32, 40) + fit(entry.detail, DetailWidth);
        screen.rowToEntry.insert(row, int(i));
        // The button sits on the entry's line, a little taller than it.
        const QByteArray name = ButtonName(int(i));
        out += "\x1b[" + QByteArray::number(ButtonLeft) + ';' + QByteArray::number(row - 0.25)
            + ';' + QByteArray::number(ButtonRight) + ';' + QByteArray::number(row + 1.25)
            + ";100;34W" + name + '|' + entry.button + ';' + entry.button + ' ' + entry.label
            + '>';
        screen.buttons.insert(name);
    }

    out += at(row + 1, LabelColumn) + colours(37, 40)
        + fit("Click a line or its button. The list follows who comes and goes.",
              LastColumn - LabelColumn)
              .trimmed();

    // Buttons of an earlier paint that are gone: left edge 0 deletes them.
    QList<QByteArray> stale;
    for (const QByteArray &name : previousButtons) {
        if (!screen.buttons.contains(name))
            stale.append(name);
    }
    std::sort(stale.begin(), stale.end());
    for (const QByteArray &name : stale)
        out += "\x1b[0;0;0;0;100;0W" + name + "|>";

    out += at(row + 3, 1) + "\x1b[0m";
    return screen;
}

} // namespace MenuPainter
