#pragma once

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebSocket>

// Debian's chromium, headless on a profile of its own, driven over the DevTools protocol: one page
// to evaluate JavaScript in and to give real input. All but the loopback goes to a proxy that is
// not there.
class HeadlessChromium {
public:
    static QString Program() { return QStandardPaths::findExecutable(QStringLiteral("chromium")); }

    explicit HeadlessChromium(const QString& acceptLanguage) {
        QObject::connect(&devTools_, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const QJsonObject message = QJsonDocument::fromJson(text.toUtf8()).object();
            answers_.insert(message.value(u"id").toInt(), message.value(u"result").toObject());
        });
        // Its key store, caches and crash reports stay in the profile too.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), profile_.path());
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), profile_.path());
        process_.setProcessEnvironment(environment);
        process_.start(Program(), {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                   "--disable-background-networking", "--disable-component-update",
                                   "--proxy-server=127.0.0.1:9", "--remote-debugging-port=0",
                                   "--accept-lang=" + acceptLanguage,
                                   "--user-data-dir=" + profile_.path(), "about:blank"});
    }
    ~HeadlessChromium() {
        process_.kill();
        process_.waitForFinished(10000);
    }
    HeadlessChromium(const HeadlessChromium&) = delete;
    HeadlessChromium& operator=(const HeadlessChromium&) = delete;

    // A page at url to drive; false when the browser could not be reached.
    bool Open(const QUrl& url) {
        // The browser names its DevTools port and path there once it listens.
        QFile active(profile_.filePath(QStringLiteral("DevToolsActivePort")));
        QList<QByteArray> lines;
        const bool listening = QTest::qWaitFor(
            [&] {
                if (active.open(QIODevice::ReadOnly))
                    lines = active.readAll().trimmed().split('\n');
                active.close();
                return lines.size() == 2;
            },
            30000);
        if (!listening)
            return false;
        QSignalSpy connected(&devTools_, &QWebSocket::connected);
        devTools_.open(
            QUrl(QString::fromLatin1("ws://127.0.0.1:" + lines.value(0) + lines.value(1))));
        if (!connected.wait(10000))
            return false;
        const QJsonObject target = Call("Target.createTarget", {{"url", url.toString()}});
        session_ = Call("Target.attachToTarget",
                        {{"targetId", target.value(u"targetId")}, {"flatten", true}})
                       .value(u"sessionId")
                       .toString();
        return !session_.isEmpty();
    }

    // A DevTools command to the page; its result.
    QJsonObject Call(const QString& method, const QJsonObject& params = {}) {
        const int id = ++lastId_;
        QJsonObject message{{"id", id}, {"method", method}, {"params", params}};
        if (!session_.isEmpty())
            message.insert(u"sessionId", session_);
        devTools_.sendTextMessage(
            QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        if (!QTest::qWaitFor([&] { return answers_.contains(id); }, 15000))
            return {};
        return answers_.take(id);
    }
    QJsonValue Evaluate(const QString& expression) {
        return Call("Runtime.evaluate", {{"expression", expression}, {"returnByValue", true}})
            .value(u"result")
            .toObject()
            .value(u"value");
    }
    bool WaitFor(const QString& expression) {
        return QTest::qWaitFor([&] { return Evaluate(expression).toBool(); }, 15000);
    }
    // A mouse event of the type ("mousePressed", "mouseReleased") in the middle of the element the
    // selector finds, scrolled into view first.
    void Mouse(const char* type, const QString& selector) {
        const QJsonArray centre =
            Evaluate(
                QStringLiteral(
                    "(() => { const e = document.querySelector('%1'); "
                    "e.scrollIntoView({block: 'center'}); const r = e.getBoundingClientRect(); "
                    "return [r.x + r.width / 2, r.y + r.height / 2]; })()")
                    .arg(selector))
                .toArray();
        Call("Input.dispatchMouseEvent", {{"type", type},
                                          {"x", centre.at(0)},
                                          {"y", centre.at(1)},
                                          {"button", "left"},
                                          {"clickCount", 1}});
    }

private:
    QTemporaryDir profile_;
    QProcess process_;
    QWebSocket devTools_;
    QHash<int, QJsonObject> answers_;
    int lastId_ = 0;
    QString session_;
};
