#pragma once

#include "input/input_command.h"
#include "platform/clock.h"

#include <QObject>
#include <QWebSocket>

#include <chrono>
#include <memory>
#include <vector>

class PhonePairing;

// One paired phone's WebSocket. Its messages {"press": name}, {"hold": name} (every 200 ms while
// the button is down) and {"release": name} become the presses, keep-alives and releases of the
// button's command (PhoneButtonCommand); other messages are ignored. It is closed as soon as the
// phone is no longer paired (checked at every message and push), when a message is larger than
// kMaxMessageBytes or they come faster than kMaxMessagesPerSecond. A button still down when the
// socket closes is released; one whose keep-alives stop (a phone off the network without a word)
// is ended by the input router's silence, as any source's.
class PhoneConnection : public QObject {
    Q_OBJECT

public:
    static constexpr quint64 kMaxMessageBytes = 512;
    static constexpr int kMaxMessagesPerSecond = 40;

    // The phone is the one the socket's cookie names.
    PhoneConnection(std::unique_ptr<QWebSocket> socket, const PhonePairing& pairing, Clock& clock,
                    QObject* parent = nullptr);
    ~PhoneConnection() override;
    PhoneConnection(const PhoneConnection&) = delete;
    PhoneConnection& operator=(const PhoneConnection&) = delete;

    // Sends the text while the phone is still paired.
    void Send(const QString& text);
    void Close(QWebSocketProtocol::CloseCode code);

signals:
    void Pressed(const InputCommand& command);
    void Held(const InputCommand& command);
    void Released(const InputCommand& command);
    // The socket is gone; the connection may be deleted.
    void Closed();

private:
    // Closes the socket unless it is open and its phone still paired.
    bool StillPaired();
    // Counts a message; closes the socket when there are too many this second.
    bool WithinRate();
    void Receive(const QString& message);
    void Press(const InputCommand& command);
    void Hold(const InputCommand& command);
    void Release(const InputCommand& command);
    void ReleaseAll();

    std::unique_ptr<QWebSocket> socket_;
    const PhonePairing& pairing_;
    Clock& clock_;
    QByteArray session_;
    bool closing_ = false; // by either side: nothing more is read or sent
    std::vector<InputCommand> held_;
    Clock::TimePoint secondStarted_{};
    int messagesThisSecond_ = 0;
};
