#include <QTest>

#include "TestMain.h"
#include "_Globals.h"

class tst_Globals : public QObject
{
    Q_OBJECT
private slots:
    void splits_at_first_character();
    void splits_at_first_text();
    void take_text_before_leaves_the_search_text();
    void take_line_consumes_through_crlf();
    void replace_all_data();
    void replace_all();
    void pad_left();
    void lenient_number_data();
    void lenient_number();
    void strips_codes_data();
    void strips_codes();
    void plain_user_name_drops_one_rank_mark();
    void user_rank_data();
    void user_rank();
};

void tst_Globals::splits_at_first_character()
{
    QCOMPARE(TextBefore("abc", ':'), QByteArray("abc"));
    QCOMPARE(TextAfter("abc", ':'), QByteArray("abc"));
    QCOMPARE(TextBefore("a:b:c", ':'), QByteArray("a"));
    QCOMPARE(TextAfter("a:b:c", ':'), QByteArray("b:c"));
    QCOMPARE(TextAfter("a:", ':'), QByteArray(""));
    QCOMPARE(TextBefore(":x", ':'), QByteArray(""));
}

void tst_Globals::splits_at_first_text()
{
    QCOMPARE(TextBeforeText("12Score5Score", "Score"), QByteArray("12"));
    QCOMPARE(TextAfterText("12Score5Score", "Score"), QByteArray("5Score"));
    QCOMPARE(TextAfterText("none", "Score"), QByteArray("none"));
    QCOMPARE(TextBeforeText("none", "Score"), QByteArray("none"));
}

void tst_Globals::take_text_before_leaves_the_search_text()
{
    QByteArray text = "12Score5";
    QCOMPARE(TakeTextBefore(text, "Score"), QByteArray("12"));
    QCOMPARE(text, QByteArray("Score5"));

    QByteArray other = "plain";
    QCOMPARE(TakeTextBefore(other, "Score"), QByteArray("plain"));
    QVERIFY(other.isEmpty());
}

void tst_Globals::take_line_consumes_through_crlf()
{
    QByteArray buffer = "one\r\ntwo";
    QCOMPARE(TakeLine(buffer), QByteArray("one"));
    QCOMPARE(buffer, QByteArray("two"));
    QCOMPARE(TakeLine(buffer), QByteArray("two"));
    QVERIFY(buffer.isEmpty());

    QByteArray bareLf = "a\nb\r\n";
    QCOMPARE(TakeLine(bareLf), QByteArray("a\nb"));
    QVERIFY(bareLf.isEmpty());
}

void tst_Globals::replace_all_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("search");
    QTest::addColumn<QByteArray>("replacement");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("insertion is not searched again") << QByteArray("aXa") << QByteArray("a")
                                                     << QByteArray("aa") << true << QByteArray("aaXaa");
    QTest::newRow("caseless") << QByteArray("ABC") << QByteArray("b") << QByteArray("-") << false
                              << QByteArray("A-C");
    QTest::newRow("case-sensitive miss") << QByteArray("ABC") << QByteArray("b") << QByteArray("-")
                                         << true << QByteArray("ABC");
    QTest::newRow("empty search never occurs") << QByteArray("abc") << QByteArray("")
                                               << QByteArray("x") << true << QByteArray("abc");
    QTest::newRow("only a-z fold") << QByteArray("\xe9\xc9") << QByteArray("\xe9") << QByteArray("e")
                                   << false << QByteArray("e\xc9");
    QTest::newRow("overlapping occurrences") << QByteArray("aaa") << QByteArray("aa")
                                             << QByteArray("b") << true << QByteArray("ba");
    QTest::newRow("removal") << QByteArray("a&b&&c") << QByteArray("&") << QByteArray("")
                             << true << QByteArray("abc");
}

void tst_Globals::replace_all()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, search);
    QFETCH(QByteArray, replacement);
    QFETCH(bool, caseSensitive);
    QFETCH(QByteArray, expected);
    QCOMPARE(ReplaceAll(text, search, replacement, caseSensitive), expected);
}

void tst_Globals::pad_left()
{
    QCOMPARE(PadLeft("7", "0", 3), QByteArray("007"));
    QCOMPARE(PadLeft("1234", "0", 3), QByteArray("1234"));
    QCOMPARE(PadLeft("7", "", 3), QByteArray("7"));
    QCOMPARE(PadLeft("7", "_x", 4), QByteArray("___7"));
}

