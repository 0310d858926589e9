#include "ClockSetter.h"

#include <QDateTime>

#if KOVELA_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#endif

using namespace Qt::StringLiterals;

namespace {

#if KOVELA_HAVE_DBUS

const QString kService = u"org.freedesktop.timedate1"_s;
const QString kPath = u"/org/freedesktop/timedate1"_s;

// systemd-timedated sets the clock for us and asks polkit whether the user may; the program needs
// no privilege of its own.
class TTimedatedClockSetter final : public TClockSetter {
public:
    void Adjust(qint64 offsetUs, std::function<void(const QString&)> done) override {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected()) {
            done(u"The clock cannot be set: there is no system D-Bus to reach the time service "
                 "(systemd-timedated)."_s);
            return;
        }
        // An automatic time sync would undo our setting at once, and timedated refuses it anyway.
        QDBusMessage ask = QDBusMessage::createMethodCall(
            kService, kPath, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
        ask << kService << u"NTP"_s;
        Watch(bus.asyncCall(ask), [offsetUs, done](const QDBusMessage& reply) {
            if (reply.type() == QDBusMessage::ErrorMessage) {
                done(u"The clock cannot be set: the time service (systemd-timedated) did not "
                     "answer: %1"_s.arg(reply.errorMessage()));
                return;
            }
            const QVariant ntp = reply.arguments().value(0).value<QDBusVariant>().variant();
            if (ntp.toBool()) {
                done(u"The clock was not set: automatic time synchronisation (NTP) is on, so the "
                     "system keeps the clock right by itself."_s);
                return;
            }
            SetTime(offsetUs, done);
        });
    }

private:
    static void SetTime(qint64 offsetUs, const std::function<void(const QString&)>& done) {
        const qint64 usecUtc = QDateTime::currentMSecsSinceEpoch() * 1000 + offsetUs;
        QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, u"SetTime"_s);
        // relative = false: usecUtc is the time itself; interactive = true: polkit may ask the
        // user for a password.
        call << QVariant::fromValue(usecUtc) << false << true;
        Watch(QDBusConnection::systemBus().asyncCall(call, kPolkitPatienceMs),
              [done](const QDBusMessage& reply) {
                  if (reply.type() == QDBusMessage::ErrorMessage)
                      done(u"The clock was not set: %1"_s.arg(reply.errorMessage()));
                  else
                      done({});
              });
    }

    static void Watch(const QDBusPendingCall& call, std::function<void(const QDBusMessage&)> then) {
        auto* watcher = new QDBusPendingCallWatcher(call);
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                         [then = std::move(then)](QDBusPendingCallWatcher* finished) {
                             then(finished->reply());
                             finished->deleteLater();
                         });
    }

    // Long enough for a user to type a password into polkit's dialog.
    static constexpr int kPolkitPatienceMs = 120000;
};

#else

class TUnsupportedClockSetter final : public TClockSetter {
public:
    void Adjust(qint64, std::function<void(const QString&)> done) override {
        done(u"Setting the computer's clock is not supported on this system."_s);
    }
};

#endif

} // namespace

std::unique_ptr<TClockSetter> MakeSystemClockSetter() {
#if KOVELA_HAVE_DBUS
    return std::make_unique<TTimedatedClockSetter>();
#else
    return std::make_unique<TUnsupportedClockSetter>();
#endif
}
