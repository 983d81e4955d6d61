#include "platform/screen_awake.h"

#include "platform/session_bus.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

#include <algorithm>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace {
const QString kApplication = QStringLiteral("Couchframe");
// The desktop may show it among the reasons the screen stays on.
const char* const kReason = QT_TRANSLATE_NOOP("Platform", "Playing media");
// GNOME's flag for "the session is not to be marked idle".
constexpr uint kGnomeInhibitIdle = 8;
} // namespace

// One desktop service's inhibition: Inhibit returns a cookie that the release hands back. A release
// that comes before the cookie does is carried out when the cookie arrives.
class BusInhibition {
public:
    BusInhibition(QDBusConnection bus, QString service, QString path, QString interface,
                  QString release, QVariantList arguments)
        : bus_(std::move(bus)), service_(std::move(service)), path_(std::move(path)),
          interface_(std::move(interface)), release_(std::move(release)),
          arguments_(std::move(arguments)) {}
    ~BusInhibition() { delete watcher_; }

    void Inhibit() {
        wanted_ = true;
        if (cookie_ || watcher_)
            return;
        QDBusMessage call =
            QDBusMessage::createMethodCall(service_, path_, interface_, QStringLiteral("Inhibit"));
        call.setArguments(arguments_);
        call.setAutoStartService(false);
        watcher_ = new QDBusPendingCallWatcher(bus_.asyncCall(call));
        QObject::connect(watcher_, &QDBusPendingCallWatcher::finished, [this] { Answered(); });
    }

    bool Answering() const { return watcher_ != nullptr; }

    void Release() {
        wanted_ = false;
        if (!cookie_)
            return;
        QDBusMessage call = QDBusMessage::createMethodCall(service_, path_, interface_, release_);
        call << *cookie_;
        call.setAutoStartService(false);
        bus_.call(call, QDBus::NoBlock);
        cookie_.reset();
    }

private:
    void Answered() {
        const QDBusPendingReply<uint> reply = *watcher_;
        watcher_->deleteLater();
        watcher_ = nullptr;
        // No such service on this desktop: nothing to do, nothing to say.
        if (reply.isError())
            return;
        cookie_ = reply.value();
        if (!wanted_)
            Release();
    }

    QDBusConnection bus_;
    QString service_, path_, interface_, release_;
    QVariantList arguments_;
    QDBusPendingCallWatcher* watcher_ = nullptr;
    std::optional<uint> cookie_;
    bool wanted_ = false;
};

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, const QByteArray& x11Display) {
    if (!x11Display.isEmpty())
        display_ = XOpenDisplay(x11Display.constData());
    int event = 0, error = 0, major = 0, minor = 0;
    // Suspending arrived with version 1.1 of the extension.
    suspendable_ = display_ && XScreenSaverQueryExtension(display_, &event, &error) &&
                   XScreenSaverQueryVersion(display_, &major, &minor) &&
                   (major > 1 || (major == 1 && minor >= 1));
    if (!bus.isConnected())
        return;
    const QString reason = QCoreApplication::translate("Platform", kReason);
    bus_.push_back(std::make_unique<BusInhibition>(
        bus, QStringLiteral("org.freedesktop.ScreenSaver"),
        QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("UnInhibit"),
        QVariantList{kApplication, reason}));
    bus_.push_back(std::make_unique<BusInhibition>(
        bus, QStringLiteral("org.gnome.SessionManager"),
        QStringLiteral("/org/gnome/SessionManager"), QStringLiteral("org.gnome.SessionManager"),
        QStringLiteral("Uninhibit"), QVariantList{kApplication, 0u, reason, kGnomeInhibitIdle}));
}

ScreenSaverInhibitor::~ScreenSaverInhibitor() {
    SetInhibited(false);
    if (display_)
        XCloseDisplay(display_);
}

bool ScreenSaverInhibitor::AwaitingAnswers() const {
    return std::any_of(bus_.begin(), bus_.end(),
                       [](const auto& inhibition) { return inhibition->Answering(); });
}

void ScreenSaverInhibitor::SetInhibited(bool on) {
    if (on == inhibited_)
        return;
    inhibited_ = on;
    if (suspendable_) {
        XScreenSaverSuspend(display_, on ? True : False);
        // A blank screen comes back at once rather than at the next key.
        if (on)
            XResetScreenSaver(display_);
        XFlush(display_);
    }
    for (const auto& inhibition : bus_)
        on ? inhibition->Inhibit() : inhibition->Release();
}

ScreenAwake::ScreenAwake() = default;
ScreenAwake::~ScreenAwake() = default;

void ScreenAwake::Change(int by) {
    holds_ += by;
    if (!inhibitor_) {
        if (holds_ == 0)
            return;
        const bool x11 = QGuiApplication::platformName() == QLatin1String("xcb");
        inhibitor_ = std::make_unique<ScreenSaverInhibitor>(
            SessionBusIfAny(), x11 ? qgetenv("DISPLAY") : QByteArray());
    }
    inhibitor_->SetInhibited(holds_ > 0);
}

void ScreenAwakeHold::Set(bool on) {
    if (on == held_)
        return;
    held_ = on;
    awake_.Change(on ? 1 : -1);
}
