#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "GreyMsg.h"
#include "IAeverButton.h"
#include "ScrollingBanner.h"
#include "SuitePictures.h"
#include "TestMain.h"
#include "TrayIcon.h"

class tst_Widgets : public QObject
{
    Q_OBJECT
private slots:
    void button_clicks_only_inside_its_shape_data();
    void button_clicks_only_inside_its_shape();
    void button_paints_face_glyph_and_leaves_corners_out();
    void button_click_from_keyboard();
    void banner_moves_right_to_left_and_takes_lines_in_turn();
    void banner_stopped_stays_put();
    void banner_draws_its_line_where_it_is();
    void grey_message_shows_plain_text_and_ok_frees_it();
    void tray_menu_commands();
    void logo_is_drawn_with_its_key_colour_left_out();
};

void tst_Widgets::button_clicks_only_inside_its_shape_data()
{
    QTest::addColumn<int>("shape");
    QTest::addColumn<QPoint>("where");
    QTest::addColumn<bool>("clicked");
    using S = TIAeverButton::Shape;
    QTest::newRow("round centre") << int(S::RoundRect) << QPoint(60, 20) << true;
    QTest::newRow("round corner") << int(S::RoundRect) << QPoint(1, 1) << false;
    QTest::newRow("round edge middle") << int(S::RoundRect) << QPoint(1, 20) << true;
    QTest::newRow("rect corner") << int(S::Rectangle) << QPoint(1, 1) << true;
    QTest::newRow("ellipse corner") << int(S::Ellipse) << QPoint(3, 3) << false;
    QTest::newRow("ellipse centre") << int(S::Ellipse) << QPoint(60, 20) << true;
}

void tst_Widgets::button_clicks_only_inside_its_shape()
{
    QFETCH(int, shape);
    QFETCH(QPoint, where);
    QFETCH(bool, clicked);
    QWidget host;
    host.resize(200, 100);
    auto *button = new TIAeverButton(QStringLiteral("play"), QStringLiteral("Play"), &host);
    button->setShape(TIAeverButton::Shape(shape));
    button->setGeometry(0, 0, 120, 40);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy spy(button, &QAbstractButton::clicked);
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
    QCOMPARE(spy.count(), clicked ? 1 : 0);
}

void tst_Widgets::button_paints_face_glyph_and_leaves_corners_out()
{
    QWidget host;
    host.setAutoFillBackground(true);
    QPalette pal = host.palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 0));
    host.setPalette(pal);
    host.resize(200, 100);
    auto *button = new TIAeverButton(QStringLiteral("b"), QString(), &host);
    button->setGeometry(0, 0, 120, 40);
    button->setFaceColor(QColor(200, 0, 0));
    button->setGradientColor(QColor(0, 0, 0));
    QPixmap glyph(16, 16);
    glyph.fill(QColor(0, 255, 0));
    button->setGlyph(glyph);
    button->setGlyphLeft(10);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));

    const QImage picture = host.grab().toImage();
    // Circular gradient: the face colour in the middle.
    const QColor centre = picture.pixelColor(60, 20);
    QVERIFY2(centre.red() > 150 && centre.green() < 40 && centre.blue() < 40,
             qPrintable(centre.name()));
    // Glyph 10 pixels from the left, vertically centred.
    QCOMPARE(picture.pixelColor(18, 20), QColor(0, 255, 0));
    QCOMPARE(picture.pixelColor(9, 20) == QColor(0, 255, 0), false);
    // The corner is outside the rounded shape: the host shows through.
    QCOMPARE(picture.pixelColor(0, 0), QColor(0, 0, 0));
}

void tst_Widgets::button_click_from_keyboard()
{
    QWidget host;
    TIAeverButton &button = *new TIAeverButton(QStringLiteral("ok"), QStringLiteral("OK"), &host);
    button.resize(80, 30);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QSignalSpy spy(&button, &QAbstractButton::clicked);
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Space);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(button.caption(), QStringLiteral("OK"));
    QCOMPARE(button.objectName(), QStringLiteral("ok"));
}

