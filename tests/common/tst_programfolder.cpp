#include "ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Where the files shipped with the program are found, for each way it can be laid out on disk.
class TestProgramFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void shippedDataFile_data() {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("executableFolder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected"); // relative to the layout's root; empty: not found

        QTest::newRow("build tree: beside the executable")
            << QStringList{u"build/src/app/help/Kv7Help.html"_s} << u"build/src/app"_s
            << u"help/Kv7Help.html"_s << u"build/src/app/help/Kv7Help.html"_s;
        QTest::newRow("installed: the prefix's share/kovela")
            << QStringList{u"usr/bin/kovela"_s, u"usr/share/kovela/IARU_Beacons.dat"_s}
            << u"usr/bin"_s << u"IARU_Beacons.dat"_s << u"usr/share/kovela/IARU_Beacons.dat"_s;
        QTest::newRow("installed under any prefix")
            << QStringList{u"opt/kv/share/kovela/help/Kv7Help.html"_s} << u"opt/kv/bin"_s
            << u"help/Kv7Help.html"_s << u"opt/kv/share/kovela/help/Kv7Help.html"_s;
        QTest::newRow("a copy beside the executable wins")
            << QStringList{u"usr/bin/IARU_Beacons.dat"_s, u"usr/share/kovela/IARU_Beacons.dat"_s}
            << u"usr/bin"_s << u"IARU_Beacons.dat"_s << u"usr/bin/IARU_Beacons.dat"_s;
        QTest::newRow("another program's share folder is not ours")
            << QStringList{u"usr/share/IARU_Beacons.dat"_s, u"usr/share/other/IARU_Beacons.dat"_s}
            << u"usr/bin"_s << u"IARU_Beacons.dat"_s << QString();
        QTest::newRow("nowhere") << QStringList{} << u"usr/bin"_s << u"IARU_Beacons.dat"_s
                                 << QString();
    }

    void shippedDataFile() {
        QFETCH(QStringList, files);
        QFETCH(QString, executableFolder);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(QDir(root.path()).mkpath(executableFolder));
        for (const QString& file : files) {
            QVERIFY(QDir(root.path()).mkpath(QFileInfo(root.filePath(file)).path()));
            QFile created(root.filePath(file));
            QVERIFY(created.open(QIODevice::WriteOnly));
        }
        const QString found = ShippedDataFileFrom(root.filePath(executableFolder), name);
        // Cleaned, so messages and the help viewer show a path without "bin/..".
        QCOMPARE(found, expected.isEmpty() ? QString() : root.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_programfolder.moc"
