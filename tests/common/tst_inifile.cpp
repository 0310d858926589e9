#include "IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestIniFile : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FDir;

    QString Write(const QByteArray& content) {
        const QString path = FDir.filePath(u"Kovela.INI"_s);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0)
            qFatal("cannot write the fixture");
        return path;
    }

    QByteArray Read(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void readsWithDefaults_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("asInteger");
        QTest::addColumn<bool>("asBool");
        QTest::newRow("one") << u"One"_s << 1 << true;
        QTest::newRow("any non-zero is true") << u"Seven"_s << 7 << true;
        QTest::newRow("zero") << u"Zero"_s << 0 << false;
        QTest::newRow("not a number: default") << u"Garbage"_s << -5 << true;
        QTest::newRow("missing: default") << u"Missing"_s << -5 << true;
        QTest::newRow("key case ignored") << u"SEVEN"_s << 7 << true;
    }

    void readsWithDefaults() {
        QFETCH(QString, key);
        QFETCH(int, asInteger);
        QFETCH(bool, asBool);
        const TIniFile ini(Write("[settings]\r\nOne=1\r\nSeven=7\r\nZero=0\r\nGarbage=x1\r\n"));
        QCOMPARE(ini.ReadInteger(u"Settings"_s, key, -5), asInteger);
        QCOMPARE(ini.ReadBool(u"SETTINGS"_s, key, true), asBool);
    }

    void writingKeepsWhatItDoesNotKnow() {
        const QString path = Write("; a comment\n[Settings]\nComPort=Com 1\n\n[Other]\nX=y\n");
        TIniFile ini(path);
        QVERIFY(ini.WriteString(u"settings"_s, u"comport"_s, u"Com 3"_s));
        QVERIFY(ini.WriteBool(u"Settings"_s, u"Hints"_s, false));
        QVERIFY(ini.WriteInteger(u"New"_s, u"Port"_s, 1024));
        QCOMPARE(Read(path), QByteArray("; a comment\r\n[Settings]\r\nComPort=Com 3\r\nHints=0\r\n"
                                        "\r\n[Other]\r\nX=y\r\n[New]\r\nPort=1024\r\n"));
        // A second object sees what the first wrote: nothing is cached between operations.
        const TIniFile again(path);
        QCOMPARE(again.ReadString(u"SETTINGS"_s, u"ComPort"_s, {}), u"Com 3"_s);
        QCOMPARE(again.ReadSection(u"settings"_s), (QStringList{u"ComPort"_s, u"Hints"_s}));
    }

    void headerWithoutNameKeepsItsKeysApart() {
        // Found by fuzzing: "[]" was dropped on writing, so the keys under it moved into the
        // section above.
        const QString path = Write("[Settings]\nComPort=1\n[]\nStray=2\n");
        TIniFile ini(path);
        QVERIFY(ini.WriteString(u"Other"_s, u"Key"_s, u"v"_s));
        QCOMPARE(Read(path), QByteArray("[Settings]\r\nComPort=1\r\n[]\r\nStray=2\r\n[Other]\r\n"
                                        "Key=v\r\n"));
        QCOMPARE(TIniFile(path).ReadSection(u"Settings"_s), QStringList{u"ComPort"_s});
    }

    void missingFileIsCreatedOnFirstWrite() {
        const QString path = FDir.filePath(u"new.ini"_s);
        TIniFile ini(path);
        QVERIFY(!ini.Exists());
        QCOMPARE(ini.ReadString(u"A"_s, u"B"_s, u"default"_s), u"default"_s);
        QVERIFY(ini.WriteString(u"A"_s, u"B"_s, u"c"_s));
        QVERIFY(ini.Exists());
        QCOMPARE(Read(path), QByteArray("[A]\r\nB=c\r\n"));
    }

    void unreadableFileIsNeverOverwritten() {
        // A folder where the file should be cannot be read (a permission test would not work
        // for root).
        const QString path = FDir.filePath(u"folder.ini"_s);
        QVERIFY(QDir().mkpath(path));
        TIniFile ini(path);
        QVERIFY(!ini.ErrorText().isEmpty());
        QVERIFY(!ini.WriteString(u"A"_s, u"B"_s, u"c"_s));
        QVERIFY(ini.ErrorText().contains(path));
        QVERIFY(QFileInfo(path).isDir());
    }

    void latin1FileStaysLatin1() {
        const QString path = Write("[Log]\nName=Z\xfcrich\n");
        TIniFile ini(path);
        QCOMPARE(ini.ReadString(u"Log"_s, u"Name"_s, {}), u"Z\u00fcrich"_s);
        QVERIFY(ini.WriteString(u"Log"_s, u"Other"_s, u"1"_s));
        QCOMPARE(Read(path), QByteArray("[Log]\r\nName=Z\xfcrich\r\nOther=1\r\n"));
    }

    void deleteAndErase() {
        const QString path = Write("[A]\nx=1\ny=2\n[B]\nz=3\n");
        TIniFile ini(path);
        QVERIFY(ini.DeleteKey(u"a"_s, u"X"_s));
        QVERIFY(ini.EraseSection(u"b"_s));
        QCOMPARE(Read(path), QByteArray("[A]\r\ny=2\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
