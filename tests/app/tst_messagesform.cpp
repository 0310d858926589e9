// The messages window: the layout of its list, line breaks, the message log file and its buttons.
#include "ErrorInfoMessageForm.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QString Stamp(const QDateTime& when) {
    return QLocale::system().toString(when, QLocale::ShortFormat);
}

// The stamp is taken between `before` and `after`; the minute may turn meanwhile.
bool IsStamp(const QString& line, const QDateTime& before, const QDateTime& after) {
    return line == Stamp(before) || line == Stamp(after);
}

QStringList MemoLines(const TErrorInfoMessageForm& form) {
    return form.findChild<QPlainTextEdit*>(u"Memo1"_s)->toPlainText().split(u'\n');
}

QByteArray ReadFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void Click(const TErrorInfoMessageForm& form, const QString& button) {
    auto* found = form.findChild<QToolButton*>(button);
    QVERIFY2(found, qPrintable(button));
    found->click();
}

} // namespace

class TestMessagesForm : public QObject {
    Q_OBJECT

    QTemporaryDir FHome;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(FHome.isValid());
        qputenv("KOVELA_HOME", QFile::encodeName(FHome.path()));
    }

    void cleanup() {
        QFile::remove(TErrorInfoMessageForm::LogFileName());
        QDir(TErrorInfoMessageForm::LogFileName()).removeRecursively();
    }

    void aMessageShowsTheHiddenWindow() {
        TErrorInfoMessageForm form;
        QVERIFY(!form.isVisible());
        QCOMPARE(form.windowTitle(), u"Kv7 Messages"_s);
        QCOMPARE(form.geometry(), QRect(10, 10, 305, 260));
        form.AddMessage(u"AR5000 not found"_s);
        QVERIFY(form.isVisible());
    }

    void twoMessagesKeepTheirLayout() {
        TErrorInfoMessageForm form;
        const QDateTime before = QDateTime::currentDateTime();
        form.AddMessage(u"first"_s);
        form.AddMessage(u"second"_s);
        const QDateTime after = QDateTime::currentDateTime();

        // The list starts with one empty line; each message is a stamp, the text, an empty line.
        const QStringList lines = MemoLines(form);
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], QString());
        QVERIFY2(IsStamp(lines[1], before, after), qPrintable(lines[1]));
        QCOMPARE(lines[2], u"first"_s);
        QCOMPARE(lines[3], QString());
        QVERIFY2(IsStamp(lines[4], before, after), qPrintable(lines[4]));
        QCOMPARE(lines[5], u"second"_s);
        QCOMPARE(lines[6], QString());
        QCOMPARE(form.Text(), lines.join(u"\r\n"_s));
    }

    void everyLineBreakBecomesCrLf_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("LF") << u"Timeout\nIn GetRx"_s << u"Timeout\r\nIn GetRx"_s;
        QTest::newRow("CR LF") << u"Timeout\r\nIn GetRx"_s << u"Timeout\r\nIn GetRx"_s;
        QTest::newRow("lone CR") << u"Timeout\rIn GetRx"_s << u"Timeout\r\nIn GetRx"_s;
        QTest::newRow("LF CR") << u"Timeout\n\rIn GetRx"_s << u"Timeout\r\nIn GetRx"_s;
        QTest::newRow("two LF") << u"a\n\nb"_s << u"a\r\n\r\nb"_s;
        QTest::newRow("trailing LF") << u"a\n"_s << u"a\r\n"_s;
    }

    void everyLineBreakBecomesCrLf() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        TErrorInfoMessageForm form;
        form.AddMessage(text);
        const QStringList entry = form.Text().split(u"\r\n"_s);
        // Leading empty line and stamp before, the closing empty line after.
        QCOMPARE(entry.mid(2, entry.size() - 3).join(u"\r\n"_s), shown);
        QCOMPARE(entry.last(), QString());
        QVERIFY(!form.Text().contains(QRegularExpression(u"\r(?!\n)|(?<!\r)\n"_s)));
    }

    void theLogFileFollowsTheSetting() {
        const QString logFile = TErrorInfoMessageForm::LogFileName();
        QCOMPARE(logFile, FHome.filePath(u"Kv7Message.log"_s));
        TErrorInfoMessageForm form;
        QVERIFY(form.CheckOpenErrorLogfile(false));
        form.AddMessage(u"not logged"_s);
        QVERIFY(!QFile::exists(logFile));

        const QDateTime before = QDateTime::currentDateTime();
        QVERIFY(form.CheckOpenErrorLogfile(true));
        QVERIFY(form.LogFileOpen());
        form.AddMessage(u"Timeout\nIn GetRx"_s);
        const QDateTime after = QDateTime::currentDateTime();
        QVERIFY(form.CheckOpenErrorLogfile(false));
        form.AddMessage(u"after closing"_s);
        const QByteArray first = ReadFile(logFile);
        const QList<QByteArray> lines = first.split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY2(IsStamp(QString::fromUtf8(lines[0]), before, after), lines[0].constData());
        QCOMPARE(lines.mid(1), (QList<QByteArray>{"Timeout", "In GetRx", "", ""}));

        // Opening again appends.
        QVERIFY(form.CheckOpenErrorLogfile(true));
        form.AddMessage(u"again"_s);
        QVERIFY(form.CheckOpenErrorLogfile(false));
        const QByteArray second = ReadFile(logFile);
        QVERIFY(second.startsWith(first));
        QVERIFY(second.endsWith("\nagain\n\n"));
    }

    void aLogFileThatCannotBeOpenedIsReported() {
        QVERIFY(QDir().mkpath(TErrorInfoMessageForm::LogFileName()));
        TErrorInfoMessageForm form;
        QVERIFY(!form.CheckOpenErrorLogfile(true));
        QVERIFY(!form.LogFileOpen());
        QVERIFY(form.Text().contains(u"Could not open the message log file "_s +
                                     TErrorInfoMessageForm::LogFileName()));
        form.AddMessage(u"still shown"_s);
        QCOMPARE(MemoLines(form).at(MemoLines(form).size() - 2), u"still shown"_s);
    }

    void buttonsCopyClearAndClose() {
        TErrorInfoMessageForm form;
        form.AddMessage(u"one"_s);
        form.AddMessage(u"two"_s);
        auto* memo = form.findChild<QPlainTextEdit*>(u"Memo1"_s);

        QApplication::clipboard()->clear();
        Click(form, u"ToolButton1"_s);
        QCOMPARE(QApplication::clipboard()->text(), memo->toPlainText());
        QVERIFY(!memo->textCursor().hasSelection());

        // After Clear the list has no lines at all: the next message starts at the top.
        Click(form, u"ToolButton2"_s);
        QCOMPARE(form.Text(), QString());
        form.AddMessage(u"three"_s);
        const QStringList lines = MemoLines(form);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[1], u"three"_s);

        Click(form, u"ToolButton3"_s);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestMessagesForm)
#include "tst_messagesform.moc"
