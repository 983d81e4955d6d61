#pragma once

#include <QString>

#include <stdexcept>

// A failure that carries the message the user is shown. Every error of the system derives from it;
// the top-level handler shows the message in a message box and the program goes on.
class AppError : public std::runtime_error {
public:
    explicit AppError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const noexcept { return message_; }

private:
    QString message_;
};

// The silent abort signal: it unwinds the operation in progress and is never shown.
class EAbort : public AppError {
public:
    EAbort() : AppError(QStringLiteral("Operation aborted")) {}
};
