#pragma once

// The picture plug-in host: finds "*.spi" libraries in its search directories, loads them, sorts
// them into kinds by API version and keeps those its owner accepts.

#include "platform/background_job.h"
#include "platform/error.h"
#include "spi/picture_formats.h"
#include "spi/plugin_file.h"
#include "spi/sdk/couchframe_spi.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class ESPIFOpenErrorSPI : public AppError {
    Q_DECLARE_TR_FUNCTIONS(ESPIFOpenErrorSPI)

public:
    explicit ESPIFOpenErrorSPI(const QString& fileName);
};

class ESPIInvalidAPI : public AppError {
    Q_DECLARE_TR_FUNCTIONS(ESPIInvalidAPI)

public:
    ESPIInvalidAPI(const char* entryPoint, const QString& fileName);
};

class ESPIDupCreateSPIs : public AppError {
    Q_DECLARE_TR_FUNCTIONS(ESPIDupCreateSPIs)

public:
    ESPIDupCreateSPIs();
};

// Never raised by the host; the plug-in factory treats it like a load failure.
class ESPIInvalidSPI : public AppError {
public:
    using AppError::AppError;
};

// One loaded plug-in library; the library stays loaded while the object lives.
class TSPI {
public:
    virtual ~TSPI();
    TSPI(const TSPI&) = delete;
    TSPI& operator=(const TSPI&) = delete;

    // The virtual constructor: loads the library, looks up the entry points, runs the class's
    // CheckAPI and reads the plug-in information. A failure releases the library and goes on.
    template <class T> static std::unique_ptr<T> Create(const QString& fileName);
    // The same from a plug-in file already opened; ESPIFOpenErrorSPI when it may not be loaded.
    template <class T>
    static std::unique_ptr<T> Create(const PluginFile& file, const QString& fileName);

    // Raises ESPIInvalidAPI for the first entry point this kind needs and the library lacks.
    virtual void CheckAPI() const;

    const QString& FileName() const { return fileName_; }
    const QString& APIVersion() const { return apiVersion_; }
    const QString& PluginName() const { return pluginName_; }
    const QStringList& Masks() const { return masks_; }
    const QStringList& Descriptions() const { return descriptions_; }

    // Call wrappers: ESPIInvalidAPI when the entry point is missing, else its result unchanged.
    int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) const;
    int32_t IsSupported(const char* fileName, const void* header) const;
    int32_t GetPictureInfo(const char* buf, int32_t len, uint32_t flag, PictureInfo* info) const;
    int32_t GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* info,
                       SPI_HLOCAL* bits, SPI_PROGRESS progress, intptr_t data) const;
    int32_t GetPreview(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* info,
                       SPI_HLOCAL* bits, SPI_PROGRESS progress, intptr_t data) const;
    // The optional GetPictureForArea; plug-ins without it decode the full picture (GetPicture).
    int32_t GetPictureForArea(const char* buf, int32_t len, uint32_t flag, int32_t areaWidth,
                              int32_t areaHeight, SPI_HLOCAL* info, SPI_HLOCAL* bits,
                              SPI_PROGRESS progress, intptr_t data) const;

protected:
    TSPI(const PluginFile& file, const QString& fileName);
    // Raises ESPIInvalidAPI naming the entry point when it is missing.
    void Require(const void* entry, const char* name) const;

    struct EntryPoints {
        decltype(&::GetPluginInfo) getPluginInfo = nullptr;
        decltype(&::ConfigurationDlg) configurationDlg = nullptr;
        decltype(&::IsSupported) isSupported = nullptr;
        decltype(&::GetPictureInfo) getPictureInfo = nullptr;
        decltype(&::GetPicture) getPicture = nullptr;
        decltype(&::GetPreview) getPreview = nullptr;
        decltype(&::GetPictureForArea) getPictureForArea = nullptr;
        decltype(&::GetArchiveInfo) getArchiveInfo = nullptr;
        decltype(&::GetFileInfo) getFileInfo = nullptr;
        decltype(&::GetFile) getFile = nullptr;
    };
    const EntryPoints& entries() const { return entries_; }

