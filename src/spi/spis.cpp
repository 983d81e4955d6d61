#include "spi/spis.h"

#include "settings/general.h"
#include "spi/plugin_folder_listing.h"
#include "spi/plugin_load_marks.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

// The picture plug-ins are one set per process: a second host is refused.
bool hostExists = false;
TGraphicClass defaultGraphicClass = nullptr;

// A plug-in that keeps answering GetPluginInfo is not allowed to keep the host busy forever.
constexpr int kMaxMaskEntries = 1024;

QByteArray Encoded(const QString& path) {
    return QFile::encodeName(path);
}

// ASCII letters compared ignoring case, every other byte exactly.
bool SameIgnoringAsciiCase(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

QString ExecutableDir() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return QDir::currentPath();
    const QString path = QFile::decodeName(QByteArray(buffer, n));
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

QString WithTrailingSeparator(const QString& dir) {
    return dir.isEmpty() || dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}

bool SameFolder(const QString& a, const QString& b) {
    struct stat sa {
    }, sb{};
    return ::stat(Encoded(a).constData(), &sa) == 0 && ::stat(Encoded(b).constData(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

ESPIFOpenErrorSPI::ESPIFOpenErrorSPI(const QString& fileName)
    : AppError(tr("%1:Susie Pluginがロードできませんでした").arg(fileName)) {}

ESPIInvalidAPI::ESPIInvalidAPI(const char* entryPoint, const QString& fileName)
    : AppError(
          tr("%1は[%2]では使えないSusie Plugin APIです").arg(QLatin1String(entryPoint), fileName)) {
}

ESPIDupCreateSPIs::ESPIDupCreateSPIs() : AppError(tr("TSPIs は複数生成できません")) {}

// ---- TSPI ----

TSPI::TSPI(const PluginFile& file, const QString& fileName) : fileName_(fileName) {
    if (!file.MayLoad())
        throw ESPIFOpenErrorSPI(fileName);
    // The loader knows the library only by its descriptor's name: the file's name is the one it
    // was opened by.
    moduleHandle_ = ::dlopen(file.LoadName().constData(), RTLD_NOW | RTLD_LOCAL);
    if (moduleHandle_ == nullptr)
        throw ESPIFOpenErrorSPI(fileName);

    auto look = [this](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(
            ::dlsym(moduleHandle_, name));
    };
    look(entries_.getPluginInfo, "GetPluginInfo");
    look(entries_.configurationDlg, "ConfigurationDlg");
    look(entries_.isSupported, "IsSupported");
    look(entries_.getPictureInfo, "GetPictureInfo");
    look(entries_.getPicture, "GetPicture");
    look(entries_.getPreview, "GetPreview");
    look(entries_.getPictureForArea, "GetPictureForArea");
    look(entries_.getArchiveInfo, "GetArchiveInfo");
    look(entries_.getFileInfo, "GetFileInfo");
    look(entries_.getFile, "GetFile");
}

TSPI::~TSPI() {
    if (moduleHandle_ != nullptr)
        ::dlclose(moduleHandle_);
}

void TSPI::Require(const void* entry, const char* name) const {
    if (entry == nullptr)
        throw ESPIInvalidAPI(name, fileName_);
}

void TSPI::CheckAPI() const {
    Require(reinterpret_cast<const void*>(entries_.getPluginInfo), "GetPluginInfo");
}

void TSPI::ReadPluginInfo() {
    auto item = [this](int32_t number, QString& text) {
        char buffer[256] = {};
        const int32_t written = GetPluginInfo(number, buffer, 255);
        buffer[255] = '\0';
        if (written > 0)
            text = QString::fromLocal8Bit(buffer);
        return written > 0;
    };
    item(0, apiVersion_);
    item(1, pluginName_);
    for (int32_t n = 2; n < 2 + 2 * kMaxMaskEntries; n += 2) {
        QString mask, description;
        const bool hasMask = item(n, mask);
        if (!item(n + 1, description) || !hasMask)
            break;
        masks_.append(mask);
        descriptions_.append(description);
    }
}

int32_t TSPI::GetPluginInfo(int32_t infono, char* buf, int32_t buflen) const {
    Require(reinterpret_cast<const void*>(entries_.getPluginInfo), "GetPluginInfo");
    return entries_.getPluginInfo(infono, buf, buflen);
}

int32_t TSPI::IsSupported(const char* fileName, const void* header) const {
    Require(reinterpret_cast<const void*>(entries_.isSupported), "IsSupported");
    return entries_.isSupported(fileName, header);
}

int32_t TSPI::GetPictureInfo(const char* buf, int32_t len, uint32_t flag, PictureInfo* info) const {
    Require(reinterpret_cast<const void*>(entries_.getPictureInfo), "GetPictureInfo");
    return entries_.getPictureInfo(buf, len, flag, info);
}

int32_t TSPI::GetPicture(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* info,
                         SPI_HLOCAL* bits, SPI_PROGRESS progress, intptr_t data) const {
    Require(reinterpret_cast<const void*>(entries_.getPicture), "GetPicture");
    return entries_.getPicture(buf, len, flag, info, bits, progress, data);
}

int32_t TSPI::GetPreview(const char* buf, int32_t len, uint32_t flag, SPI_HLOCAL* info,
                         SPI_HLOCAL* bits, SPI_PROGRESS progress, intptr_t data) const {
    Require(reinterpret_cast<const void*>(entries_.getPreview), "GetPreview");
    return entries_.getPreview(buf, len, flag, info, bits, progress, data);
}

int32_t TSPI::GetPictureForArea(const char* buf, int32_t len, uint32_t flag, int32_t areaWidth,
                                int32_t areaHeight, SPI_HLOCAL* info, SPI_HLOCAL* bits,
                                SPI_PROGRESS progress, intptr_t data) const {
    if (entries_.getPictureForArea == nullptr)
        return GetPicture(buf, len, flag, info, bits, progress, data);
    return entries_.getPictureForArea(buf, len, flag, areaWidth, areaHeight, info, bits, progress,
                                      data);
}

void TLoaderSPI::CheckAPI() const {
    TSPI::CheckAPI();
    Require(reinterpret_cast<const void*>(entries().isSupported), "IsSupported");
}

void TInSPI::CheckAPI() const {
    TLoaderSPI::CheckAPI();
    Require(reinterpret_cast<const void*>(entries().getPictureInfo), "GetPictureInfo");
    Require(reinterpret_cast<const void*>(entries().getPicture), "GetPicture");
}

void TAmSPI::CheckAPI() const {
    TLoaderSPI::CheckAPI();
    Require(reinterpret_cast<const void*>(entries().getArchiveInfo), "GetArchiveInfo");
    Require(reinterpret_cast<const void*>(entries().getFileInfo), "GetFileInfo");
    Require(reinterpret_cast<const void*>(entries().getFile), "GetFile");
}

std::unique_ptr<TSPI> LoadPlugin(const QString& fileName) {
    const PluginFile file(Encoded(fileName));
    if (file.Found() && !file.Refusal().isEmpty())
        std::fprintf(stderr, "couchframe: refusing to load plug-in %s: %s\n",
                     Encoded(fileName).constData(), file.Refusal().toLocal8Bit().constData());
    return LoadPlugin(file, fileName);
}

std::unique_ptr<TSPI> LoadPlugin(const PluginFile& file, const QString& fileName) {
    try {
        std::unique_ptr<TSPI> probe = TSPI::Create<TSPI>(file, fileName);
        const QString version = probe->APIVersion();
        // The probe is released when this returns, whether or not the second load succeeds.
        if (version == QLatin1String("00IN"))
            return TSPI::Create<TInSPI>(file, fileName);
        if (version == QLatin1String("00AM"))
            return TSPI::Create<TAmSPI>(file, fileName);
        if (version == QLatin1String("00XN"))
            return TSPI::Create<TXnSPI>(file, fileName);
        return TSPI::Create<TSPI>(file, fileName);
    } catch (const ESPIFOpenErrorSPI&) {
        return nullptr;
    } catch (const ESPIInvalidSPI&) {
        return nullptr;
    }
}

// ---- search directories ----

QString ExtractFileExt(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator =
        std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char(':')));
    return dot > separator ? fileName.mid(dot) : QString();
}

std::optional<QString> SearchDirectory(TSPISearchOption option, SettingsStore* settings) {
    switch (option) {
    case spsSusieDir:
        if (!settings)
            return std::nullopt;
        try {
            const QString path = ReadSetting(*settings, setting::SusiePath);
            if (!path.isEmpty())
                return path;
        } catch (const std::exception&) {
            // An unreadable setting adds nothing; the other directories are still searched.
        }
        return std::nullopt;
    case spsAppDir:
        return ExecutableDir();
    case spsAppSPIDir:
        return WithTrailingSeparator(ExecutableDir()) + QStringLiteral("Plugins");
    case spsCurrentDir:
        if (SameFolder(QDir::currentPath(), ExecutableDir()))
            return QDir::currentPath();
        return std::nullopt;
    case spsSystemDir:
        return QStringLiteral(COUCHFRAME_INSTALLED_PLUGIN_DIR);
    case spsWindowsDir:
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/couchframe/plugins");
    }
    return std::nullopt;
}

// ---- TSPIs ----

TSPIs::TSPIs(SettingsStore* settings) : settings_(settings) {
    if (hostExists)
        throw ESPIDupCreateSPIs();
    hostExists = true;
}

std::recursive_timed_mutex& PluginCallLock() {
    static std::recursive_timed_mutex lock;
    return lock;
}

TSPIs::~TSPIs() {
    std::unique_lock calls(PluginCallLock(), std::defer_lock);
    if (!calls.try_lock_for(kCallWaitLimit)) {
        // A decode that never ended still runs plug-in code: the plug-ins are left as they are,
        // loaded, rather than unloaded under it.
        for (auto& plugin : plugins_)
            (void)plugin.release();
        plugins_.clear();
    }
    hostExists = false;
    Clear();
}

void TSPIs::SetDefaultGraphicClass(TGraphicClass graphicClass) {
    defaultGraphicClass = graphicClass;
}

TGraphicClass TSPIs::DefaultGraphicClass() {
    return defaultGraphicClass;
}

void TSPIs::OwnerLoaded() {
    if (AutoSearch)
        Search(QStringLiteral("*.spi"));
}

void TSPIs::OwnerLoadedInBackground(std::function<void()> searched) {
    if (!AutoSearch) {
        searched();
        return;
    }
    const SearchFolders folders = FoldersFor(QStringLiteral("*.spi"));
    search_ = BackgroundJob::Start(
        &inbox_, [folders](const JobControl&) { return ListFolders(folders); },
        [this, folders, searched = std::move(searched)](const FolderNames& names) {
            LoadListed(folders, names);
            searched();
        });
}

void TSPIs::Search(const QString& mask) {
    const SearchFolders folders = FoldersFor(mask);
    LoadListed(folders, ListFolders(folders));
}

TSPIs::SearchFolders TSPIs::FoldersFor(const QString& mask) const {
    SearchFolders folders;
    const qsizetype slash = mask.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) {
        folders.emplace_back(mask.left(slash + 1), mask.mid(slash + 1));
    } else {
        for (TSPISearchOption option :
             {spsSusieDir, spsAppDir, spsAppSPIDir, spsCurrentDir, spsSystemDir, spsWindowsDir})
            if (SearchOptions & option)
                if (const std::optional<QString> dir = SearchDirectory(option, settings_))
                    folders.emplace_back(WithTrailingSeparator(*dir), mask);
    }
    return folders;
}

TSPIs::FolderNames TSPIs::ListFolders(const SearchFolders& folders) {
    std::vector<PluginFolderListing> listings;
    for (const auto& [dir, pattern] : folders)
        listings.emplace_back(dir, pattern);
    const auto deadline = std::chrono::steady_clock::now() + kListingTimeLimit;
    FolderNames names;
    for (PluginFolderListing& listing : listings)
        names.push_back(listing.Wait(deadline));
    return names;
}

void TSPIs::LoadListed(const SearchFolders& folders, const FolderNames& names) {
    for (size_t i = 0; i < folders.size(); ++i) {
        const QString& dir = folders[i].first;
        if (names[i])
            SearchListed(WithTrailingSeparator(dir), *names[i]);
        else
            notices_.append(tr("%1: the folder did not answer within %2 seconds")
                                .arg(dir)
                                .arg(kListingTimeLimit.count()));
    }
}

void TSPIs::SearchListed(const QString& dir, const QStringList& names) {
    QStringList work;
    for (const QString& name : names) {
        const QString path = dir + name;
        if (IndexOf(path) < 0)
            work.append(path);
    }
    for (const QString& path : work) {
        bool accept = true;
        if (OnSearching) {
            OnSearching(*this, path, accept);
            if (!accept)
                continue;
        }
        std::unique_ptr<TSPI> plugin;
        try {
            plugin = LoadMarked(path);
        } catch (const std::exception& error) {
            // A library that lacks what its kind needs is skipped like one that does not load; the
            // reason goes to standard error for whoever wrote it.
            std::fprintf(stderr, "couchframe: skipping plug-in %s: %s\n", Encoded(path).constData(),
                         error.what());
            continue;
        }
        if (!plugin)
            continue;
        try {
            if (OnSearch)
                OnSearch(*this, *plugin, accept);
            if (accept)
                Add(std::move(plugin));
        } catch (const std::exception&) {
            // The plug-in is released; the search goes on.
        }
    }
}

std::unique_ptr<TSPI> TSPIs::LoadMarked(const QString& path) {
    const QByteArray encoded = Encoded(path);
    const PluginFile file(encoded);
    if (!file.Found())
        return nullptr;
    if (!file.Refusal().isEmpty()) {
        notices_.append(QStringLiteral("%1: %2").arg(path, file.Refusal()));
        std::fprintf(stderr, "couchframe: refusing to load plug-in %s: %s\n", encoded.constData(),
                     file.Refusal().toLocal8Bit().constData());
        return nullptr;
    }
    if (!marks_)
        marks_ = std::make_unique<PluginLoadMarks>();
    if (marks_->StoppedAnEarlierStart(encoded, file.Status())) {
        notices_.append(
            tr("%1: it stopped an earlier start while it was being loaded; it is skipped until it "
               "is replaced")
                .arg(path));
        return nullptr;
    }
    marks_->Begin(encoded, file.Status());
    struct EndMark {
        PluginLoadMarks& marks;
        ~EndMark() { marks.End(); }
    } endMark{*marks_};
    return LoadPlugin(file, path);
}

void TSPIs::Add(std::unique_ptr<TSPI> plugin) {
    Insert(Count(), std::move(plugin));
}

void TSPIs::Insert(int index, std::unique_ptr<TSPI> plugin) {
    TSPI& added = *plugin;
    plugins_.insert(plugins_.begin() + index, std::move(plugin));
    try {
        if (auto* picture = dynamic_cast<TInSPI*>(&added))
            RegisterPictureExtensions(*picture);
    } catch (...) {
        // A plug-in whose registration failed is not kept: it is released with the error.
        plugins_.erase(plugins_.begin() + index);
        throw;
    }
}

void TSPIs::Delete(int index) {
    plugins_.erase(plugins_.begin() + index);
}

void TSPIs::Clear() {
    while (!plugins_.empty())
        Delete(0);
}

int TSPIs::IndexOf(const QString& fileName) const {
    const QByteArray wanted = Encoded(fileName);
    for (int i = 0; i < Count(); ++i)
        if (SameIgnoringAsciiCase(Encoded(plugins_[static_cast<size_t>(i)]->FileName()), wanted))
            return i;
    return -1;
}

void TSPIs::ListCandidates(std::initializer_list<TSPIKind> kinds, const QString& fileName,
                           std::vector<TSPI*>& list) const {
    const QString ext = ExtractFileExt(fileName);
    std::vector<TSPI*> claiming, others;
    for (const auto& plugin : plugins_) {
        bool wanted = false;
        for (TSPIKind kind : kinds)
            wanted = wanted || kind(*plugin);
        if (!wanted)
            continue;
        bool claims = false;
        if (!ext.isEmpty())
            for (const QString& mask : plugin->Masks())
                claims =
                    claims || SameIgnoringAsciiCase(Encoded(ExtractFileExt(mask)), Encoded(ext));
        (claims ? claiming : others).push_back(plugin.get());
    }
    list.insert(list.end(), claiming.rbegin(), claiming.rend());
    list.insert(list.end(), others.begin(), others.end());
}

void TSPIs::RegisterPictureExtensions(TInSPI& plugin) {
    for (qsizetype i = 0; i < plugin.Masks().size(); ++i) {
        TGraphicClass graphicClass = defaultGraphicClass;
        const QString description = plugin.Descriptions().value(i);
        for (const QString& single : plugin.Masks()[i].split(QLatin1Char(';'))) {
            const qsizetype dot = single.indexOf(QLatin1Char('.'));
            const QString extension = dot >= 0 ? single.mid(dot + 1) : single;
            if (OnPictureRegister)
                OnPictureRegister(*this, plugin, extension, description, graphicClass);
            if (graphicClass != nullptr)
                RegisterPictureFormat(extension, description, graphicClass);
        }
    }
}

void SPIs1Search(TSPIs&, TSPI& plugin, bool& accept) {
    accept = IsInstanceOf<TInSPI>(plugin);
}
