#include "ArtGallery.h"

#include <QDir>
#include <QFile>

namespace {

constexpr qsizetype SauceSize = 128;
constexpr qsizetype MaxArt = 4 * 1024 * 1024;
constexpr int MaxRows = 2000;

// A line of text as cells, in one colour pair.
TermFilter::Row textRow(const QByteArray &text, uchar fg, uchar bg)
{
    TermFilter::Row row;
    row.fill(TermFilter::Cell{' ', fg, bg});
    for (int c = 1; c <= TermFilter::Columns && c <= text.size(); ++c)
        row[size_t(c)] = TermFilter::Cell{uchar(text.at(c - 1)), fg, bg};
    return row;
}

bool blankRow(const TermFilter::Row &row)
{
    for (int c = 1; c <= TermFilter::Columns; ++c) {
        if ((row[size_t(c)].ch != ' ' && row[size_t(c)].ch != 0xFF) || row[size_t(c)].bg != 0)
            return false;
    }
    return true;
}

} // namespace

ArtGallery::ArtGallery(QString folder, Output output)
    : m_folder(std::move(folder))
    , m_output(std::move(output))
{
}

QByteArray ArtGallery::Strip(const QByteArray &file, QByteArray *title)
{
    QByteArray art = file;
    if (art.size() >= SauceSize && art.mid(art.size() - SauceSize, 7) == "SAUCE00") {
        const QByteArray sauce = art.right(SauceSize);
        if (title)
            *title = sauce.mid(7, 35).trimmed();
        art.chop(SauceSize);
        // Comment lines stand before the record: "COMNT" and 64 bytes a line.
        const int comments = uchar(sauce.at(104));
        const qsizetype block = 5 + 64 * qsizetype(comments);
        if (comments > 0 && art.size() >= block && art.mid(art.size() - block, 5) == "COMNT")
            art.chop(block);
    }
    const qsizetype end = art.indexOf('\x1a');
    if (end >= 0)
        art.truncate(end);
    return art;
}

QList<TermFilter::Row> ArtGallery::Render(const QByteArray &art)
{
    TermFilter model;
    model.setArtMode(true);
    for (qsizetype at = 0; at < art.size(); at += 4096)
        model.translate(art.mid(at, 4096), nullptr);
    QList<TermFilter::Row> rows = model.scrolled();
    for (int r = 1; r <= TermFilter::Rows; ++r) {
        TermFilter::Row row;
        for (int c = 0; c <= TermFilter::Columns; ++c)
            row[size_t(c)] = model.cell(r, c);
        rows.append(row);
    }
    while (!rows.isEmpty() && blankRow(rows.last()))
        rows.removeLast();
    if (rows.size() > MaxRows)
        rows.resize(MaxRows);
    return rows;
}

void ArtGallery::start()
{
    const QDir dir(m_folder);
    QStringList files = dir.entryList({QStringLiteral("*.ans"), QStringLiteral("*.ANS")}, QDir::Files | QDir::Readable,
                                      QDir::Name | QDir::IgnoreCase);
    files.removeDuplicates();
    for (const QString &name : files) {
        QFile file(dir.filePath(name));
        QByteArray title;
        if (file.open(QIODevice::ReadOnly))
            Strip(file.read(MaxArt), &title);
        m_pictures.append({name, title});
    }
    showList();
}

void ArtGallery::showList()
{
    m_showing = false;
    QList<TermFilter::Row> rows;
    rows.append(textRow(" ANSI art gallery", 15, 4));
    rows.append(textRow(" " + QFile::encodeName(m_folder).right(78), 7, 0));
    rows.append(textRow("", 7, 0));
    if (m_pictures.isEmpty())
        rows.append(textRow("   There are no .ans files in this folder.", 12, 0));
    const int visible = TermFilter::Rows - ListTop - 1;
    const int first = std::max(0, std::min(m_selected - visible / 2, int(m_pictures.size()) - visible));
    for (int i = first; i < m_pictures.size() && i < first + visible; ++i) {
        const Picture &p = m_pictures.at(i);
        QByteArray line = "  " + QFile::encodeName(p.file).left(30).leftJustified(31, ' ');
        if (!p.title.isEmpty())
            line += p.title;
        const bool chosen = i == m_selected;
        rows.append(textRow(line.left(79), chosen ? 0 : 7, chosen ? 7 : 0));
    }
    while (rows.size() < TermFilter::Rows - 1)
        rows.append(textRow("", 7, 0));
    rows.append(textRow(" 8 / 2 choose   6 or Return show   Q leave", 0, 7));
    m_output(m_screen.showRows(rows));
}

int ArtGallery::pageCount() const
{
    return std::max(1, int((m_rows.size() + PageRows - 1) / PageRows));
}

void ArtGallery::open(int index)
{
    if (index < 0 || index >= m_pictures.size())
        return;
    m_selected = index;
    QFile file(QDir(m_folder).filePath(m_pictures.at(index).file));
    m_rows = file.open(QIODevice::ReadOnly) ? Render(Strip(file.read(MaxArt))) : QList<TermFilter::Row>();
    m_page = 0;
    m_showing = true;
    showPage();
}

void ArtGallery::showPage()
{
    QList<TermFilter::Row> rows = m_rows.mid(qsizetype(m_page) * PageRows, PageRows);
    while (rows.size() < PageRows)
        rows.append(textRow("", 7, 0));
    const QByteArray status = " " + QFile::encodeName(m_pictures.at(m_selected).file).left(30) + "   page "
        + QByteArray::number(m_page + 1) + " of " + QByteArray::number(pageCount()) + "   8 / 2 page   Q list";
    rows.append(textRow(status, 0, 7));
    m_output(m_screen.showRows(rows));
}

void ArtGallery::keys(const QByteArray &bytes)
{
    for (const char key : bytes) {
        if (m_ended)
            return;
        if (!m_showing) {
            if (key == '8' && m_selected > 0) {
                --m_selected;
                showList();
            } else if (key == '2' && m_selected + 1 < m_pictures.size()) {
                ++m_selected;
                showList();
            } else if (key == '6' || key == '\r' || key == ' ') {
                open(m_selected);
            } else if (key == 'q' || key == 'Q' || key == '\x1b') {
                m_ended = true;
            }
            continue;
        }
        if (key == '2' && m_page + 1 < pageCount()) {
            ++m_page;
            showPage();
        } else if (key == '8' && m_page > 0) {
            --m_page;
            showPage();
        } else if (key == '4' || key == 'q' || key == 'Q' || key == '\x1b') {
            showList();
        }
    }
}

void ArtGallery::press(int, int row)
{
    if (m_showing)
        return;
    const int visible = TermFilter::Rows - ListTop - 1;
    const int first = std::max(0, std::min(m_selected - visible / 2, int(m_pictures.size()) - visible));
    const int index = first + row - ListTop;
    if (row >= ListTop && index < m_pictures.size() && index < first + visible)
        open(index);
}
