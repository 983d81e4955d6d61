#include "settings/general.h"
#include "spi/plugin_load_marks.h"
#include "spi/spis.h"
#include "spi_test_support.h"
#include "test_store.h"
#include "worker_waits.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// One way a plug-in file or its folder can be open to someone else, and the refusal it earns.
struct RefusalCase {
    const char* name;
    // Makes dir/x.spi untrustworthy; false when this machine cannot set it up.
    bool (*spoil)(const QString& dir, const QString& plugin);
    const char* reason;
};
// Names the case in test names and failure messages.
void PrintTo(const RefusalCase& c, std::ostream* out) {
    *out << c.name;
}

bool Chmod(const QString& path, mode_t mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}
bool GiveAway(const QString& path) {
    return ::geteuid() == 0 && ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

const RefusalCase kRefusals[] = {
    {"GroupWritableFile", [](const QString&, const QString& p) { return Chmod(p, 0664); },
     "it is writable by group or others"},
    {"OthersWritableFile", [](const QString&, const QString& p) { return Chmod(p, 0646); },
     "it is writable by group or others"},
    {"FileOfAnotherUser", [](const QString&, const QString& p) { return GiveAway(p); },
     "it is owned by another user"},
    {"SymbolicLink",
     [](const QString& dir, const QString& p) {
         const QString target = dir + QStringLiteral("/real/x.spi");
         QDir().mkpath(dir + QStringLiteral("/real"));
         return QFile::rename(p, target) && QFile::link(target, p);
     },
     "it is a symbolic link"},
    {"FolderWritableByOthers", [](const QString& dir, const QString&) { return Chmod(dir, 0777); },
     "its folder is writable by group or others"},
    {"FolderOfAnotherUser", [](const QString& dir, const QString&) { return GiveAway(dir); },
     "its folder is owned by another user"},
};

class PluginRefusal : public ::testing::TestWithParam<RefusalCase> {};

} // namespace

TEST_P(PluginRefusal, IsShownToTheUserAndOnStandardError) {
    QTemporaryDir root;
    const QString dir = root.filePath(QStringLiteral("plugins"));
    const QString plugin =
        InstallPlugin(FixturePlugin(QStringLiteral("fx_picture")), dir, QStringLiteral("x.spi"));
    {
        TSPIs host; // trusted as installed
        host.Search(dir + QStringLiteral("/*.spi"));
        ASSERT_EQ(host.Count(), 1);
        EXPECT_TRUE(host.Notices().isEmpty());
    }
    if (!GetParam().spoil(dir, plugin))
        GTEST_SKIP() << "cannot set this up here (changing owners needs root)";
    TSPIs host;
    StderrCapture stderrText;
    host.Search(dir + QStringLiteral("/*.spi"));
    EXPECT_EQ(host.Count(), 0);
    const QString line = plugin + QStringLiteral(": ") + QLatin1String(GetParam().reason);
    EXPECT_EQ(host.Notices(), QStringList{line});
    EXPECT_TRUE(stderrText.Text().contains("refusing to load plug-in " + line.toUtf8()));
    EXPECT_FALSE(LoadPlugin(plugin));
    Chmod(dir, 0700);
}

INSTANTIATE_TEST_SUITE_P(Cases, PluginRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PluginLoading, EachFileIsLoadedAsItselfThoughDescriptorNumbersComeAgain) {
    // Both are loaded from a descriptor that is closed again at once, so the second is opened
    // under the first one's number while the first library is still loaded.
    std::unique_ptr<TSPI> first = LoadPlugin(FixturePlugin(QStringLiteral("fx_picture")));
    std::unique_ptr<TSPI> second = LoadPlugin(FixturePlugin(QStringLiteral("fx_other")));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->Masks(), QStringList{"*.pi;*.pic"});
    EXPECT_EQ(second->Masks(), QStringList{"*.oth"});
    EXPECT_EQ(second->FileName(), FixturePlugin(QStringLiteral("fx_other")));
}

TEST(PluginLoadMarks, APluginThatStoppedAStartIsSkippedAndNamedUntilReplaced) {
    QTemporaryDir dir;
    const QString dying = InstallPlugin(FixturePlugin(QStringLiteral("fx_dies")), dir.path(),
                                        QStringLiteral("a_dies.spi"));
    InstallPlugin(FixturePlugin(QStringLiteral("fx_picture")), dir.path(),
                  QStringLiteral("b_fine.spi"));
    const QString mask = dir.path() + QStringLiteral("/*.spi");

    // A start that dies inside the plug-in, as a crash would or a hang that the user ends.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(60);
        TSPIs host;
        host.Search(mask);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the fixture plug-in did not end its start";

    for (int start = 0; start < 2; ++start) { // every later start skips it, and says so
        TSPIs host;
        host.Search(mask);
        EXPECT_EQ(FileNames(host), QStringList{"b_fine.spi"});
        EXPECT_EQ(host.Notices(),
                  QStringList{dying + QStringLiteral(": it stopped an earlier start while it was "
                                                     "being loaded; it is skipped until it is "
                                                     "replaced")});
    }

    // Replaced by a working plug-in of the same name, it loads again.
    InstallPlugin(FixturePlugin(QStringLiteral("fx_other")), dir.path(),
                  QStringLiteral("a_dies.spi"));
    TSPIs host;
    host.Search(mask);
    EXPECT_EQ(FileNames(host), (QStringList{"a_dies.spi", "b_fine.spi"}));
    EXPECT_TRUE(host.Notices().isEmpty());
}

