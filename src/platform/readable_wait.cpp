#include "platform/readable_wait.h"

#include "platform/byte_path.h"
#include "platform/clock.h"
#include "platform/guessed_text.h"

#include <QCoreApplication>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>

namespace {
// Seconds before each try after the first; the last one repeats.
constexpr std::array kPauses{1, 2, 4, 8, 10};
} // namespace

bool ReadableWait::CanRead(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char block[4096];
    struct stat info {};
    bool read = ::fstat(fd, &info) == 0 && ::pread(fd, block, sizeof block, 0) >= 0;
    if (read && info.st_size > static_cast<off_t>(sizeof block))
        read =
            ::pread(fd, block, sizeof block, info.st_size - static_cast<off_t>(sizeof block)) >= 0;
    ::close(fd);
    return read;
}

void ReadableWait::Wait(const QByteArray& path, std::function<void(bool atOnce)> readable) {
    Stop();
    path_ = path;
    readable_ = std::move(readable);
    Try(++round_, 0);
}

void ReadableWait::Stop() {
    ++round_;
    path_.clear();
    readable_ = nullptr;
    trying_.Abandon();
}

void ReadableWait::Try(unsigned round, int tries) {
    if (round != round_)
        return;
    tries_ = tries;
    const auto pause = std::chrono::seconds(kPauses[std::min<size_t>(tries, kPauses.size() - 1)]);
    // The try before has not come back from the file system: no second one beside it.
    if (!trying_.Running()) {
        trying_ = BackgroundJob::Start(
            this, [path = path_](const JobControl&) { return CanRead(path); },
            [this, round](bool read) {
                if (round != round_ || !read)
                    return;
                // At once: the first try, back before the second was due.
                const bool atOnce = tries_ == 0;
                auto readable = std::move(readable_);
                Stop();
                readable(atOnce);
            });
    }
    clock_.CallAfter(pause, this, [this, round, tries] { Try(round, tries + 1); });
}

QString WaitingForFolderOf(const QByteArray& path) {
    QByteArray folder = FolderOfPath(path);
    folder.chop(1);
    //: %1 is the name of the folder the film, song or picture lies in.
    return QCoreApplication::translate("ReadableWait", "Waiting for %1…")
        .arg(GuessedText(LastPathComponent(folder)));
}