void tst_Widgets::banner_moves_right_to_left_and_takes_lines_in_turn()
{
    TScrollingBanner banner;
    banner.resize(100, 20);
    banner.setStep(3);
    banner.setLines({QStringLiteral("Hello"), QStringLiteral("World")});
    QSignalSpy started(&banner, &TScrollingBanner::lineStarted);
    QCOMPARE(banner.textLeft(), 100);
    banner.advance();
    QCOMPARE(banner.textLeft(), 97);
    QCOMPARE(banner.currentLine(), 0);
    const int width = banner.fontMetrics().horizontalAdvance(QStringLiteral("Hello"));
    // Steps until the first line has left the strip entirely.
    const int steps = (100 + width + 2) / 3;
    for (int i = 1; i < steps; ++i)
        banner.advance();
    QCOMPARE(banner.currentLine(), 1);
    QCOMPARE(banner.textLeft(), 100);
    QCOMPARE(started.count(), 1);
    QCOMPARE(started.first().first().toInt(), 1);
}

void tst_Widgets::banner_stopped_stays_put()
{
    TScrollingBanner banner;
    banner.resize(100, 20);
    banner.setText(QStringLiteral("x"));
    banner.stop();
    banner.advance();
    QCOMPARE(banner.textLeft(), 100);
    banner.start();
    banner.advance();
    QCOMPARE(banner.textLeft(), 100 - banner.step());
}

void tst_Widgets::banner_draws_its_line_where_it_is()
{
    TScrollingBanner banner;
    QPalette pal = banner.palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    banner.setPalette(pal);
    banner.resize(200, 24);
    banner.setStep(10);
    banner.setText(QStringLiteral("IIIIIIIIII"));
    for (int i = 0; i < 10; ++i)
        banner.advance();
    const QImage picture = banner.grab().toImage();
    auto litColumns = [&](int from, int to) {
        int lit = 0;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < picture.height(); ++y)
                if (qGray(picture.pixel(x, y)) > 128) {
                    ++lit;
                    break;
                }
        return lit;
    };
    QCOMPARE(banner.textLeft(), 100);
    QCOMPARE(litColumns(0, 100), 0);
    QVERIFY(litColumns(100, 200) > 3);
}

void tst_Widgets::grey_message_shows_plain_text_and_ok_frees_it()
{
    QPointer<TfrmGreyMsg> notice = TfrmGreyMsg::ShowNotice(
        QStringLiteral("Admin"), QStringLiteral("<b>Server</b> going down"));
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QVERIFY(notice->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(notice->windowTitle(), QStringLiteral("Admin"));
    auto *text = notice->findChild<QLabel *>(QStringLiteral("Memo1"));
    QVERIFY(text);
    QCOMPARE(text->textFormat(), Qt::PlainText);
    QCOMPARE(text->text(), QStringLiteral("<b>Server</b> going down"));
    QVERIFY(text->alignment() & Qt::AlignHCenter);
    auto *ok = notice->findChild<QPushButton *>(QStringLiteral("btnOK"));
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral("OK"));
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY(notice.isNull());
}

void tst_Widgets::tray_menu_commands()
{
    TTrayIcon tray;
    QCOMPARE(tray.menu()->actions().size(), 2);
    QCOMPARE(tray.menu()->actions().at(0)->text(), QStringLiteral("&Show"));
    QCOMPARE(tray.menu()->actions().at(1)->text(), QStringLiteral("E&xit"));
    QSignalSpy shown(&tray, &TTrayIcon::showRequested);
    QSignalSpy exited(&tray, &TTrayIcon::exitRequested);
    tray.showAction()->trigger();
    QCOMPARE(shown.count(), 1);
    QCOMPARE(exited.count(), 0);
    tray.exitAction()->trigger();
    QCOMPARE(exited.count(), 1);
}

void tst_Widgets::logo_is_drawn_with_its_key_colour_left_out()
{
    const QImage logo = SuitePicture("BITMAPVT");
    QVERIFY(!logo.isNull());
    QVERIFY(SuitePicture("NOSUCHPICTURE").isNull());
    QImage canvas(logo.size() + QSize(40, 40), QImage::Format_RGB32);
    canvas.fill(QColor(1, 2, 3));
    QPainter p(&canvas);
    DrawKeyedPicture(p, QPoint(20, 20), logo);
    p.end();
    // The key colour shows the canvas; the logo's middle is drawn.
    QCOMPARE(canvas.pixelColor(25, 25), QColor(1, 2, 3));
    QCOMPARE(canvas.pixelColor(20 + logo.width() / 2, 20 + logo.height() / 2),
             logo.pixelColor(logo.width() / 2, logo.height() / 2));
    QVERIFY(logo.pixelColor(logo.width() / 2, logo.height() / 2) != logo.pixelColor(5, 5));
}

VT_TEST_MAIN(tst_Widgets)
#include "tst_widgets.moc"
