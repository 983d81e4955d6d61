#pragma once

#include <QApplication>

#include <exception>

// The application object: its event dispatch is the one top-level error handler. An error that
// escapes a handler is shown in a message box and the program keeps running.
class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows what the top-level handler shows for an error that reached it (the abort signal is silent).
void ReportError(const std::exception& error);

// Runs an action the way an event handler runs: an error ends it and is reported, never propagated.
template <typename Action> void RunReportingErrors(Action&& action) {
    try {
        action();
    } catch (const std::exception& error) {
        ReportError(error);
    }
}
