#include "filemenu/playlist_file.h"
#include "platform/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gmock/gmock.h>

#include <ostream>

#include <functional>
#include <memory>
#include <optional>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using ::testing::HasSubstr;

namespace {

// Sets an environment variable (or removes it, for nothing) while it lives.
class EnvironmentScope {
public:
    EnvironmentScope(const char* name, std::optional<QByteArray> value)
        : name_(name),
          saved_(qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name))
                                                 : std::nullopt) {
        Set(value);
    }
    ~EnvironmentScope() { Set(saved_); }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    void Set(const std::optional<QByteArray>& value) {
        if (value)
            qputenv(name_, *value);
        else
            qunsetenv(name_);
    }
    const char* name_;
    std::optional<QByteArray> saved_;
};

mode_t ModeOf(const QByteArray& path) {
    struct stat info {};
    return lstat(path.constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

uid_t OwnerOf(const QByteArray& path) {
    struct stat info {};
    return lstat(path.constData(), &info) == 0 ? info.st_uid : uid_t(-1);
}

QByteArray Uid() {
    return QByteArray::number(geteuid());
}

QString RaisedMessage(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const AppError& error) {
        return error.message();
    }
    return QString();
}

class PrivateTempFolderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid() && runtime_.isValid()); }

    QByteArray Tmp() const { return QFile::encodeName(tmp_.path()); }
    QByteArray Runtime() const { return QFile::encodeName(runtime_.path()); }
    QByteArray FallbackFolder() const { return Tmp() + "/couchframe-" + Uid(); }

private:
    QTemporaryDir tmp_;
    QTemporaryDir runtime_; // made with mode 0700, as a login session's runtime directory is
};

TEST_F(PrivateTempFolderTest, APrivateRuntimeDirectoryHoldsThePlaylistsUnderTheirOwnNames) {
    const EnvironmentScope runtime("XDG_RUNTIME_DIR", Runtime());
    const EnvironmentScope tmp("TMPDIR", Tmp());
    EXPECT_EQ(TempFilePath("couchframe.wpl"), Runtime() + "/couchframe/couchframe.wpl");
    EXPECT_EQ(ModeOf(Runtime() + "/couchframe"), 0700u);
    // Made once, used again.
    EXPECT_EQ(TempFilePath("couchframe.lst"), Runtime() + "/couchframe/couchframe.lst");
}

// Where the runtime directory is missing or not the user's private folder, a folder of the user's
// own in TMPDIR takes its place.
struct RuntimeCase {
    const char* name;
    std::function<std::optional<QByteArray>(const QByteArray& runtime)> prepare;
};

void PrintTo(const RuntimeCase& c, std::ostream* out) {
    *out << c.name;
}

class RuntimeFallbackTest : public PrivateTempFolderTest,
                            public ::testing::WithParamInterface<RuntimeCase> {};

