#include "CompanionFrame.h"
#include "CompanionText.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestCompanionFrame : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void FrequencyPacking_data() {
        QTest::addColumn<double>("mhz");
        QTest::addColumn<int>("mode");
        QTest::addColumn<uint>("wParam");
        QTest::addColumn<uint>("lParam");
        QTest::newRow("145.675 USB") << 145.675 << 3 << 675000U << ((145U << 16) | 3U);
        QTest::newRow("below 1 MHz") << 0.5 << 0 << 500000U << 0U;
        QTest::newRow("whole MHz") << 7.0 << 7 << 0U << ((7U << 16) | 7U);
        // A value that is not exact in binary still rounds to its Hz.
        QTest::newRow("2599.999999") << 2599.999999 << 1 << 999999U << ((2599U << 16) | 1U);
        QTest::newRow("10.000001") << 10.000001 << 2 << 1U << ((10U << 16) | 2U);
    }
    void FrequencyPacking() {
        QFETCH(double, mhz);
        QFETCH(int, mode);
        QFETCH(uint, wParam);
        QFETCH(uint, lParam);
        const TPackedPair pair = PackFrequency(mhz, mode);
        QCOMPARE(pair.WParam, wParam);
        QCOMPARE(pair.LParam, lParam);
        QVERIFY(!IsTextHalf(pair));
    }

    void TuneRequest() {
        QCOMPARE(UnpackTuneRequest(50000, 7U << 16), 7.05);
        QCOMPARE(UnpackTuneRequest(675000, (145U << 16) | 3U), 145.675);
        QCOMPARE(UnpackTuneRequest(0, 2600U << 16), 2600.0);
    }

    void TextHalves_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::newRow("padded") << u"AB"_s << QByteArray("AB  ") << QByteArray("    ");
        QTest::newRow("cut to eight")
            << u"ABCDEFGHIJ"_s << QByteArray("ABCD") << QByteArray("EFGH");
        QTest::newRow("empty is zeros") << QString() << QByteArray(4, '\0') << QByteArray(4, '\0');
        QTest::newRow("8-bit") << u"\u00e9t\u00e9"_s << QByteArray("\xe9t\xe9 ")
                               << QByteArray("    ");
    }
    void TextHalves() {
        QFETCH(QString, text);
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        const auto halves = PackText(text);
        QCOMPARE(halves[0].LParam & 0xFFFF, kFirstHalfMark);
        QCOMPARE(halves[1].LParam & 0xFFFF, kSecondHalfMark);
        QVERIFY(IsTextHalf(halves[0]) && IsTextHalf(halves[1]));
        QCOMPARE(UnpackTextHalf(halves[0]), first);
        QCOMPARE(UnpackTextHalf(halves[1]), second);
    }

    void TextHalfLayout() {
        // c0 and c1 ride in the high half of lParam, c2 and c3 in wParam.
        const auto halves = PackText(u"AB"_s);
        QCOMPARE(halves[0], (TPackedPair{0x2020, 0x414200FF}));
        QCOMPARE(halves[1], (TPackedPair{0x2020, 0x202000FE}));
        QCOMPARE(PackText(QString())[0], (TPackedPair{0, 0xFF}));
        QCOMPARE(PackText(QString())[1], (TPackedPair{0, 0xFE}));
    }

    void FrameBytesAreLittleEndian() {
        const QByteArray bytes = EncodeFrame({kMsgQd3Frequency, 675000, (145U << 16) | 3U});
        QCOMPARE(bytes, QByteArray::fromHex("90050000"
                                            "b84c0a00"
                                            "03009100"));
    }

    void ReaderJoinsSplitFrames() {
        const TCompanionFrame a{kMsgTuneRequest, 50000, 7U << 16};
        const TCompanionFrame b{kMsgRecorderStatus, 12, 3};
        const QByteArray stream = EncodeFrame(a) + EncodeFrame(b);
        TFrameReader reader;
        QList<TCompanionFrame> frames;
        for (const char byte : stream) {
            reader.Feed(QByteArray(1, byte));
            while (const auto frame = reader.Next())
                frames.append(*frame);
        }
        QCOMPARE(frames, (QList<TCompanionFrame>{a, b}));
        QVERIFY(reader.TakeError().isEmpty());
        QCOMPARE(reader.Pending(), 0);
    }

    void ReaderRejectsGarbageAndRecovers() {
        TFrameReader reader;
        reader.Feed(QByteArray("garbage here and more"));
        QVERIFY(!reader.Next());
        const QString error = reader.TakeError();
        QVERIFY2(error.contains(u"unknown message number"_s), qPrintable(error));
        QCOMPARE(reader.Pending(), 0);
        const TCompanionFrame good{kMsgQd3Ends, 0, 0};
        reader.Feed(EncodeFrame(good));
        QCOMPARE(reader.Next(), std::optional(good));
        QVERIFY(reader.TakeError().isEmpty());
    }

    void ReaderRejectsShortFrameAtEnd() {
        TFrameReader reader;
        reader.Feed(EncodeFrame({kMsgTuneRequest, 1, 2}).left(7));
        QVERIFY(!reader.Next());
        QVERIFY(reader.TakeError().isEmpty());
        reader.Finish();
        QCOMPARE(reader.TakeError(), u"Companion frame rejected: 7 of 12 bytes"_s);
        QCOMPARE(reader.Pending(), 0);
    }

    void StandInCommands_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<uint>("message");
        QTest::addColumn<uint>("wParam");
        QTest::addColumn<uint>("lParam");
        QTest::newRow("tune") << u"tune 7.05"_s << true << kMsgTuneRequest << 50000U << (7U << 16);
        QTest::newRow("status") << u"status 10 4410"_s << true << kMsgRecorderStatus << 4410U
                                << 10U;
        QTest::newRow("status alone") << u" status 7 "_s << true << kMsgRecorderStatus << 0U << 7U;
        QTest::newRow("end") << u"end"_s << true << kMsgQd3Ends << 0U << 0U;
        QTest::newRow("raw") << u"send 0x596 1 0x3"_s << true << kMsgRecorderStatus << 1U << 3U;
        QTest::newRow("tune text") << u"tune abc"_s << false << 0U << 0U << 0U;
        QTest::newRow("raw too big") << u"send 1 2 0x100000000"_s << false << 0U << 0U << 0U;
        QTest::newRow("unknown") << u"hello"_s << false << 0U << 0U << 0U;
    }
    void StandInCommands() {
        QFETCH(QString, line);
        QFETCH(bool, valid);
        const auto frame = ParseCommandLine(line);
        QCOMPARE(frame.has_value(), valid);
        if (!valid)
            return;
        QFETCH(uint, message);
        QFETCH(uint, wParam);
        QFETCH(uint, lParam);
        QCOMPARE(*frame, (TCompanionFrame{message, wParam, lParam}));
    }

    void DescriptionsDecode() {
        const TPackedPair freq = PackFrequency(145.675, 3);
        QVERIFY(DescribeFrame({kMsgQd3Frequency, freq.WParam, freq.LParam})
                    .endsWith(u"frequency 145.675000 MHz mode 3"_s));
        const auto halves = PackText(u"AB"_s);
        QVERIFY(DescribeFrame({kMsgQd3CallSign, halves[0].WParam, halves[0].LParam})
                    .endsWith(u"text first half \"AB  \""_s));
        QVERIFY(DescribeFrame({kMsgQd3Frequency, 0, 0}).endsWith(u"link ends"_s));
        QVERIFY(DescribeFrame({kMsgRecorderStatus, 5, 0x83}).endsWith(u"status 3 value 5"_s));
    }
};

QTEST_APPLESS_MAIN(TestCompanionFrame)
#include "tst_companionframe.moc"
