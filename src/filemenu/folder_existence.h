#pragma once

#include "platform/background_job.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <vector>

// Tests whether folders (or, with another probe, files) exist without letting a hanging file system
// (an unmounted or unreachable share) freeze the screen: the tests run on worker threads and their
// answers arrive as they come. A folder is tested by at most one thread at a time, however often
// it is asked about, so that rebuilding a list while a share hangs does not pile up stuck threads.
using FolderProbe = std::function<bool(const QByteArray& path)>;

// Whether the path names a folder (a symbolic link counts as what it points to).
bool IsExistingFolder(const QByteArray& path);
// Whether the path names something that is not a folder (a file to play).
bool IsExistingFile(const QByteArray& path);

// One request's answers, told to answered(index in the request's paths, exists) on the receiver's
// thread as each comes. Dropping the request abandons the answers still to come.
using ExistenceAnswered = std::function<void(size_t index, bool exists)>;

class FolderExistenceChecks : public std::enable_shared_from_this<FolderExistenceChecks> {
public:
    static std::shared_ptr<FolderExistenceChecks> Create(FolderProbe probe = IsExistingFolder);
    // Starts the tests (or joins those already running for the same paths).
    [[nodiscard]] BackgroundJob Ask(QObject* receiver, const std::vector<QByteArray>& paths,
                                    ExistenceAnswered answered);
    // How many folders are being tested now.
    size_t InFlight() const;

private:
    explicit FolderExistenceChecks(FolderProbe probe);
    void Work();
    struct State;
    std::shared_ptr<State> state_;
};

// The program's checks with the real tests, made once in main(): of the registered folders and of
// the files the play command hands on. A worker stuck on a share keeps what it uses alive, so the
// checks may go before it.
struct ExistenceChecks {
    std::shared_ptr<FolderExistenceChecks> folders =
        FolderExistenceChecks::Create(IsExistingFolder);
    std::shared_ptr<FolderExistenceChecks> files = FolderExistenceChecks::Create(IsExistingFile);
};
