// From a phone's button to the screen: the time from a paired phone sending {"press":"Down"} over
// the loopback until the screen on top sees the key in FormKeyDown, through the program's own phone
// remote (server, pairing, input router) and screen stack. Beside it, in the same run, the round
// trip of the same message through a bare QWebSocketServer echo on the loopback: what the loopback
// and Qt's WebSockets cost anyway.
//
// The phones run on a thread of their own with its own event loop, as phones are machines of their
// own: their sending and reading never queue behind the program's event loop, which is the one
// measured. Between presses that loop waits idle, as the program's does between a person's presses;
// the times are taken on both threads from the one steady clock.
#include "app/phone_remote.h"
#include "app/services.h"
#include "phone/phone_connection.h"
#include "phone/session_cookie.h"
#include "platform/application.h"
#include "settings/phone_remote.h"
#include "settings/store.h"
#include "ui/form.h"
#include "ui/screen_stack.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkRequest>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {
using namespace std::chrono_literals;
using Steady = std::chrono::steady_clock;

constexpr int kPresses = 2000;
const QString kPress = QStringLiteral(R"({"press":"Down"})");
const QString kRelease = QStringLiteral(R"({"release":"Down"})");
constexpr auto kGiveUp = 5s;
// A phone may send kMaxMessagesPerSecond: the presses go round as many phones as may be paired,
// this far apart, so that none of them is cut off for sending too fast.
constexpr int kPhones = static_cast<int>(kMaxPairedPhones);
constexpr auto kPause = 4ms;
static_assert(2 * 1000 < PhoneConnection::kMaxMessagesPerSecond * kPhones * kPause.count());

// Runs the program's event loop, asleep until something comes, until done holds or the time is up.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = kGiveUp) {
    QTimer deadline; // wakes the loop when the time is up
    deadline.setSingleShot(true);
    deadline.start(limit);
    QEventLoop loop;
    while (!done() && deadline.isActive())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// The program's event loop with nothing to do for a while.
