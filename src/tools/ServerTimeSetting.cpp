#include "ServerTimeSetting.h"

#include "NumberText.h"

#include <cstdlib>

using namespace Qt::StringLiterals;

TServerTimeSetting::TServerTimeSetting(std::unique_ptr<TClockSetter> setter, QObject* parent)
    : QObject(parent)
    , FSetter(std::move(setter)) {
    connect(&FClient, &TSntpClient::Answered, this, &TServerTimeSetting::Answered);
    connect(&FClient, &TSntpClient::Failed, this, [this](const QString& text) {
        End(false, text + u"\r\nThe clock was not changed."_s);
    });
}

void TServerTimeSetting::Run(const QString& server) {
    if (FBusy)
        return;
    FBusy = true;
    FClient.Query(server);
}

void TServerTimeSetting::Answered(const TSntpAnswer& answer) {
    std::weak_ptr<bool> alive = FAlive;
    FSetter->Adjust(answer.OffsetUs, [this, alive, answer](const QString& failure) {
        if (alive.expired())
            return;
        if (!failure.isEmpty()) {
            End(false, failure);
            return;
        }
        End(true,
            u"The clock was set from %1: it was %2 s %3 (round trip %4 ms)."_s.arg(
                answer.Server, FormatFixed(static_cast<double>(std::abs(answer.OffsetUs)) / 1e6, 3),
                answer.OffsetUs > 0 ? u"slow"_s : u"fast"_s,
                FormatFixed(static_cast<double>(answer.DelayUs) / 1e3, 1)));
    });
}

void TServerTimeSetting::End(bool clockSet, const QString& text) {
    FBusy = false;
    Q_EMIT Finished(clockSet, text);
}
