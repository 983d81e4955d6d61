#pragma once

#include <QByteArray>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Tests whether folders (or, with another probe, files) exist without letting a hanging file system
// (an unmounted or unreachable share) freeze the screen: the tests run on worker threads and their
// answers arrive when they come. A folder is tested by at most one thread at a time, however often
// it is asked about, so that rebuilding a list while a share hangs does not pile up stuck threads.
using FolderProbe = std::function<bool(const QByteArray& path)>;

// Whether the path names a folder (a symbolic link counts as what it points to).
bool IsExistingFolder(const QByteArray& path);
// Whether the path names something that is not a folder (a file to play).
bool IsExistingFile(const QByteArray& path);

// The answers to one request, in the order of its paths; empty until a path has answered.
class ExistenceAnswers {
public:
    explicit ExistenceAnswers(size_t count);
    // Waits up to limit for every answer; whether all have come.
    bool WaitFor(std::chrono::milliseconds limit) const;
    std::vector<std::optional<bool>> Snapshot() const;
    void Answer(size_t index, bool exists);

private:
    struct State;
    std::shared_ptr<State> state_;
};

class FolderExistenceChecks : public std::enable_shared_from_this<FolderExistenceChecks> {
public:
    static std::shared_ptr<FolderExistenceChecks> Create(FolderProbe probe = IsExistingFolder);
    // Starts the tests (or joins those already running for the same paths).
    std::shared_ptr<ExistenceAnswers> Ask(const std::vector<QByteArray>& paths);
    // How many folders are being tested now.
    size_t InFlight() const;

private:
    explicit FolderExistenceChecks(FolderProbe probe);
    void Work();
    struct State;
    std::shared_ptr<State> state_;
};

// The checks of the whole program with the real tests, of folders and of the files the play
// command hands on. Never destroyed: a worker stuck on a share may still use them while the
// program exits.
FolderExistenceChecks& SharedFolderExistenceChecks();
FolderExistenceChecks& SharedFileExistenceChecks();