void Idle(std::chrono::milliseconds span) {
    QEventLoop loop;
    QTimer::singleShot(span, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// WebSockets of phones, made, used and closed on the phones' thread; what they see is told to the
// program's thread.
class Phones {
public:
    Phones() {
        thread_.start();
        context_->moveToThread(&thread_);
    }
    ~Phones() {
        QMetaObject::invokeMethod(
            context_, [this] { sockets_.clear(); }, Qt::BlockingQueuedConnection);
        context_->deleteLater();
        thread_.quit();
        thread_.wait();
    }
    Phones(const Phones&) = delete;
    Phones& operator=(const Phones&) = delete;

    // A socket for each request; whether all are connected in time.
    bool Open(const QList<QNetworkRequest>& requests) {
        QMetaObject::invokeMethod(
            context_,
            [this, requests] {
                for (const QNetworkRequest& request : requests) {
                    auto socket = std::make_unique<QWebSocket>();
                    QObject::connect(socket.get(), &QWebSocket::connected,
                                     [this] { Tell([this] { ++connected_; }); });
                    QObject::connect(socket.get(), &QWebSocket::textMessageReceived, [this] {
                        answeredAt_ = Steady::now();
                        Tell([this] { ++answers_; });
                    });
                    socket->open(request);
                    sockets_.push_back(std::move(socket));
                }
            },
            Qt::QueuedConnection);
        return RunUntil([this, &requests] { return connected_ == requests.size(); }, 10s);
    }

    // Sends the text on the phone's socket, noting the time just before.
    void Send(int phone, const QString& text) {
        QMetaObject::invokeMethod(
            context_,
            [this, phone, text] {
                sentAt_ = Steady::now();
                sockets_.at(static_cast<size_t>(phone))->sendTextMessage(text);
            },
            Qt::QueuedConnection);
    }

    Steady::time_point SentAt() const { return sentAt_; }
    // Messages the phones received, and when the last came.
    int Answers() const { return answers_; }
    Steady::time_point AnsweredAt() const { return answeredAt_; }

private:
    // Runs the work on the program's thread, unless these phones are gone by then.
    void Tell(std::function<void()> work) {
        QMetaObject::invokeMethod(&program_, std::move(work), Qt::QueuedConnection);
    }

    QObject program_;
    QThread thread_;
    // Lives on the phones' thread, and is deleted there as the thread ends.
    QObject* context_ = new QObject;
    std::vector<std::unique_ptr<QWebSocket>> sockets_;
    // Counted on the program's thread.
    qsizetype connected_ = 0;
    int answers_ = 0;
    std::atomic<Steady::time_point> sentAt_;
    std::atomic<Steady::time_point> answeredAt_;
};

// The median and the 99th percentile (nearest rank) of the press times, in microseconds.
void ReportLatencies(benchmark::State& state, std::vector<double> microseconds) {
    if (microseconds.empty())
        return;
    std::sort(microseconds.begin(), microseconds.end());
    const auto percentile = [&microseconds](double share) {
        const auto rank =
            static_cast<size_t>(std::ceil(share * static_cast<double>(microseconds.size())));
        return microseconds[std::max<size_t>(rank, 1) - 1];
    };
    state.counters["p50_us"] = percentile(0.5);
    state.counters["p99_us"] = percentile(0.99);
}

double Microseconds(Steady::duration span) {
    return std::chrono::duration<double, std::micro>(span).count();
}

// The screen on top: notes when its key map sees Down.
class KeyTimingForm : public Form {
public:
    void FormKeyDown(int& key, ShiftState /*shift*/) override {
        if (key != vk::Down)
            return;
        seenAt = Steady::now();
        ++seen;
    }
    Steady::time_point seenAt;
    int seen = 0;
};

// Sockets as the page opens them from paired phones: the session cookie, the page's origin.
QList<QNetworkRequest> PairedPhones(PhoneRemote& remote) {
    const QString origin = QStringLiteral("http://127.0.0.1:%1").arg(remote.Server().Port());
    QList<QNetworkRequest> requests;
    for (int n = 0; n < kPhones; ++n) {
        const PairingResult paired =
            remote.Pairing().Redeem({PairingProof::Kind::Token, remote.Pairing().Invite().token},
                                    QHostAddress(QHostAddress::LocalHost));
        QNetworkRequest request(
            QUrl(QStringLiteral("ws://127.0.0.1:%1/ws").arg(remote.Server().Port())));
        request.setRawHeader("Origin", origin.toLatin1());
        request.setRawHeader("Cookie", SessionCookie(paired.sessionSecret).split(';').front());
        requests.append(request);
    }
    return requests;
}

void BM_PhoneButton_PressToKeyDown(benchmark::State& state) {
    SteadyClock clock;
    SettingsStore store;
    Services services(clock, store);
    ScreenStack window(services.input);
    auto top = std::make_unique<KeyTimingForm>();
    const KeyTimingForm& screen = *top;
    window.Push(std::move(top));
    window.show();
    QApplication::setActiveWindow(&window);
    PhoneRemote remote(clock, store, services.input, services.sessions, 0,
                       [] { return QList<QHostAddress>{QHostAddress(QHostAddress::LocalHost)}; });
    remote.Start();
    int released = 0;
    QObject::connect(&remote.Server(), &PhoneServer::Released, [&released] { ++released; });
    Phones phones;
    if (!phones.Open(PairedPhones(remote))) {
        state.SkipWithError("the phones could not connect");
        return;
    }

    std::vector<double> latencies;
    latencies.reserve(kPresses);
    int pressed = 0;
    for (auto _ : state) {
        Idle(kPause);
        const int phone = pressed++ % kPhones;
        phones.Send(phone, kPress);
        if (!RunUntil([&] { return screen.seen == pressed; })) {
            state.SkipWithError("a press did not reach the screen");
            break;
        }
        const Steady::duration latency = screen.seenAt - phones.SentAt();
        state.SetIterationTime(std::chrono::duration<double>(latency).count());
        latencies.push_back(Microseconds(latency));
        // Let go before the next press, as a finger does.
        phones.Send(phone, kRelease);
        if (!RunUntil([&] { return released == pressed; })) {
            state.SkipWithError("a release did not arrive");
            break;
        }
    }
    ReportLatencies(state, std::move(latencies));
}

void BM_LoopbackWebSocket_EchoRoundTrip(benchmark::State& state) {
    QWebSocketServer echo(QStringLiteral("echo"), QWebSocketServer::NonSecureMode);
    if (!echo.listen(QHostAddress::LocalHost, 0)) {
        state.SkipWithError("the echo server could not listen");
        return;
    }
    QObject::connect(&echo, &QWebSocketServer::newConnection, [&echo] {
        QWebSocket* socket = echo.nextPendingConnection();
        socket->setParent(&echo);
        QObject::connect(socket, &QWebSocket::textMessageReceived, socket,
                         &QWebSocket::sendTextMessage);
    });
    Phones phones;
    if (!phones.Open({QNetworkRequest(echo.serverUrl())})) {
        state.SkipWithError("the phone could not connect");
        return;
    }

    std::vector<double> latencies;
    latencies.reserve(kPresses);
    for (auto _ : state) {
        Idle(kPause);
        const int answers = phones.Answers();
        phones.Send(0, kPress);
        if (!RunUntil([&] { return phones.Answers() > answers; })) {
            state.SkipWithError("no echo came");
            break;
        }
        const Steady::duration latency = phones.AnsweredAt() - phones.SentAt();
        state.SetIterationTime(std::chrono::duration<double>(latency).count());
        latencies.push_back(Microseconds(latency));
    }
    ReportLatencies(state, std::move(latencies));
}

BENCHMARK(BM_PhoneButton_PressToKeyDown)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(kPresses);
BENCHMARK(BM_LoopbackWebSocket_EchoRoundTrip)
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(kPresses);
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The paired phones go into a store of the run's own.
    QTemporaryDir sandbox;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(sandbox.path()));
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
