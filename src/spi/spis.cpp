#include "spi/spis.h"

#include "settings/general.h"
#include "spi/plugin_file_check.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <dirent.h>
#include <dlfcn.h>
#include <fnmatch.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace {

TSPIs* currentHost = nullptr;
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
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
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

// Names of the regular, not hidden files of dir matching the pattern (letter case ignored, as the
// plug-in masks are written for), in the order the file system gives them.
QStringList ListPluginFiles(const QString& dir, const QString& pattern) {
    QStringList names;
    const QByteArray encodedDir = Encoded(dir.isEmpty() ? QStringLiteral(".") : dir);
    DIR* handle = ::opendir(encodedDir.constData());
    if (handle == nullptr)
        return names;
    const QByteArray encodedPattern = Encoded(pattern);
    while (const dirent* entry = ::readdir(handle)) {
        if (entry->d_name[0] == '.')
            continue;
        if (::fnmatch(encodedPattern.constData(), entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        struct stat st {};
        const QByteArray full = encodedDir + '/' + entry->d_name;
        if (::stat(full.constData(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(handle);
    return names;
}

} // namespace

ESPIFOpenErrorSPI::ESPIFOpenErrorSPI(const QString& fileName)
    : AppError(QStringLiteral("%1:Susie Pluginがロードできませんでした").arg(fileName)) {}

ESPIInvalidAPI::ESPIInvalidAPI(const char* entryPoint, const QString& fileName)
    : AppError(QStringLiteral("%1は[%2]では使えないSusie Plugin APIです")
                   .arg(QLatin1String(entryPoint), fileName)) {}

ESPIDupCreateSPIs::ESPIDupCreateSPIs() : AppError(QStringLiteral("TSPIs は複数生成できません")) {}

// ---- TSPI ----

TSPI::TSPI(const QString& fileName) : fileName_(fileName) {
    QByteArray path = Encoded(fileName);
    // A bare name would make the loader search the library path instead of the named file.
    if (!path.contains('/'))
        path.prepend("./");
    if (!PluginFileIsTrusted(path))
        throw ESPIFOpenErrorSPI(fileName);
    moduleHandle_ = ::dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (moduleHandle_ == nullptr)
        throw ESPIFOpenErrorSPI(fileName);
    link_map* map = nullptr;
    if (::dlinfo(moduleHandle_, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr &&
        map->l_name != nullptr && map->l_name[0] != '\0')
        fileName_ = QFile::decodeName(QByteArray(map->l_name).left(255));

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
    try {
        std::unique_ptr<TSPI> probe = TSPI::Create<TSPI>(fileName);
        const QString version = probe->APIVersion();
        // The probe is released when this returns, whether or not the second load succeeds.
        if (version == QLatin1String("00IN"))
            return TSPI::Create<TInSPI>(fileName);
        if (version == QLatin1String("00AM"))
            return TSPI::Create<TAmSPI>(fileName);
        if (version == QLatin1String("00XN"))
            return TSPI::Create<TXnSPI>(fileName);
        return TSPI::Create<TSPI>(fileName);
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

std::optional<QString> SearchDirectory(TSPISearchOption option) {
    switch (option) {
    case spsSusieDir:
        try {
            const QString path =
                ReadSettingString(0, settingskey::SusiePlugins, QStringLiteral("Path"), QString());
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
        return QDir::currentPath();
    case spsSystemDir:
        return QStringLiteral(COUCHFRAME_INSTALLED_PLUGIN_DIR);
    case spsWindowsDir:
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/couchframe/plugins");
    }
    return std::nullopt;
}

// ---- TSPIs ----

TSPIs::TSPIs() {
    if (currentHost != nullptr)
        throw ESPIDupCreateSPIs();
    currentHost = this;
}

TSPIs::~TSPIs() {
    if (currentHost == this)
        currentHost = nullptr;
    Clear();
}

TSPIs* TSPIs::CurrentHost() {
    return currentHost;
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

void TSPIs::Search(const QString& mask) {
    const qsizetype slash = mask.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) {
        SearchDirectoryFor(mask.left(slash + 1), mask.mid(slash + 1));
        return;
    }
    for (TSPISearchOption option :
         {spsSusieDir, spsAppDir, spsAppSPIDir, spsCurrentDir, spsSystemDir, spsWindowsDir}) {
        if (!(SearchOptions & option))
            continue;
        if (const std::optional<QString> dir = SearchDirectory(option))
            SearchDirectoryFor(*dir, mask);
    }
}

void TSPIs::SearchDirectoryFor(const QString& directory, const QString& pattern) {
    const QString dir = WithTrailingSeparator(directory);
    QStringList work;
    for (const QString& name : ListPluginFiles(dir, pattern)) {
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
            plugin = LoadPlugin(path);
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
        if (SameIgnoringAsciiCase(Encoded(plugins_[size_t(i)]->FileName()), wanted))
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
