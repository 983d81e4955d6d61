#include "settings/general.h"
#include "spi/spibmp.h"
#include "spi/spis.h"
#include "spi_test_support.h"
#include "test_store.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Set in the environment of the copy of this program that the executable-folder case runs.
constexpr char kInAppCopy[] = "COUCHFRAME_TEST_IN_APP_COPY";

class HostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Install(const QString& fixture, const QString& name = QString()) {
        return InstallPlugin(FixturePlugin(fixture), dir.path(),
                             name.isEmpty() ? fixture + QStringLiteral(".spi") : name);
    }
    void SearchDir(TSPIs& host, const QString& mask = QStringLiteral("*.spi")) {
        host.Search(dir.path() + QLatin1Char('/') + mask);
    }
    QTemporaryDir dir;
};

} // namespace

TEST(LoadPlugin, ChoosesTheKindByApiVersion) {
    struct Case {
        const char* fixture;
        bool picture, archive, xn;
        const char* version;
    };
    for (const Case& c :
         {Case{"fx_picture", true, false, false, "00IN"},
          Case{"fx_archive", false, true, false, "00AM"}, Case{"fx_xn", false, false, true, "00XN"},
          Case{"fx_lower", false, false, false, "00in"}}) {
        std::unique_ptr<TSPI> plugin = LoadPlugin(FixturePlugin(QLatin1String(c.fixture)));
        ASSERT_TRUE(plugin) << c.fixture;
        EXPECT_EQ(plugin->APIVersion(), QLatin1String(c.version));
        EXPECT_EQ(IsInstanceOf<TInSPI>(*plugin), c.picture) << c.fixture;
        EXPECT_EQ(IsInstanceOf<TAmSPI>(*plugin), c.archive) << c.fixture;
        EXPECT_EQ(IsInstanceOf<TXnSPI>(*plugin), c.xn) << c.fixture;
        EXPECT_EQ(plugin->FileName(), FixturePlugin(QLatin1String(c.fixture)));
    }
}

TEST(LoadPlugin, ReadsNameAndMaskPairsUntilADescriptionIsMissing) {
    std::unique_ptr<TSPI> plugin = LoadPlugin(FixturePlugin(QStringLiteral("fx_picture")));
    ASSERT_TRUE(plugin);
    EXPECT_EQ(plugin->PluginName(), QStringLiteral("Couchframe test fixture"));
    // Item 4 has a mask but item 5 is empty: only the pair 2/3 counts.
    EXPECT_EQ(plugin->Masks(), QStringList{QStringLiteral("*.pi;*.pic")});
    EXPECT_EQ(plugin->Descriptions(), QStringList{QStringLiteral("Fixture pictures")});
}

TEST(LoadPlugin, MissingRequiredExportRaisesInvalidApi) {
    const QString path = FixturePlugin(QStringLiteral("fx_noexport"));
    try {
        LoadPlugin(path);
        FAIL() << "no error";
    } catch (const ESPIInvalidAPI& error) {
        EXPECT_EQ(error.message(),
                  QStringLiteral("GetPictureは[%1]では使えないSusie Plugin APIです").arg(path));
    }
}

TEST(LoadPlugin, NotALibraryGivesNone) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("junk.spi"));
    WriteBytes(path, "not a shared object");
    EXPECT_FALSE(LoadPlugin(path));
    EXPECT_FALSE(LoadPlugin(dir.filePath(QStringLiteral("missing.spi"))));
    try {
        TSPI::Create<TSPI>(path);
        FAIL() << "no error";
    } catch (const ESPIFOpenErrorSPI& error) {
        EXPECT_EQ(error.message(), path + QStringLiteral(":Susie Pluginがロードできませんでした"));
    }
}

TEST(LoadPlugin, WrapperOfMissingEntryPointRaisesInvalidApi) {
    std::unique_ptr<TSPI> plugin = LoadPlugin(FixturePlugin(QStringLiteral("fx_nopreview")));
    ASSERT_TRUE(plugin);
    SPI_HLOCAL info = nullptr, bits = nullptr;
    EXPECT_THROW(plugin->GetPreview("x", 0, 0, &info, &bits, nullptr, 0), ESPIInvalidAPI);
}

