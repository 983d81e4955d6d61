#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <sys/stat.h>

// A plug-in file opened once for loading. A plug-in runs with the user's rights, so only a file
// that nobody else could have changed is loaded: the file and its folder are owned by root or the
// current user and are not writable by group or others, and the file is a regular file reached
// without following a symbolic link. The checks are made on the open descriptors, and the library
// is loaded from the same descriptor, so nobody can swap the file between the check and the load.
class PluginFile {
    Q_DECLARE_TR_FUNCTIONS(PluginFile)

public:
    explicit PluginFile(const QByteArray& path);
    ~PluginFile();
    PluginFile(const PluginFile&) = delete;
    PluginFile& operator=(const PluginFile&) = delete;

    // False when there is no file (it vanished, or its folder cannot be read): loading fails by
    // itself then, without a refusal.
    bool Found() const { return found_; }
    // Why the file may not be loaded ("it is writable by group or others"); empty when it may.
    const QString& Refusal() const { return refusal_; }
    bool MayLoad() const { return found_ && refusal_.isEmpty(); }
    // The name under which the dynamic loader reads the descriptor (/proc/self/fd/N); no library
    // loaded before has it.
    const QByteArray& LoadName() const { return loadName_; }
    // The open file's status: what identifies this very file.
    const struct stat& Status() const { return status_; }

private:
    void ChooseLoadName();

    int fd_ = -1;
    bool found_ = false;
    QString refusal_;
    QByteArray loadName_;
    struct stat status_ {};
};
