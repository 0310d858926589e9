// The categories table of a log: its file names, its creation, finding or adding a category by
// its exact text, the length check, and when a category may be deleted.
#include "log/LogFixture.h"
#include "support/ScriptedPrompt.h"

#include "CategoryTable.h"
#include "TableEngine.h"
#include "TableView.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCategories : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { SetPrompt(std::make_unique<TScriptedPrompt>()); }
    void companionFileNames_data();
    void companionFileNames();
    void creation_data();
    void creation();
    void findOrAddCategory();
    void lengthCheckOfTheViews();
    void deleteRefusal();

private:
    TScriptedPrompt& Prompted() { return static_cast<TScriptedPrompt&>(Prompt()); }
};

void TestCategories::companionFileNames_data() {
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("categories");
    QTest::addColumn<QString>("subSelects");
    QTest::newRow("plain") << u"/d/Log_Kv7.DB"_s << u"/d/Log_Kv7_Categories.DB"_s
                           << u"/d/Log_Kv7_SubSelects.DB"_s;
    QTest::newRow("lower case") << u"/d/log_kv7.db"_s << u"/d/log_kv7_Categories.DB"_s
                                << u"/d/log_kv7_SubSelects.DB"_s;
    QTest::newRow("last .DB only")
        << u"/d/A.DB.DB"_s << u"/d/A.DB_Categories.DB"_s << u"/d/A.DB_SubSelects.DB"_s;
    QTest::newRow("folder named .DB")
        << u"/d.DB/Band"_s << u"/d.DB/Band_Categories.DB"_s << u"/d.DB/Band_SubSelects.DB"_s;
}

void TestCategories::companionFileNames() {
    QFETCH(QString, log);
    QFETCH(QString, categories);
    QFETCH(QString, subSelects);
    QCOMPARE(CategoryTableFileFor(log), categories);
    QCOMPARE(SubSelectsFileFor(log), subSelects);
}

void TestCategories::creation_data() {
    QTest::addColumn<QString>("logName");
    QTest::newRow("plain") << u"Log_Kv7.DB"_s;
    QTest::newRow("quote, space, semicolon, non-ASCII") << u"Band \"Wätch\"; Ø_Kv7.DB"_s;
}

