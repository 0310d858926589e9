#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The receiver's CTCSS tones as a list file names them: each tone of the receiver's table cut
// to five characters and trimmed ("Off ?", "94.8", "67.0"); a tone's index is its position.
const QStringList& CtcssToneNames();
// The index of a tone name, letter case ignored; -1 when the list has no such tone.
int CtcssToneIndex(const QString& name);

struct TCtcssAssignment {
    int Channel = 0;
    int Tone = 0;

    bool operator==(const TCtcssAssignment&) const = default;
};

// A CTCSS list file: one "channel,tone" per line ("12,94.8", "250,Off ?"). Lines without a
// comma, with a tone the receiver does not know or a channel outside 0..999 are skipped; the
// tone is taken exactly as written after the first comma (only the line end is removed).
struct TCtcssList {
    QList<TCtcssAssignment> Assignments;
    int SkippedLines = 0;
    // Set when a line's channel is not a whole number: the file is refused as a whole.
    QString Error;
};

TCtcssList ParseCtcssList(const QByteArray& content);
TCtcssList ReadCtcssList(const QString& fileName);
