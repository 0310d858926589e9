#pragma once

#include <QString>

#include <memory>

class QMimeData;

// What a drag inside Kovela carries. The formats are private and stamped with this process, so a
// drop from another program (or another Kovela, whose channel numbers and row IDs mean nothing
// here) is never taken for one of ours.
inline constexpr char kFrequencyBoxMimeType[] = "application/x-kovela-frequency-box";
inline constexpr char kMemoryRowMimeType[] = "application/x-kovela-memory-row";
inline constexpr char kLogRowMimeType[] = "application/x-kovela-log-row";

enum class TDragKind { None, FrequencyBox, MemoryRow, LogRow };

struct TDragPayload {
    TDragKind Kind = TDragKind::None;
    // The object name of the control the drag started from.
    QString Origin;
    int Bank = -1; // memory rows; -1 for the bank the memory table shows
    int Channel = -1;
    qint64 LogId = -1;
};

// A frequency box (a VFO box, the entry box, the search display): the box is looked up by name
// when the drop is handled, so its text is read then.
std::unique_ptr<QMimeData> FrequencyBoxDragData(const QString& boxName);
std::unique_ptr<QMimeData> MemoryRowDragData(const QString& origin, int bank, int channel);
std::unique_ptr<QMimeData> LogRowDragData(const QString& origin, qint64 id);

// Kind None for anything this process did not make.
TDragPayload ReadDragData(const QMimeData* mime);
