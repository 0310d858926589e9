#pragma once

#include <QObject>
#include <QString>

class TMemForm;
struct TChirpReadIn;

// The memory window's exchange with CHIRP CSV channel lists: export of the rows shown and
// read-in into the current bank table, with a report of what mapped where.
class TChirpExchange : public QObject {
    Q_OBJECT

public:
    TChirpExchange(TMemForm& form, QObject* parent);

    // Every row the view shows that holds a frequency, in its order.
    void ExportChirpCsv1();
    // The file's rows replace the rows of their channels; the report follows.
    void ReadinaChirpCsvfile1();

private:
    TMemForm& FForm;
};

// What a read-in did: rows read in, the columns mapped, what was dropped, the lines skipped.
QString ChirpReportText(const TChirpReadIn& result);
