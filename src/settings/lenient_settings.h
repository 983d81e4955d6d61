#pragma once

#include "platform/error.h"
#include "settings/schema.h"

#include <QString>
#include <QStringList>

#include <utility>

class SettingsStore;

// Settings reads for a start that must come up whole: a read that fails (a value stored with the
// wrong kind, a store that stopped answering) gives the caller's default, and its message is shown
// once, however often the value is read while this object lives.
class LenientSettings {
public:
    explicit LenientSettings(SettingsStore& store) : store_(store) {}

    SettingsStore& Store() const { return store_; }
    QString Read(const TextSetting& setting);
    int Read(const NumberSetting& setting);
    bool Read(const FlagSetting& setting);

    // Any read: its result, or the fallback when it raises AppError.
    template <typename Read, typename T> T Value(Read&& read, T fallback) {
        try {
            return std::forward<Read>(read)();
        } catch (const AppError& error) {
            Report(error);
            return fallback;
        }
    }

private:
    void Report(const AppError& error);

    SettingsStore& store_;
    QStringList shown_;
};