private:
    void ReadPluginInfo();

    void* moduleHandle_ = nullptr;
    QString fileName_;
    QString apiVersion_;
    QString pluginName_;
    QStringList masks_;
    QStringList descriptions_;
    EntryPoints entries_;
};

// A plug-in that decides from a file's first bytes whether it can read it.
class TLoaderSPI : public TSPI {
public:
    void CheckAPI() const override;

protected:
    using TSPI::TSPI;
    friend class TSPI;
};

// Picture plug-in ("00IN").
class TInSPI : public TLoaderSPI {
public:
    void CheckAPI() const override;

protected:
    using TLoaderSPI::TLoaderSPI;
    friend class TSPI;
};

// Archive plug-in ("00AM"); its archive functions are looked up and required, never called.
class TAmSPI : public TLoaderSPI {
public:
    void CheckAPI() const override;

protected:
    using TLoaderSPI::TLoaderSPI;
    friend class TSPI;
};

// "00XN" plug-in.
class TXnSPI : public TSPI {
protected:
    using TSPI::TSPI;
    friend class TSPI;
};

template <class T>
std::unique_ptr<T> TSPI::Create(const PluginFile& file, const QString& fileName) {
    std::unique_ptr<T> plugin(new T(file, fileName));
    plugin->CheckAPI();
    plugin->ReadPluginInfo();
    return plugin;
}

template <class T> std::unique_ptr<T> TSPI::Create(const QString& fileName) {
    return Create<T>(PluginFile(QFile::encodeName(fileName)), fileName);
}

// The plug-in factory: a probe tells the API version, then the library is loaded again, from the
// same open file, as the chosen kind. None when the file cannot or may not be loaded (a refusal is
// told on standard error); ESPIInvalidAPI and other errors go on.
std::unique_ptr<TSPI> LoadPlugin(const QString& fileName);
std::unique_ptr<TSPI> LoadPlugin(const PluginFile& file, const QString& fileName);

// A kind of plug-in, for ListCandidates: IsInstanceOf<TInSPI> matches TInSPI and derived kinds.
using TSPIKind = bool (*)(const TSPI&);
template <class T> bool IsInstanceOf(const TSPI& plugin) {
    return dynamic_cast<const T*>(&plugin) != nullptr;
}

enum TSPISearchOption : unsigned {
    spsSusieDir = 1,
    spsAppDir = 2,
    spsAppSPIDir = 4,
    spsCurrentDir = 8,
    spsSystemDir = 16,
    spsWindowsDir = 32,
};
using TSPISearchOptions = unsigned;
inline constexpr TSPISearchOptions spsAllDirs =
    spsSusieDir | spsAppDir | spsAppSPIDir | spsCurrentDir | spsSystemDir | spsWindowsDir;

// The extension of a file name with its dot: the text from the last "." after the last "/" or
// ":"; empty when there is none.
QString ExtractFileExt(const QString& fileName);

class SettingsStore;

// The directory an option stands for; none when the option adds nothing. The working folder counts
// only when it is the program's own folder: code is never loaded from wherever the program
// happened to be started (a stray "*.spi" in the home folder, say).
// The Susie folder is read from settings; none leaves it out.
std::optional<QString> SearchDirectory(TSPISearchOption option, SettingsStore* settings);

class TSPIs;
class PluginLoadMarks;
using TSPISearchEvent = std::function<void(TSPIs& sender, TSPI& plugin, bool& accept)>;
using TSPISearchingEvent =
    std::function<void(TSPIs& sender, const QString& fileName, bool& accept)>;
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs& sender, TInSPI& plugin, const QString& extension,
                       const QString& description, TGraphicClass& graphicClass)>;

// Held while plug-ins are called, since they are called from one thread at a time; a thread that
// decodes ahead holds it as a thread on screen does.
std::recursive_timed_mutex& PluginCallLock();

