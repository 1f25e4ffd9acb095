// The chat view and the user list view as Qt widgets: link marks in the
// document, presses and the pointer over links, the selection bar, what the
// renderer leaves in a real view, and the list rows.

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <memory>

#include "ChatAnsi.h"
#include "Colors.h"
#include "Cp1252.h"
#include "TestMain.h"
#include "UserListView.h"
#include "uRichEditWithLinks.h"

namespace {

struct Click
{
    int cpMin;
    int cpMax;
    QByteArray text;
};

QList<QTextFragment> fragments(const QTextDocument *document)
{
    QList<QTextFragment> list;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            list << it.fragment();
    return list;
}

// The middle of the character at a document position, in viewport coordinates.
QPoint pointAt(const TRichEditURL &view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    const QRect caret = view.cursorRect(cursor);
    return QPoint(caret.left() + 3, caret.center().y());
}

void sendMouse(TRichEditURL &view, QEvent::Type type, const QPoint &pos, Qt::MouseButton button)
{
    QMouseEvent event(type, pos, view.viewport()->mapToGlobal(pos), button,
                      type == QEvent::MouseMove ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &event);
}

} // namespace

class tst_RichEditURL : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void link_format_marks_what_is_inserted();
    void address_in_plain_text_is_not_a_link();
    void left_press_reports_the_whole_run_once();
    void pointer_shows_a_hand_over_links();
    void selection_bar_click_selects_the_line();
    void renderer_leaves_formats_in_the_view();
    void renderer_paints_its_colour();
    void trims_the_first_line_at_max_lines();
    void user_list_view_rows();
    void chat_bytes_show_as_windows_1252();
    void links_stay_readable_on_dark_views();
    void text_pointer_can_be_the_arrow();

private:
    TRichEditURL *m_view = nullptr;
    QList<Click> m_clicks;
    std::unique_ptr<ChatSession> m_session;   // each test starts from the defaults
};

void tst_RichEditURL::init()
{
    m_session = std::make_unique<ChatSession>();
    m_clicks.clear();
    m_view = new TRichEditURL;
    m_view->resize(400, 200);
    m_view->OnHyperlinkClicked = [this](QObject *sender, int cpMin, int cpMax, const QByteArray &text) {
        QCOMPARE(sender, m_view);
        m_clicks.append({cpMin, cpMax, text});
    };
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void tst_RichEditURL::cleanup()
{
    delete m_view;
    m_session.reset();
}

void tst_RichEditURL::link_format_marks_what_is_inserted()
{
    m_view->setFontColor(TColors::WindowText);   // a system colour
    m_view->SetLinkFormat(true);
    m_view->insertText("http://a.example");
    m_view->SetLinkFormat(false);
    m_view->insertText(" after");

    const QList<QTextFragment> parts = fragments(m_view->document());
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts[0].text(), QString("http://a.example"));
    QVERIFY(parts[0].charFormat().isAnchor());
    QVERIFY(parts[0].charFormat().fontUnderline());
    QCOMPARE(parts[0].charFormat().foreground().color(), QColor(0, 0, 255));
    QVERIFY(!parts[1].charFormat().isAnchor());
    QVERIFY(!parts[1].charFormat().fontUnderline());
    QCOMPARE(parts[1].charFormat().foreground().color(), m_view->palette().color(QPalette::Text));
}

void tst_RichEditURL::address_in_plain_text_is_not_a_link()
{
    m_view->insertText("see http://example.org");
    QVERIFY(!fragments(m_view->document()).first().charFormat().isAnchor());
    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, 8), Qt::LeftButton);
    QVERIFY(m_clicks.isEmpty());
}

void tst_RichEditURL::left_press_reports_the_whole_run_once()
{
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, nullptr, nullptr);
    chat.Show("go http://example.org/path now\r\n");
    chat.Show("\\join Lobby");

    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, 10), Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseButtonRelease, pointAt(*m_view, 10), Qt::LeftButton);
    QCOMPARE(m_clicks.size(), 1);
    QCOMPARE(m_clicks[0].cpMin, 3);
    QCOMPARE(m_clicks[0].cpMax, 26);
    QCOMPARE(m_clicks[0].text, QByteArray("http://example.org/path"));

    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, 10), Qt::RightButton);
    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, 0), Qt::LeftButton);
    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, 28), Qt::LeftButton);
    QCOMPARE(m_clicks.size(), 1);

    const int second = m_view->document()->findBlockByNumber(1).position();
    sendMouse(*m_view, QEvent::MouseButtonPress, pointAt(*m_view, second + 2), Qt::LeftButton);
    QCOMPARE(m_clicks.size(), 2);
    QCOMPARE(m_clicks[1].text, QByteArray("\\join"));
}