TEST(PluginLoadMarks, LoadsThatEndLeaveNoMark) {
    QTemporaryDir state;
    const QByteArray path = "/plugins/x.spi";
    struct stat st {};
    st.st_ino = 42;
    {
        PluginLoadMarks marks(state.path());
        marks.Begin(path, st);
        marks.End();
    }
    PluginLoadMarks marks(state.path());
    EXPECT_FALSE(marks.StoppedAnEarlierStart(path, st));
}

#ifdef STALLED_SHARE_PROGRAM
namespace {

// A share that has stopped answering, mounted while the object lives.
class StalledShare {
public:
    explicit StalledShare(const QString& mountPoint) : mountPoint_(mountPoint) {
        QDir().mkpath(mountPoint);
        process_.start(QStringLiteral(STALLED_SHARE_PROGRAM), {mountPoint});
        (void)QTest::qWaitFor(
            [this] { return Mounted() || process_.state() == QProcess::NotRunning; }, 10000);
    }
    ~StalledShare() {
        process_.kill(); // what waits on it is released with an error
        process_.waitForFinished();
        QProcess::execute(QStringLiteral("fusermount3"), {"-u", "-z", mountPoint_});
    }
    bool Mounted() const {
        QFile mounts(QStringLiteral("/proc/self/mountinfo"));
        return mounts.open(QIODevice::ReadOnly) &&
               mounts.readAll().contains(" " + QFile::encodeName(mountPoint_) + " ");
    }

private:
    QString mountPoint_;
    QProcess process_;
};

} // namespace

TEST(PluginSearch, AFolderOnAStalledShareIsGivenUpAfterTheTimeLimitAndQuittingIsNotHeldUp) {
    QTemporaryDir root;
    const QString share = root.filePath(QStringLiteral("share"));
    StalledShare stalled(share);
    if (!stalled.Mounted())
        GTEST_SKIP() << "FUSE file systems cannot be mounted here";
    const QString susieFolder = share + QStringLiteral("/plugins");
    WriteSettingString(TestStore(), 0, settingskey::SusiePlugins, QStringLiteral("Path"),
                       susieFolder);
    InstallPlugin(FixturePlugin(QStringLiteral("fx_picture")),
                  qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/couchframe/plugins"),
                  QStringLiteral("data.spi"));
    {
        TSPIs host(&TestStore());
        host.SearchOptions = spsSusieDir | spsWindowsDir;
        host.OwnerLoaded();
        EXPECT_EQ(FileNames(host), QStringList{"data.spi"});
        EXPECT_EQ(host.Notices(),
                  QStringList{susieFolder +
                              QStringLiteral("/: the folder did not answer within 5 seconds")});
    }
    {
        // In the background the user-interface thread goes on while the share does not answer.
        TSPIs host(&TestStore());
        host.SearchOptions = spsSusieDir | spsWindowsDir;
        bool searched = false;
        host.OwnerLoadedInBackground([&searched] { searched = true; });
        EXPECT_FALSE(searched);
        EXPECT_EQ(host.Count(), 0);
        bool otherWorkRan = false;
        QTimer::singleShot(0, [&otherWorkRan] { otherWorkRan = true; });
        ASSERT_TRUE(QTest::qWaitFor([&otherWorkRan] { return otherWorkRan; }, 1000));
        EXPECT_FALSE(searched);
        ASSERT_TRUE(QTest::qWaitFor([&searched] { return searched; }, 30000));
        EXPECT_EQ(FileNames(host), QStringList{"data.spi"});
        EXPECT_EQ(host.Notices().size(), 1);
    }
    EraseSettingKey(TestStore(), 0, settingskey::SusiePlugins);

    // A program that quits while a listing is still stuck in the file system ends all the same.
    // (No worker of this process may be running at the fork: the child would inherit its memory
    // without the thread.)
    ASSERT_TRUE(WaitForWorkersToEnd());
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TSPIs host(&TestStore());
        host.Search(susieFolder + QStringLiteral("/*.spi"));
        std::exit(host.Notices().size() == 1 ? 0 : 3);
    }
    int status = 0;
    pid_t reaped = 0;
    (void)QTest::qWaitFor([&] { return (reaped = ::waitpid(child, &status, WNOHANG)) != 0; },
                          60000);
    if (reaped != child) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the program did not end while a listing was stuck";
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}
#endif

TEST(PluginSearch, AHostDestroyedWhileItsFoldersAreListedHearsNothingOfThem) {
    QTemporaryDir root;
    const QString share = root.filePath(QStringLiteral("share"));
    StalledShare stalled(share);
    if (!stalled.Mounted())
        GTEST_SKIP() << "FUSE file systems cannot be mounted here";
    WriteSettingString(TestStore(), 0, settingskey::SusiePlugins, QStringLiteral("Path"),
                       share + QStringLiteral("/plugins"));
    {
        TSPIs host;
        host.SearchOptions = spsSusieDir;
        host.OwnerLoadedInBackground([] { ADD_FAILURE() << "searched after the host was gone"; });
    }
    // The listing gives up at its deadline; what it found goes nowhere.
    EXPECT_TRUE(WaitForWorkersToEnd());
    QCoreApplication::processEvents();
    EraseSettingKey(TestStore(), 0, settingskey::SusiePlugins);
}
