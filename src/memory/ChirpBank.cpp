#include "ChirpBank.h"

#include "Kv7Bank.h"

#include <QSaveFile>

using namespace Qt::StringLiterals;

bool ExportChirpCsv(TTableView& view, const QString& path, QString& error) {
    QSaveFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly) && file.write(ChirpCsvHeader()) >= 0 &&
                    ForEachShownRow(view,
                                    [&file](const TKv7Values& values) {
                                        return file.write(ChirpCsvLine(values)) >= 0;
                                    }) &&
                    file.commit();
    if (!ok)
        error = path + u": "_s + file.errorString();
    return ok;
}

TChirpReadIn ReadChirpIntoBank(TDataModule1& data, const QString& path) {
    TChirpReadIn result;
    result.Contents = ReadChirpCsvFile(path);
    if (!result.Contents.Ok()) {
        result.Error = result.Contents.Error;
        return result;
    }
    result.Replaced = StoreRecordsInBank(data, result.Contents.Records, result.Error).value_or(0);
    result.Contents.Records.clear();
    return result;
}