TEST(Host, OnlyOneHostAtATime) {
    TSPIs first;
    try {
        TSPIs second;
        FAIL() << "second host created";
    } catch (const ESPIDupCreateSPIs& error) {
        EXPECT_EQ(error.message(), QStringLiteral("TSPIs は複数生成できません"));
    }
}

TEST(Host, DefaultsAndAnotherHostOnceItIsGone) {
    {
        TSPIs host;
        EXPECT_EQ(host.SearchOptions, TSPISearchOptions(spsSusieDir | spsAppDir | spsAppSPIDir));
        EXPECT_TRUE(host.AutoSearch);
        EXPECT_TRUE(host.MacBinary);
        EXPECT_FALSE(host.GraphicPreview);
        EXPECT_EQ(TSPIs::DefaultGraphicClass(), &typeid(TSPIBitmap));
    }
    EXPECT_NO_THROW(TSPIs{});
}

TEST_F(HostTest, MainMenuHookKeepsPictureKindsOnly) {
    for (const char* fixture : {"fx_picture", "fx_archive", "fx_lower", "fx_xn", "fx_nopreview",
                                "fx_noexport", "fx_failing"})
        Install(QLatin1String(fixture));
    WriteBytes(dir.filePath(QStringLiteral("junk.spi")), "garbage");
    Install(QStringLiteral("fx_other"), QStringLiteral(".hidden.spi"));
    Install(QStringLiteral("fx_other"), QStringLiteral("other.dll"));
    QDir(dir.path()).mkdir(QStringLiteral("folder.spi"));

    TSPIs host;
    host.OnSearch = SPIs1Search;
    StderrCapture stderrText;
    SearchDir(host);
    QStringList names = FileNames(host);
    names.sort();
    EXPECT_EQ(names, (QStringList{"fx_failing.spi", "fx_nopreview.spi", "fx_picture.spi"}));
    EXPECT_TRUE(
        stderrText.Text().contains("skipping plug-in " + dir.filePath("fx_noexport.spi").toUtf8()));

    SearchDir(host); // nothing is loaded twice
    EXPECT_EQ(host.Count(), 3);
}

TEST_F(HostTest, HooksDecideWhatIsLoadedAndKept) {
    Install(QStringLiteral("fx_picture"));
    Install(QStringLiteral("fx_other"));
    Install(QStringLiteral("fx_picture_b"));
    TSPIs host;
    host.OnSearching = [](TSPIs&, const QString& fileName, bool& accept) {
        accept = !fileName.endsWith(QLatin1String("fx_other.spi"));
    };
    host.OnSearch = [](TSPIs&, TSPI& plugin, bool& accept) {
        if (plugin.Masks().value(0) == QLatin1String("*.pic"))
            throw AppError(QStringLiteral("hook failure"));
        accept = true;
    };
    SearchDir(host);
    EXPECT_EQ(FileNames(host), QStringList{QStringLiteral("fx_picture.spi")});
}