void tst_Globals::lenient_number_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("expected");
    QTest::newRow("trailing colon") << QByteArray("12:") << 12;
    QTest::newRow("fraction dropped") << QByteArray(" 3.7") << 3;
    QTest::newRow("letters around a sign") << QByteArray("a-4b") << -4;
    QTest::newRow("sign after a digit") << QByteArray("1-2") << 0;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("lone sign") << QByteArray("-") << 0;
    QTest::newRow("two signs") << QByteArray("--4") << 0;
    QTest::newRow("dot first") << QByteArray(".5") << 0;
    QTest::newRow("port after host") << QByteArray("host:5000") << 5000;
    QTest::newRow("max") << QByteArray("2147483647") << 2147483647;
    QTest::newRow("min") << QByteArray("-2147483648") << int(-2147483648LL);
    QTest::newRow("overflow") << QByteArray("2147483648") << 0;
    QTest::newRow("huge") << QByteArray("99999999999999999999999") << 0;
    QTest::newRow("leading zeros") << QByteArray("0023") << 23;
    QTest::newRow("digits after the dot ignored") << QByteArray("1.2.3-") << 1;
    QTest::newRow("high bytes ignored") << QByteArray("\xb1" "42\xff") << 42;
}

void tst_Globals::lenient_number()
{
    QFETCH(QByteArray, text);
    QFETCH(int, expected);
    QCOMPARE(LenientNumber(text), expected);
}

void tst_Globals::strips_codes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("leading");
    QTest::addColumn<QByteArray>("leadingPlain");
    QTest::addColumn<QByteArray>("all");

    QTest::newRow("codes then name") << QByteArray("\x1b[1\x1b[B  Bob ") << QByteArray("Bob")
                                     << QByteArray("Bob") << QByteArray("Bob");
    QTest::newRow("codes inside") << QByteArray("\x1b[1Bo\x1b[4b") << QByteArray("Bo\x1b[4b")
                                  << QByteArray("Bo\x1b[4b") << QByteArray("Bob");
    QTest::newRow("end code") << QByteArray("\x1b[5+Ann\x1b]x") << QByteArray("+Ann\x1b]x")
                              << QByteArray("+Ann") << QByteArray("+Ann\x1b]x");
    QTest::newRow("cut pair at the very end") << QByteArray("Ann\x1b[") << QByteArray("Ann\x1b[")
                                              << QByteArray("Ann\x1b[") << QByteArray("Ann");
    QTest::newRow("removal joins a new pair") << QByteArray("A\x1b\x1b[x[yB")
                                              << QByteArray("A\x1b\x1b[x[yB")
                                              << QByteArray("A\x1b\x1b[x[yB") << QByteArray("AB");
    QTest::newRow("controls trimmed") << QByteArray("\r\n\tX\x01 ") << QByteArray("X")
                                      << QByteArray("X") << QByteArray("X");
}

void tst_Globals::strips_codes()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, leading);
    QFETCH(QByteArray, leadingPlain);
    QFETCH(QByteArray, all);
    QCOMPARE(StripLeadingCodes(text), leading);
    QCOMPARE(LeadingPlainText(text), leadingPlain);
    QCOMPARE(StripCodes(text), all);
}

void tst_Globals::plain_user_name_drops_one_rank_mark()
{
    QCOMPARE(PlainUserName("\x1b[3*Bob"), QByteArray("Bob"));
    QCOMPARE(PlainUserName("Bob"), QByteArray("Bob"));
    QCOMPARE(PlainUserName("**Bob"), QByteArray("*Bob"));
    QCOMPARE(PlainUserName("\x1b[1\xbf" "Eve"), QByteArray("Eve"));
    QCOMPARE(PlainUserName(""), QByteArray(""));
    // No trim after the mark is removed.
    QCOMPARE(PlainUserName("$ Sys"), QByteArray(" Sys"));
}

void tst_Globals::user_rank_data()
{
    QTest::addColumn<QByteArray>("caption");
    QTest::addColumn<int>("rank");
    QTest::newRow("coded plus") << QByteArray("\x1b[5+Ann\x1b]x") << 5;
    QTest::newRow("no mark") << QByteArray("Ann") << 2;
    QTest::newRow("empty") << QByteArray() << 2;
    const char marks[] = {'!', '*', '+', '\xb1', '\xa4', '^', '$', '\xa2', '\x95', '\xa5', '\xbf'};
    for (int i = 0; i < 11; ++i) {
        QTest::addRow("mark %d", i) << (QByteArray(1, marks[i]) + "Name") << (3 + i);
    }
    QTest::newRow("mark after a code inside is not leading")
        << QByteArray("A\x1b[1$B") << 2;
}

void tst_Globals::user_rank()
{
    QFETCH(QByteArray, caption);
    QFETCH(int, rank);
    QCOMPARE(UserRank(caption), rank);
}

VT_TEST_MAIN(tst_Globals)
#include "tst_globals.moc"
