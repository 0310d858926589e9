// CTCSS list files: which lines become assignments, which are skipped, and when the file is
// refused as a whole.
#include "CtcssList.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCtcssList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ToneNamesAreCutAndTrimmed() {
        const QStringList& names = CtcssToneNames();
        QCOMPARE(names.size(), 56);
        QCOMPARE(names.mid(0, 3), (QStringList{u"Off ?"_s, u"SRCH"_s, u"N/U"_s}));
        QCOMPARE(names[6], u"94.8"_s);
        QCOMPARE(CtcssToneIndex(u"103.5"_s), 8);
        QCOMPARE(CtcssToneIndex(u"srch"_s), 1);
        QCOMPARE(CtcssToneIndex(u"94.8 F"_s), -1);
    }

    void Lines_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QList<TCtcssAssignment>>("assignments");
        QTest::addColumn<int>("skipped");
        using L = QList<TCtcssAssignment>;
        QTest::newRow("two lines")
            << QByteArray("12,94.8\n250,Off ?\n") << L{{12, 6}, {250, 0}} << 0;
        QTest::newRow("CR LF, no final newline")
            << QByteArray("12,94.8\r\n7,67.0") << L{{12, 6}, {7, 34}} << 0;
        QTest::newRow("channel blanks trimmed") << QByteArray(" 12 ,94.8\n") << L{{12, 6}} << 0;
        QTest::newRow("blank after the comma") << QByteArray("12, 94.8\n") << L{} << 1;
        QTest::newRow("no comma, blank line")
            << QByteArray("hello\n\n12,94.8\n") << L{{12, 6}} << 2;
        QTest::newRow("unknown tone") << QByteArray("12,94.9\n") << L{} << 1;
        QTest::newRow("channel out of range") << QByteArray("1000,94.8\n-1,94.8\n") << L{} << 2;
    }
    void Lines() {
        QFETCH(QByteArray, content);
        QFETCH(QList<TCtcssAssignment>, assignments);
        QFETCH(int, skipped);
        const TCtcssList list = ParseCtcssList(content);
        QVERIFY2(list.Error.isEmpty(), qPrintable(list.Error));
        QCOMPARE(list.Assignments, assignments);
        QCOMPARE(list.SkippedLines, skipped);
    }

    void ChannelThatIsNoNumberRefusesTheFile() {
        const TCtcssList list = ParseCtcssList("12,94.8\nabc,67.0\n13,67.0\n");
        QVERIFY(list.Assignments.isEmpty());
        QVERIFY2(list.Error.startsWith(u"Line 2: 'abc'"_s), qPrintable(list.Error));
    }

    void MissingFileSaysSo() {
        const TCtcssList list = ReadCtcssList(u"/nonexistent/x.ctcss"_s);
        QVERIFY(list.Error.startsWith(u"Cannot open /nonexistent/x.ctcss"_s));
    }
};

QTEST_GUILESS_MAIN(TestCtcssList)
#include "tst_ctcsslist.moc"