// The one plug-in host of the process.
class TSPIs {
    Q_DECLARE_TR_FUNCTIONS(TSPIs)

public:
    // Raises ESPIDupCreateSPIs while another host exists. settings: where the Susie plug-in folder
    // is read from; none leaves that folder out of the search.
    explicit TSPIs(SettingsStore* settings = nullptr);
    ~TSPIs();
    TSPIs(const TSPIs&) = delete;
    TSPIs& operator=(const TSPIs&) = delete;
    static void SetDefaultGraphicClass(TGraphicClass graphicClass);
    static TGraphicClass DefaultGraphicClass();

    bool MacBinary = true;
    bool GraphicPreview = false;
    bool AutoSearch = true;
    TSPISearchOptions SearchOptions = spsSusieDir | spsAppDir | spsAppSPIDir;
    TSPISearchEvent OnSearch;
    TSPISearchingEvent OnSearching;
    TSPIPictureRegisterEvent OnPictureRegister;

    // Called once the owner has applied its settings: searches "*.spi" when AutoSearch is set.
    void OwnerLoaded();
    // The same with the folders listed off the user-interface thread, which goes on meanwhile:
    // `searched` runs on it once the plug-ins found are loaded (at once without AutoSearch).
    // Destroying the host drops a search under way.
    void OwnerLoadedInBackground(std::function<void()> searched);
    // Loads the plug-ins matching Mask (a file pattern, optionally with a directory) that are not
    // loaded yet. One bad file never ends the search.
    void Search(const QString& mask);

    int Count() const { return static_cast<int>(plugins_.size()); }
    TSPI* Items(int index) const { return plugins_.at(static_cast<size_t>(index)).get(); }
    void Add(std::unique_ptr<TSPI> plugin);
    void Insert(int index, std::unique_ptr<TSPI> plugin);
    void Delete(int index);
    void Clear();
    // First plug-in whose FileName equals fileName, ASCII letters compared ignoring case; -1 if
    // none.
    int IndexOf(const QString& fileName) const;
    // Appends the plug-ins of the given kinds in the order to try them for fileName: those whose
    // masks claim its extension first (newest first), then the others in load order.
    void ListCandidates(std::initializer_list<TSPIKind> kinds, const QString& fileName,
                        std::vector<TSPI*>& list) const;

    // What the searches met that the user should hear about: plug-ins refused or skipped and
    // folders that did not answer, one "name: reason" line each. The owner shows them.
    const QStringList& Notices() const { return notices_; }
    void ClearNotices() { notices_.clear(); }

    // How long a search waits for its folders to be listed.
    static constexpr std::chrono::seconds kListingTimeLimit{5};
    // How long the host's end waits for a decode still running on another thread; past it the
    // plug-ins are left loaded rather than unloaded under that thread.
    static constexpr std::chrono::seconds kCallWaitLimit{3};

private:
    // Folders to search for a mask, each with the file pattern to list in it.
    using SearchFolders = std::vector<std::pair<QString, QString>>;
    // Each folder's names, none for a folder that did not answer in time.
    using FolderNames = std::vector<std::optional<QStringList>>;
    SearchFolders FoldersFor(const QString& mask) const;
    // Lists all folders at once, so that folders which do not answer cost the time limit once,
    // not once each. Any thread.
    static FolderNames ListFolders(const SearchFolders& folders);
    void LoadListed(const SearchFolders& folders, const FolderNames& names);
    void SearchListed(const QString& dir, const QStringList& names);
    std::unique_ptr<TSPI> LoadMarked(const QString& path);
    void RegisterPictureExtensions(TInSPI& plugin);

    SettingsStore* const settings_;
    std::vector<std::unique_ptr<TSPI>> plugins_;
    QStringList notices_;
    std::unique_ptr<PluginLoadMarks> marks_;
    // Hears the background search; declared before the job that posts to it.
    QObject inbox_;
    BackgroundJob search_;
};

// The main menu's accept hook: keeps picture plug-ins (TInSPI and derived kinds) only.
void SPIs1Search(TSPIs& sender, TSPI& plugin, bool& accept);