TEST_F(HostTest, TheWorkingFolderIsSearchedOnlyWhenItIsTheProgramsFolder) {
    const QString dataPlugins = qEnvironmentVariable("XDG_DATA_HOME") + "/couchframe/plugins";
    InstallPlugin(FixturePlugin(QStringLiteral("fx_other")), dataPlugins,
                  QStringLiteral("data.spi"));
    Install(QStringLiteral("fx_picture"), QStringLiteral("stray.spi"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path()); // started from a folder holding a stray plug-in
    TSPIs host;
    host.SearchOptions = spsCurrentDir | spsWindowsDir;
    host.OnSearch = SPIs1Search;
    host.OwnerLoaded();
    const std::optional<QString> strayFolder = SearchDirectory(spsCurrentDir, nullptr);
    QDir::setCurrent(QCoreApplication::applicationDirPath());
    const std::optional<QString> ownFolder = SearchDirectory(spsCurrentDir, nullptr);
    QDir::setCurrent(previous);
    EXPECT_EQ(FileNames(host), QStringList{"data.spi"});
    EXPECT_FALSE(strayFolder);
    EXPECT_EQ(ownFolder, QCoreApplication::applicationDirPath());
    EXPECT_EQ(*SearchDirectory(spsSystemDir, nullptr),
              QStringLiteral(COUCHFRAME_INSTALLED_PLUGIN_DIR));
}

TEST_F(HostTest, AutoSearchOffSearchesNothing) {
    Install(QStringLiteral("fx_picture"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    TSPIs host;
    host.SearchOptions = spsCurrentDir;
    host.AutoSearch = false;
    host.OwnerLoaded();
    QDir::setCurrent(previous);
    EXPECT_EQ(host.Count(), 0);
}

// The executable's folder and its Plugins folder are searched. The build's own folders stay
// untouched: the case runs again in a copy of this program inside a temporary folder.
TEST(HostAppDirs, SameNameInExecutableFolderAndPluginsBothLoadExecutableFolderFirst) {
    const QString name = QStringLiteral("dup.spi");
    if (!qEnvironmentVariableIsSet(kInAppCopy)) {
        QTemporaryDir app;
        ASSERT_TRUE(app.isValid());
        const QString copy = app.filePath(QStringLiteral("test_spi"));
        ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        ASSERT_TRUE(
            QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        InstallPlugin(FixturePlugin(QStringLiteral("fx_picture")), app.path(), name);
        InstallPlugin(FixturePlugin(QStringLiteral("fx_picture")),
                      app.filePath(QStringLiteral("Plugins")), name);
        const ::testing::TestInfo* self = ::testing::UnitTest::GetInstance()->current_test_info();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kInAppCopy), QStringLiteral("1"));
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            copy, {QStringLiteral("--gtest_filter=%1.%2")
                       .arg(QLatin1String(self->test_suite_name()), QLatin1String(self->name()))});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAll();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.constData();
        EXPECT_EQ(child.exitCode(), 0) << output.constData();
        EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.constData();
        return;
    }
    const QString appDir = QCoreApplication::applicationDirPath();
    TSPIs host;
    host.SearchOptions = spsAppDir | spsAppSPIDir | spsCurrentDir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(appDir); // the executable's folder is also the current one
    host.Search(name);
    QDir::setCurrent(previous);
    ASSERT_EQ(host.Count(), 2);
    EXPECT_EQ(host.Items(0)->FileName(), appDir + QLatin1Char('/') + name);
    EXPECT_EQ(host.Items(1)->FileName(), appDir + QStringLiteral("/Plugins/") + name);
    EXPECT_EQ(host.IndexOf(appDir + QLatin1Char('/') + name.toUpper()), 0);
    EXPECT_EQ(host.IndexOf(appDir + QStringLiteral("/x") + name), -1);
}

TEST(Host, CandidatesPutClaimingPluginsFirstNewestFirst) {
    TSPIs host;
    for (const char* fixture : {"fx_picture", "fx_other", "fx_picture_b", "fx_archive"})
        host.Add(LoadPlugin(FixturePlugin(QLatin1String(fixture))));
    auto order = [&host](const QString& fileName) {
        std::vector<TSPI*> list;
        host.ListCandidates({IsInstanceOf<TInSPI>}, fileName, list);
        QStringList names;
        for (TSPI* plugin : list)
            names.append(QFileInfo(plugin->FileName()).completeBaseName());
        return names;
    };
    EXPECT_EQ(order("/a/photo.PIC"), (QStringList{"fx_picture_b", "fx_picture", "fx_other"}));
    // "*.pi;*.pic" claims only .pic for the candidate order.
    EXPECT_EQ(order("/a/photo.pi"), (QStringList{"fx_picture", "fx_other", "fx_picture_b"}));
    EXPECT_EQ(order("/a.pic/photo"), (QStringList{"fx_picture", "fx_other", "fx_picture_b"}));
    EXPECT_EQ(order("/a/x.oth"), (QStringList{"fx_other", "fx_picture", "fx_picture_b"}));
}

TEST(Host, PictureExtensionsAreRegisteredPerMask) {
    UnregisterPictureFormats(&typeid(TSPIBitmap));
    {
        TSPIs host;
        host.Add(LoadPlugin(FixturePlugin(QStringLiteral("fx_picture"))));
        host.Add(LoadPlugin(FixturePlugin(QStringLiteral("fx_archive"))));
        QStringList registered;
        for (const PictureFormat& format : RegisteredPictureFormats()) {
            EXPECT_EQ(format.description, QStringLiteral("Fixture pictures"));
            EXPECT_EQ(format.graphicClass, &typeid(TSPIBitmap));
            registered.append(format.extension);
        }
        EXPECT_EQ(registered, (QStringList{"pi", "pic"}));
    }
    UnregisterPictureFormats(&typeid(TSPIBitmap));
    TSPIs host;
    QStringList offered;
    // A change made for one mask carries over to the later masks of the same entry.
    host.OnPictureRegister = [&offered](TSPIs&, TInSPI&, const QString& extension, const QString&,
                                        TGraphicClass& graphicClass) {
        offered.append(extension);
        if (extension == QLatin1String("pi"))
            graphicClass = nullptr;
    };
    host.Add(LoadPlugin(FixturePlugin(QStringLiteral("fx_picture"))));
    EXPECT_EQ(offered, (QStringList{"pi", "pic"}));
    EXPECT_TRUE(RegisteredPictureFormats().empty());
}

TEST(Host, DeleteAndClearReleasePlugins) {
    TSPIs host;
    host.Add(LoadPlugin(FixturePlugin(QStringLiteral("fx_picture"))));
    host.Insert(0, LoadPlugin(FixturePlugin(QStringLiteral("fx_other"))));
    EXPECT_EQ(FileNames(host), (QStringList{"fx_other.spi", "fx_picture.spi"}));
    host.Delete(0);
    EXPECT_EQ(FileNames(host), QStringList{"fx_picture.spi"});
    host.Clear();
    EXPECT_EQ(host.Count(), 0);
}

TEST_F(HostTest, SusiePathSettingNamesADirectory) {
    Install(QStringLiteral("fx_picture"), QStringLiteral("susie.spi"));
    {
        TSPIs host(&TestStore());
        host.SearchOptions = spsSusieDir;
        host.OwnerLoaded(); // no setting: nothing
        EXPECT_EQ(host.Count(), 0);
    }
    WriteSettingInt(TestStore(), 0, settingskey::SusiePlugins, QStringLiteral("Path"), 5);
    {
        TSPIs host(&TestStore());
        host.SearchOptions = spsSusieDir;
        host.OwnerLoaded(); // a value of another kind: nothing, and no error
        EXPECT_EQ(host.Count(), 0);
    }
    WriteSettingString(TestStore(), 0, settingskey::SusiePlugins, QStringLiteral("Path"),
                       dir.path());
    TSPIs host(&TestStore());
    host.SearchOptions = spsSusieDir;
    host.OwnerLoaded();
    EXPECT_EQ(FileNames(host), QStringList{QStringLiteral("susie.spi")});
}

TEST_F(HostTest, FailedRegistrationReleasesThePluginAndTheSearchGoesOn) {
    Install(QStringLiteral("fx_picture"));
    Install(QStringLiteral("fx_other"));
    TSPIs host;
    host.OnPictureRegister = [](TSPIs&, TInSPI&, const QString& extension, const QString&,
                                TGraphicClass&) {
        if (extension == QLatin1String("pi"))
            throw AppError(QStringLiteral("registration failed"));
    };
    SearchDir(host);
    EXPECT_EQ(FileNames(host), QStringList{QStringLiteral("fx_other.spi")});
}
