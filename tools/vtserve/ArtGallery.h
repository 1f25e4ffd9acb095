#pragma once

// A door that shows the ANSI art of a folder: a list of its .ans files
// (with the titles of their SAUCE records where they have one); choosing
// one shows it through the bridge's 80-column translation, 25 rows a page
// under a status line. The arrow digits move: 8 and 2 through the list and
// the pages, 6 or Return opens a picture, 4 or Q goes back, Q in the list
// leaves the door. A press on a line of the list opens that picture.

#include <QString>
#include <QStringList>

#include "DoorSession.h"
#include "TermFilter.h"

class ArtGallery : public DoorSession
{
public:
    struct Picture {
        QString file;
        QByteArray title;   // from the SAUCE record; may be empty
    };
    static constexpr int PageRows = TermFilter::Rows - 1;
    static constexpr int ListTop = 4;

    ArtGallery(QString folder, Output output);

    void start() override;
    void keys(const QByteArray &bytes) override;
    void press(int column, int row) override;
    bool ended() const override { return m_ended; }

    // The picture's bytes without its SAUCE record, comments and the end
    // of file mark; `title` gets the SAUCE title.
    static QByteArray Strip(const QByteArray &file, QByteArray *title = nullptr);
    // The rows a picture fills on an 80-column terminal.
    static QList<TermFilter::Row> Render(const QByteArray &art);

    const QList<Picture> &pictures() const { return m_pictures; }
    int selected() const { return m_selected; }
    bool showing() const { return m_showing; }
    int page() const { return m_page; }
    int pageCount() const;

private:
    void showList();
    void open(int index);
    void showPage();

    QString m_folder;
    Output m_output;
    TermFilter m_screen;
    QList<Picture> m_pictures;
    QList<TermFilter::Row> m_rows;
    int m_selected = 0;
    int m_page = 0;
    bool m_showing = false;
    bool m_ended = false;
};