void tst_RichEditURL::pointer_shows_a_hand_over_links()
{
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, nullptr, nullptr);
    chat.Show("go http://example.org now");
    sendMouse(*m_view, QEvent::MouseMove, pointAt(*m_view, 8), Qt::NoButton);
    QCOMPARE(m_view->viewport()->cursor().shape(), Qt::PointingHandCursor);
    sendMouse(*m_view, QEvent::MouseMove, pointAt(*m_view, 23), Qt::NoButton);
    QCOMPARE(m_view->viewport()->cursor().shape(), Qt::IBeamCursor);
}

void tst_RichEditURL::selection_bar_click_selects_the_line()
{
    m_view->SetShowSelectionBar(true);
    m_view->insertText("first line\r\nsecond line\r\nthird line");
    const int second = m_view->document()->findBlockByNumber(1).position();
    const QPoint inBar(2, pointAt(*m_view, second).y());
    sendMouse(*m_view, QEvent::MouseMove, inBar, Qt::NoButton);
    QCOMPARE(m_view->viewport()->cursor().shape(), Qt::ArrowCursor);
    sendMouse(*m_view, QEvent::MouseButtonPress, inBar, Qt::LeftButton);
    QCOMPARE(m_view->textCursor().selectedText(), QString("second line") + QChar::ParagraphSeparator);
    // Text does not start in the bar.
    QVERIFY(pointAt(*m_view, 0).x() > m_view->selectionBarWidth());
}

void tst_RichEditURL::renderer_leaves_formats_in_the_view()
{
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, nullptr, nullptr);
    chat.Show("\x1b[4\x1b[BHello\x1b]\r\n");
    chat.Show("\x1b[S{14}\x1b[F{Courier}big\r\n");
    const QList<QTextFragment> parts = fragments(m_view->document());
    QCOMPARE(parts.size(), 2);
    QCOMPARE(parts[0].text(), QString("Hello"));   // the line break is the block's end
    QCOMPARE(parts[0].charFormat().foreground().color(), QColor(255, 0, 0));
    QCOMPARE(parts[0].charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(parts[1].text(), QString("big"));
    QCOMPARE(parts[1].charFormat().fontFamilies().toStringList(), QStringList{"Courier"});
    QCOMPARE(parts[1].charFormat().fontPointSize(), 10.0);   // S held only until F
    QCOMPARE(m_view->lineCount(), 2);
    QVERIFY(!m_view->insertionStyle().bold);
}

void tst_RichEditURL::renderer_paints_its_colour()
{
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, nullptr, nullptr);
    chat.Show("\x1b[S{20}\x1b[5\x1b[BMMMMMMMM");
    const QImage picture = m_view->viewport()->grab().toImage();
    int green = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.green() > 200 && c.red() < 60 && c.blue() < 60)
                ++green;
        }
    QVERIFY2(green > 50, qPrintable(QString::number(green)));
}

void tst_RichEditURL::trims_the_first_line_at_max_lines()
{
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, nullptr, nullptr);
    for (int i = 1; i <= 151; ++i)
        chat.Show("\x1b[3line " + QByteArray::number(i) + "\r\n");
    QCOMPARE(m_view->lineCount(), 150);
    QCOMPARE(m_view->document()->firstBlock().text(), QString("line 2"));
    QCOMPARE(m_view->document()->lastBlock().previous().text(), QString("line 151"));
    QVERIFY(m_view->caretAtEnd());
}