TEST_P(RuntimeFallbackTest, PlaylistsGoIntoAFolderOfTheUsersOwnInTmpdir) {
    const EnvironmentScope runtime("XDG_RUNTIME_DIR", GetParam().prepare(Runtime()));
    const EnvironmentScope tmp("TMPDIR", Tmp() + "/");
    EXPECT_EQ(TempFilePath("couchframe.m3u"), FallbackFolder() + "/couchframe.m3u");
    EXPECT_EQ(ModeOf(FallbackFolder()), 0700u);
    EXPECT_FALSE(QFile::exists(QFile::decodeName(Runtime() + "/couchframe")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeFallbackTest,
    ::testing::Values(
        RuntimeCase{"Unset", [](const QByteArray&) { return std::nullopt; }},
        RuntimeCase{"Empty", [](const QByteArray&) { return QByteArray(); }},
        RuntimeCase{"Relative", [](const QByteArray&) { return QByteArray("run/user"); }},
        RuntimeCase{"Missing", [](const QByteArray& runtime) { return runtime + "/gone"; }},
        // Another account's session left behind (runuser keeps the variable).
        RuntimeCase{"OpenToOthers",
                    [](const QByteArray& runtime) {
                        chmod(runtime.constData(), 0755);
                        return runtime;
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// Whatever someone put at the folder's name beforehand is refused, never used.
struct SquatCase {
    const char* name;
    std::function<void(const QByteArray& folder, const QByteArray& elsewhere)> squat;
    const char* reason;
};

void PrintTo(const SquatCase& c, std::ostream* out) {
    *out << c.name;
}

class SquattedFolderTest : public PrivateTempFolderTest,
                           public ::testing::WithParamInterface<SquatCase> {};

TEST_P(SquattedFolderTest, IsRefusedWithAMessageAndNothingIsWrittenThere) {
    const EnvironmentScope runtime("XDG_RUNTIME_DIR", std::nullopt);
    const EnvironmentScope tmp("TMPDIR", Tmp());
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const QByteArray target = QFile::encodeName(elsewhere.path());
    GetParam().squat(FallbackFolder(), target);

    const QString message = RaisedMessage(
        [] { WritePlaylist(TempFilePath("couchframe.m3u"), kM3uPlaylist, {"/media/a.mp3"}); });
    EXPECT_THAT(message.toStdString(),
                HasSubstr("The temporary folder \"" + FallbackFolder().toStdString() +
                          "\" cannot be used: " + GetParam().reason));
    EXPECT_TRUE(QDir(elsewhere.path()).isEmpty());
    EXPECT_FALSE(QFile::exists(QFile::decodeName(FallbackFolder() + "/couchframe.m3u")));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SquattedFolderTest,
    ::testing::Values(SquatCase{"LinkToAnotherFolder",
                                [](const QByteArray& folder, const QByteArray& elsewhere) {
                                    ASSERT_EQ(symlink(elsewhere.constData(), folder.constData()),
                                              0);
                                },
                                "it is a symbolic link"},
                      SquatCase{"FolderEveryoneMayWrite",
                                [](const QByteArray& folder, const QByteArray&) {
                                    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
                                    ASSERT_EQ(chmod(folder.constData(), 01777), 0);
                                },
                                "others may use it (mode 1777, not 0700)"},
                      SquatCase{"FolderOthersMayEnter",
                                [](const QByteArray& folder, const QByteArray&) {
                                    ASSERT_EQ(mkdir(folder.constData(), 0700), 0);
                                    ASSERT_EQ(chmod(folder.constData(), 0755), 0);
                                },
                                "others may use it (mode 0755, not 0700)"},
                      SquatCase{"File",
                                [](const QByteArray& folder, const QByteArray&) {
                                    QFile file(QFile::decodeName(folder));
                                    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                                },
                                "it is not a folder"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrivateTempFolderTest, AFolderMadeUnderANarrowUmaskIsStillTheOwnersToUse) {
    const EnvironmentScope runtime("XDG_RUNTIME_DIR", std::nullopt);
    const EnvironmentScope tmp("TMPDIR", Tmp());
    const mode_t saved = umask(0277);
    const QByteArray playlist = TempFilePath("couchframe.lst");
    umask(saved);
    EXPECT_EQ(ModeOf(FallbackFolder()), 0700u);
    EXPECT_NO_THROW(WritePlaylist(playlist, kLstPlaylist, {"/pictures/a.jpg"}));
}

// Two accounts on one machine, both with TMPDIR unset (here: one shared sticky folder such as
// /tmp), each run the play command; and one of them puts a folder at the other's name first.
class SecondAccountTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "running as another account needs root (runuser)";
        runuser_ = QStandardPaths::findExecutable(QStringLiteral("runuser"));
        if (runuser_.isEmpty())
            GTEST_SKIP() << "runuser (util-linux) is not installed";
        const passwd* other = getpwnam("nobody");
        if (!other)
            GTEST_SKIP() << "there is no account \"nobody\" to run as";
        otherUid_ = other->pw_uid;
        // A sticky folder every account can write into, as /tmp is; made in /tmp so that the
        // other account can reach it.
        shared_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/couchframe-test-XXXXXX"));
        ASSERT_TRUE(shared_->isValid());
        ASSERT_EQ(chmod(Shared().constData(), 01777), 0);
        if (RunAsOther({QStringLiteral("/bin/true")}).code != 0 ||
            !QFileInfo(QStringLiteral(COUCHFRAME_PLAYLIST_WRITER)).isExecutable())
            GTEST_SKIP() << "the account \"nobody\" cannot run programs from the build folder";
    }

    QByteArray Shared() const { return QFile::encodeName(shared_->path()); }
    QByteArray FolderOf(uid_t uid) const {
        return Shared() + "/couchframe-" + QByteArray::number(uid);
    }

    struct Result {
        int code = -1;
        QByteArray out;
        QByteArray error;
    };
    Result RunAsOther(QStringList command) const {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        environment.insert(QStringLiteral("TMPDIR"), shared_ ? shared_->path() : QString());
        process.setProcessEnvironment(environment);
        command.prepend(QStringLiteral("--"));
        command.prepend(QStringLiteral("nobody"));
        command.prepend(QStringLiteral("-u"));
        process.start(runuser_, command);
        if (!process.waitForFinished(30000))
            return {};
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardOutput().trimmed(), process.readAllStandardError()};
    }
    Result PlayAsOther() const {
        return RunAsOther({QStringLiteral(COUCHFRAME_PLAYLIST_WRITER), QStringLiteral("2"),
                           QStringLiteral("/media/other.mp3")});
    }
    QByteArray PlayAsSelf() const {
        const EnvironmentScope runtime("XDG_RUNTIME_DIR", std::nullopt);
        const EnvironmentScope tmp("TMPDIR", Shared());
        const QByteArray playlist = TempFilePath("couchframe.m3u");
        WritePlaylist(playlist, kM3uPlaylist, {"/media/mine.mp3"});
        return playlist;
    }

    uid_t otherUid_ = 0;

private:
    QString runuser_;
    std::unique_ptr<QTemporaryDir> shared_;
};

TEST_F(SecondAccountTest, EachAccountPlaysFromAFolderOfItsOwn) {
    const QByteArray mine = PlayAsSelf();
    const Result other = PlayAsOther();
    ASSERT_EQ(other.code, 0) << other.error.constData();
    EXPECT_EQ(other.out, FolderOf(otherUid_) + "/couchframe.m3u");
    EXPECT_EQ(OwnerOf(other.out), otherUid_);
    EXPECT_EQ(ModeOf(FolderOf(otherUid_)), 0700u);
    // The first account plays again; neither list is the other's.
    EXPECT_EQ(PlayAsSelf(), mine);
    QFile list(QFile::decodeName(mine));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), "/media/mine.mp3\r\n");
}

TEST_F(SecondAccountTest, AFolderAnotherAccountPutAtTheNameIsRefused) {
    ASSERT_EQ(RunAsOther({QStringLiteral("/bin/mkdir"), QStringLiteral("-m"),
                          QStringLiteral("0700"), QFile::decodeName(FolderOf(geteuid()))})
                  .code,
              0);
    const QString message = RaisedMessage([this] { PlayAsSelf(); });
    EXPECT_THAT(message.toStdString(), HasSubstr("it belongs to another account (user id " +
                                                 std::to_string(otherUid_) + ")"));
}

} // namespace
