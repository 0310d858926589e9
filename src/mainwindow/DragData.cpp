#include "DragData.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStringList>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// The process stamp, the origin, then the kind's own fields, one a line.
std::unique_ptr<QMimeData> Make(const char* type, const QString& origin,
                                const QStringList& fields) {
    QStringList lines{QString::number(QCoreApplication::applicationPid()), origin};
    lines += fields;
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(type), lines.join(u'\n').toUtf8());
    return mime;
}

// The fields after the stamp and origin; empty when the stamp is not ours or the count is wrong.
QStringList Fields(const QMimeData* mime, const char* type, qsizetype count, QString& origin) {
    const QString format = QString::fromLatin1(type);
    if (!mime->hasFormat(format))
        return {};
    const QStringList lines = QString::fromUtf8(mime->data(format)).split(u'\n');
    if (lines.size() != count + 2 ||
        lines.at(0) != QString::number(QCoreApplication::applicationPid()) || lines.at(1).isEmpty())
        return {};
    origin = lines.at(1);
    return lines.mid(2);
}

std::optional<qint64> Integer(const QString& text) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

std::unique_ptr<QMimeData> FrequencyBoxDragData(const QString& boxName) {
    return Make(kFrequencyBoxMimeType, boxName, {});
}

std::unique_ptr<QMimeData> MemoryRowDragData(const QString& origin, int bank, int channel) {
    return Make(kMemoryRowMimeType, origin, {QString::number(bank), QString::number(channel)});
}

std::unique_ptr<QMimeData> LogRowDragData(const QString& origin, qint64 id) {
    return Make(kLogRowMimeType, origin, {QString::number(id)});
}

TDragPayload ReadDragData(const QMimeData* mime) {
    TDragPayload payload;
    if (!mime)
        return payload;
    QString origin;
    if (mime->hasFormat(QString::fromLatin1(kFrequencyBoxMimeType))) {
        Fields(mime, kFrequencyBoxMimeType, 0, origin);
        if (!origin.isEmpty()) {
            payload.Kind = TDragKind::FrequencyBox;
            payload.Origin = origin;
        }
        return payload;
    }
    if (const QStringList f = Fields(mime, kMemoryRowMimeType, 2, origin); !f.isEmpty()) {
        const auto bank = Integer(f.at(0));
        const auto channel = Integer(f.at(1));
        if (bank && channel && *channel >= 0) {
            payload.Kind = TDragKind::MemoryRow;
            payload.Origin = origin;
            payload.Bank = static_cast<int>(*bank);
            payload.Channel = static_cast<int>(*channel);
        }
        return payload;
    }
    if (const QStringList f = Fields(mime, kLogRowMimeType, 1, origin); !f.isEmpty()) {
        if (const auto id = Integer(f.at(0))) {
            payload.Kind = TDragKind::LogRow;
            payload.Origin = origin;
            payload.LogId = *id;
        }
    }
    return payload;
}