void tst_RichEditURL::user_list_view_rows()
{
    TUserListView list;
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    list.setImages({QIcon(picture), QIcon(picture)});
    list.setStateImages({QIcon(picture)});
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, &list, nullptr);

    chat.Show("\x1b[L\x1b[3*Ann=1;0;5\r\nBob=2;1;7{x}|Room 3|\x1b]");
    QCOMPARE(list.rowCount(), 2);
    QCOMPARE(list.caption(0), QByteArray("\x1b[3*Ann"));
    QCOMPARE(list.topLevelItem(0)->text(0), QString("*Ann"));
    QCOMPARE(list.imageIndex(0), 1);
    QVERIFY(!list.topLevelItem(0)->icon(0).isNull());
    QVERIFY(list.topLevelItem(1)->icon(0).isNull());   // image 2 is not in the list
    QCOMPARE(list.stateIndex(1), 1);
    QCOMPARE(list.rowData(1), 7);
    QCOMPARE(list.secondColumn(1), QByteArray("Room 3"));

    // Same count: the rows are updated in place; the second column stays.
    QTreeWidgetItem *first = list.topLevelItem(0);
    chat.Show("\x1b[LAnn=0;0;6\r\nBob=0;0;8\x1b]");
    QCOMPARE(list.topLevelItem(0), first);
    QCOMPARE(list.rowData(0), 6);
    QCOMPARE(list.secondColumn(1), QByteArray("Room 3"));
    QVERIFY(list.updatesEnabled());

    chat.Show("\x1b[LCy=0;0;1\x1b]");
    QCOMPARE(list.rowCount(), 1);
    QCOMPARE(list.caption(0), QByteArray("Cy"));
}

void tst_RichEditURL::chat_bytes_show_as_windows_1252()
{
    QByteArray all;
    for (int b = 0x80; b <= 0x9F; ++b)
        all.append(char(b));
    m_view->insertText(all + " \xe9");
    const QString shown = m_view->toPlainText();
    QCOMPARE(shown.size(), 34);
    QCOMPARE(shown.at(0), QChar(0x20AC));    // euro
    QCOMPARE(shown.at(0x93 - 0x80), QChar(0x201C));
    QCOMPARE(shown.at(0x94 - 0x80), QChar(0x201D));
    QCOMPARE(shown.at(0x95 - 0x80), QChar(0x2022));   // bullet
    QCOMPARE(shown.at(0x96 - 0x80), QChar(0x2013));
    QCOMPARE(shown.at(0x97 - 0x80), QChar(0x2014));
    QCOMPARE(shown.at(0x99 - 0x80), QChar(0x2122));
    QCOMPARE(shown.at(0x81 - 0x80), QChar(0x81));     // undefined: stays itself
    QCOMPARE(shown.at(33), QChar(0xE9));              // Latin-1 above 9F as it was
    // Copying hands back the bytes that came in.
    QCOMPARE(m_view->textRange(0, 32), all);
    QCOMPARE(ChatBytes(QStringLiteral("\u20ac \u2022 \u4e2d")), QByteArray("\x80 \x95 ?"));

    // The rank mark 95 in front of a name in the user list.
    TUserListView list;
    TDispAnsi chat(*m_session);
    chat.Attach(m_view, &list, nullptr);
    chat.Show("\x1b[L\x95" "Ann=0;0;1\x1b]");
    QCOMPARE(list.topLevelItem(0)->text(0), QString(QChar(0x2022)) + "Ann");
}

void tst_RichEditURL::links_stay_readable_on_dark_views()
{
    QPalette navy = m_view->palette();
    navy.setColor(QPalette::Base, QColor(0, 0, 64));
    m_view->setPalette(navy);
    m_view->SetLinkFormat(true);
    m_view->insertText("http://a.example");
    m_view->SetLinkFormat(false);
    const QColor onNavy = fragments(m_view->document()).first().charFormat().foreground().color();
    QVERIFY2(ContrastRatio(onNavy, QColor(0, 0, 64)) >= 4.5, qPrintable(onNavy.name()));
    QVERIFY(onNavy.blue() > onNavy.red());   // still a blue

    // On a light view the blue stays as it is.
    QPalette white = m_view->palette();
    white.setColor(QPalette::Base, Qt::white);
    m_view->setPalette(white);
    m_view->clear();
    m_view->SetLinkFormat(true);
    m_view->insertText("http://b.example");
    QCOMPARE(fragments(m_view->document()).first().charFormat().foreground().color(),
             QColor(0, 0, 255));
}

void tst_RichEditURL::text_pointer_can_be_the_arrow()
{
    m_view->insertText("plain text here");
    QCOMPARE(m_view->viewport()->cursor().shape(), Qt::IBeamCursor);
    m_view->setTextPointer(Qt::ArrowCursor);
    sendMouse(*m_view, QEvent::MouseMove, pointAt(*m_view, 3), Qt::NoButton);
    QCOMPARE(m_view->viewport()->cursor().shape(), Qt::ArrowCursor);
}

VT_TEST_MAIN(tst_RichEditURL)
#include "tst_richediturl.moc"
