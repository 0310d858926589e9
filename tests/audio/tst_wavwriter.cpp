#include "WavWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint32 U32At(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

quint16 U16At(const QByteArray& bytes, int at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

// The header fields a player reads, checked against the samples that follow.
void VerifyWav(const QByteArray& file, TWavFormat format, const QByteArray& samples) {
    QCOMPARE(file.size(), kWavHeaderBytes + samples.size());
    QCOMPARE(file.left(4), QByteArray("RIFF"));
    QCOMPARE(U32At(file, 4), quint32(36 + samples.size()));
    QCOMPARE(file.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(U32At(file, 16), 16u);
    QCOMPARE(U16At(file, 20), quint16(1)); // PCM
    QCOMPARE(U16At(file, 22), quint16(1)); // mono
    QCOMPARE(U32At(file, 24), quint32(format.SampleRate));
    QCOMPARE(U32At(file, 28), quint32(format.SampleRate * format.BitsPerSample / 8));
    QCOMPARE(U16At(file, 32), quint16(format.BitsPerSample / 8));
    QCOMPARE(U16At(file, 34), quint16(format.BitsPerSample));
    QCOMPARE(file.mid(36, 4), QByteArray("data"));
    QCOMPARE(U32At(file, 40), quint32(samples.size()));
    QCOMPARE(file.mid(kWavHeaderBytes), samples);
}

} // namespace

class TstWavWriter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(FDir.isValid()); }

    void formats_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("bits");
        QTest::addColumn<QByteArray>("samples");
        QTest::newRow("8 bit 8000 Hz") << 8000 << 8 << QByteArray("\x80\xff\x00\x7f\x81", 5);
        QTest::newRow("16 bit 11025 Hz")
            << 11025 << 16 << QByteArray("\x00\x80\xff\x7f\x01\x00", 6);
    }
    void formats() {
        QFETCH(int, rate);
        QFETCH(int, bits);
        QFETCH(QByteArray, samples);
        const TWavFormat format{rate, bits};
        const QString name = FDir.filePath(QStringLiteral("a.wav"));
        TWavWriter writer;
        QVERIFY2(writer.Open(name, format), qPrintable(writer.ErrorText()));
        // Written in two pieces, as a sound device delivers it.
        const qsizetype half =
            samples.size() / 2 / format.BytesPerSample() * format.BytesPerSample();
        QCOMPARE(writer.Write(samples.constData(), half), half);
        QCOMPARE(writer.Write(samples.constData() + half, samples.size() - half),
                 samples.size() - half);
        QVERIFY(writer.Save());
        VerifyWav(ReadAll(name), format, samples);
        QVERIFY(!QFile::exists(name + QStringLiteral(".part")));
    }

    void partFileGrowsThenIsRenamedOverAnOldFile() {
        const QString name = FDir.filePath(QStringLiteral("b.wav"));
        const QString part = name + QStringLiteral(".part");
        {
            QFile old(name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older recording");
        }
        TWavWriter writer;
        QVERIFY(writer.Open(name, kWav8Bit));
        QCOMPARE(writer.PartFileName(), part);
        const QByteArray first(800, '\x40');
        writer.Write(first.constData(), first.size());
        QVERIFY(writer.UpdateHeader());
        // Until saved, the part file plays what has been recorded and the old file is untouched.
        VerifyWav(ReadAll(part), kWav8Bit, first);
        QCOMPARE(ReadAll(name), QByteArray("an older recording"));
        QCOMPARE(writer.DurationMs(), 100);

        const QByteArray second(400, '\x50');
        writer.Write(second.constData(), second.size());
        QVERIFY(writer.Save());
        VerifyWav(ReadAll(name), kWav8Bit, first + second);
        QVERIFY(!QFile::exists(part));
    }

    void failedSaveKeepsThePartFile() {
        const QString name = FDir.filePath(QStringLiteral("c.wav"));
        // A folder with something in it cannot be replaced by a file.
        QVERIFY(QDir(FDir.path()).mkpath(QStringLiteral("c.wav/inside")));
        TWavWriter writer;
        QVERIFY(writer.Open(name, kWav16Bit));
        const QByteArray samples(2205, '\x11');
        QCOMPARE(writer.Write(samples.constData(), samples.size()), 2204); // whole samples only
        QVERIFY(!writer.Save());
        QVERIFY(writer.ErrorText().contains(QStringLiteral("c.wav")));
        VerifyWav(ReadAll(writer.PartFileName()), kWav16Bit, samples.left(2204));
    }

    void stopsShortOfTheSizeLimit() {
        TWavWriter writer;
        writer.LimitBytes = 11;
        QVERIFY(writer.Open(FDir.filePath(QStringLiteral("d.wav")), kWav16Bit));
        const QByteArray samples(16, '\x22');
        QCOMPARE(writer.Write(samples.constData(), 6), 6);
        QVERIFY(!writer.Full());
        // Only whole samples fit below the limit; the rest is for the next file.
        QCOMPARE(writer.Write(samples.constData(), 10), 4);
        QVERIFY(writer.Full());
        QCOMPARE(writer.Write(samples.constData(), 2), 0);
        QVERIFY(writer.Save());
        QCOMPARE(ReadAll(writer.FileName()).size(), kWavHeaderBytes + 10);
    }

    void theFormatsLimitFitsTheSizeFields() {
        // The largest data a file may hold still gives a RIFF size that fits 32 bits.
        const QByteArray header = WavHeader(kWav8Bit, kWavMaxDataBytes);
        QCOMPARE(U32At(header, 4), 0xFFFFFFFFu);
        QCOMPARE(qint64{U32At(header, 40)}, kWavMaxDataBytes);
    }

private:
    QTemporaryDir FDir;
};

QTEST_GUILESS_MAIN(TstWavWriter)
#include "tst_wavwriter.moc"