void TestCategories::creation() {
    QFETCH(QString, logName);
    TLogFixture fixture(logName);
    const QString path = fixture.CategoryPath;
    QVERIFY(QFile::exists(path));
    // Nothing of the creation is left beside the tables.
    QCOMPARE(QDir(fixture.Dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({logName, QFileInfo(path).fileName()}));

    const auto columns = fixture.Engine.Columns(QuoteFileName(path));
    QVERIFY2(columns, qPrintable(fixture.Engine.LastError()));
    QCOMPARE(columns->size(), 2u);
    QCOMPARE(columns->at(0).Name, u"ID"_s);
    QCOMPARE(columns->at(1).Name, u"Category"_s);
    QCOMPARE(columns->at(1).Type.toUpper(), u"VARCHAR(16)"_s);
    const TTranslation ref = fixture.Engine.Translate(u"SELECT * FROM "_s + QuoteFileName(path));
    QVERIFY(ref.Ok());
    const auto index = fixture.Engine.QueryValueNative(
        u"SELECT sql FROM "_s + QuoteIdentifier(ref.Targets.front().Schema) +
        u".sqlite_master WHERE type = 'index' AND name = 'CategoryIX'"_s);
    QVERIFY(index && index->toString().contains(u"(Category)"_s));

    // IDs are given by the table; an existing table is left as it is.
    QCOMPARE(fixture.AddCategory(u"Air"_s), 1);
    QCOMPARE(fixture.AddCategory(u"Marine"_s), 2);
    QString error;
    QVERIFY(EnsureCategoryTable(fixture.Engine, path, error));
    QCOMPARE(fixture.Query(u"SELECT count(*) FROM "_s + QuoteFileName(path)).toInt(), 2);
}

void TestCategories::findOrAddCategory() {
    TLogFixture fixture;
    const qint64 ham = fixture.AddCategory(u"Ham"_s);
    QString error;
    QCOMPARE(FindOrAddCategory(fixture.Engine, fixture.CategoryPath, u"Ham"_s, error), ham);
    const auto upper = FindOrAddCategory(fixture.Engine, fixture.CategoryPath, u"HAM"_s, error);
    QVERIFY(upper && *upper != ham);
    QCOMPARE(fixture
                 .Query(u"SELECT Category FROM "_s + QuoteFileName(fixture.CategoryPath) +
                            u" WHERE ID = ?"_s,
                        {*upper})
                 .toString(),
             u"HAM"_s);

    const QString full = u"0123456789ABCDEF"_s;
    const auto fits = FindOrAddCategory(fixture.Engine, fixture.CategoryPath, full, error);
    QVERIFY(fits);
    QCOMPARE(fixture
                 .Query(u"SELECT Category FROM "_s + QuoteFileName(fixture.CategoryPath) +
                            u" WHERE ID = ?"_s,
                        {*fits})
                 .toString(),
             full);
    const int before =
        fixture.Query(u"SELECT count(*) FROM "_s + QuoteFileName(fixture.CategoryPath)).toInt();
    for (const QString& refused : {full + u'G', QString()}) {
        error.clear();
        QVERIFY(!FindOrAddCategory(fixture.Engine, fixture.CategoryPath, refused, error));
        QVERIFY(!error.isEmpty());
    }
    QVERIFY2(error.isEmpty() == false, "empty text refused with a reason");
    QCOMPARE(CategoryTextRefusal(full + u'G'),
             u"\"0123456789ABCDEFG\" is too long for a category: at most 16 characters"_s);
    QCOMPARE(
        fixture.Query(u"SELECT count(*) FROM "_s + QuoteFileName(fixture.CategoryPath)).toInt(),
        before);
}

void TestCategories::lengthCheckOfTheViews() {
    TLogFixture fixture;
    fixture.AddCategory(u"Air"_s);
    TTableView view(fixture.Engine);
    view.OnValidate = CategoryFieldValidate;
    view.SetSql(u"Select * from "_s + QuoteFileName(fixture.CategoryPath) + u" Order by ID"_s);
    QVERIFY(view.Open());
    QVERIFY(view.Edit());
    // Refused whole, not cut to the field's size.
    QVERIFY(!view.SetField(u"Category", u"Air traffic control"_s, TAssignOrigin::User));
    QCOMPARE(Prompted().Errors, QStringList({CategoryTextRefusal(u"Air traffic control"_s)}));
    QCOMPARE(view.Value(u"Category").toString(), u"Air"_s);
    QVERIFY(view.SetField(u"Category", u"Air traffic ctl"_s, TAssignOrigin::User));
    QVERIFY(view.Post());
    QCOMPARE(Prompted().Errors.size(), 1);
    QCOMPARE(
        fixture.Query(u"SELECT Category FROM "_s + QuoteFileName(fixture.CategoryPath)).toString(),
        u"Air traffic ctl"_s);
}

void TestCategories::deleteRefusal() {
    TLogFixture fixture(u"Band Watch_Kv7.DB"_s);
    const qint64 air = fixture.AddCategory(u"Air"_s);
    const qint64 marine = fixture.AddCategory(u"Marine"_s);
    const qint64 row = fixture.AddLogRow(118.1, air);
    fixture.AddLogRow(156.8);
    const QString usedInLog =
        u"You cannot delete that Category\r\nIt is used on the main log table."_s;
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, air), usedInLog);
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, marine), QString());

    QVERIFY(fixture.Engine.Execute(u"UPDATE "_s + QuoteFileName(fixture.LogPath) +
                                       u" SET CategoryID = ? WHERE ID = ?"_s,
                                   {marine, row}));
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, air), QString());
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, marine), usedInLog);

    // A saved sub-selection that uses a category keeps it; one without categories does not.
    const QString subSelects = QuoteFileName(SubSelectsFileFor(fixture.LogPath));
    QVERIFY(fixture.Engine.Execute(u"CREATE TABLE "_s + subSelects +
                                   u" (ID AUTOINC,Title VARCHAR(40),PRIMARY KEY(ID))"_s));
    QVERIFY(fixture.Engine.Execute(u"INSERT INTO "_s + subSelects + u" (Title) VALUES ('x')"_s));
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, air), QString());
    QVERIFY(fixture.Engine.Execute(u"DROP TABLE "_s + subSelects));
    QVERIFY(fixture.Engine.Execute(u"CREATE TABLE "_s + subSelects +
                                   u" (ID AUTOINC,CategoryID INTEGER,PRIMARY KEY(ID))"_s));
    QVERIFY(fixture.Engine.Execute(u"INSERT INTO "_s + subSelects + u" (CategoryID) VALUES (?)"_s,
                                   {air}));
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, air),
             u"You cannot delete that Category\r\nIt is used in a saved sub selection."_s);
    // The log table is asked first.
    QCOMPARE(CategoryDeleteRefusal(fixture.Engine, fixture.LogPath, marine), usedInLog);
}

QTEST_GUILESS_MAIN(TestCategories)
#include "tst_categories.moc"
