#include "app/command_line.h"

#include "platform/error.h"
#include "platform/translations.h"
#include "settings/reg_file.h"
#include "settings/store.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <cstdio>
#include <cstring>
#include <optional>
#include <strings.h>

namespace {
const char kUsage[] = QT_TRANSLATE_NOOP(
    "CommandLine",
    "Usage: couchframe [/CONFIG | --config]\n"
    "       couchframe --export-settings FILE\n"
    "       couchframe --import-settings FILE\n"
    "\n"
    "Full-screen living-room media front end.\n"
    "\n"
    "  /CONFIG, --config        open the settings dialog before the main menu\n"
    "  --export-settings FILE   write every setting to FILE in .reg text format (- for stdout)\n"
    "  --import-settings FILE   read settings from a .reg text file (- for stdin)\n"
    "  --help                   show this help and exit\n"
    "  --version                show the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -display DISPLAY, ...) are accepted as well.\n"
    "\n"
    "Keys: arrows and Enter choose; Esc or Delete go back; the exit code (default 81536047)\n"
    "and Enter on the main menu quit. Player and slide show: Ctrl+P play/pause, Ctrl+S stop,\n"
    "Ctrl+F/Ctrl+B next/previous, Ctrl+I progress bar; player: Ctrl+T subtitles, Ctrl+A audio\n"
    "track, F8 mute, F9/F10 volume. Every key of every screen: man couchframe.\n"
    "\n"
    "Files: $XDG_CONFIG_HOME/couchframe/settings.db (settings), .../couchframe/mpv.conf (mpv\n"
    "options), $XDG_DATA_HOME/couchframe/plugins (your picture plug-ins).\n"
    "Environment: COUCHFRAME_MPV_OPTIONS=ao=...,vo=libmpv|null sets the player's outputs;\n"
    "COUCHFRAME_PHONE_PORT the phone remote's port (48080; F1 on the main menu pairs a phone).\n"
    "Living room: couchframe-kiosk runs it as a Wayland kiosk session (cage).\n");

// Qt's own options, which QApplication takes off the command line, and whether each takes a value.
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {{"platform", true},
                                   {"platformpluginpath", true},
                                   {"platformtheme", true},
                                   {"plugin", true},
                                   {"qwindowgeometry", true},
                                   {"qwindowicon", true},
                                   {"qwindowtitle", true},
                                   {"display", true},
                                   {"geometry", true},
                                   {"style", true},
                                   {"stylesheet", true},
                                   {"session", true},
                                   {"name", true},
                                   {"title", true},
                                   {"reverse", false},
                                   {"nograb", false},
                                   {"dograb", false},
                                   {"sync", false},
                                   {"widgetcount", false}};

const QtOption* FindQtOption(const char* argument) {
    const char* name = argument + (std::strncmp(argument, "--", 2) == 0 ? 2 : 1);
    for (const QtOption& option : kQtOptions)
        if (std::strcmp(name, option.name) == 0)
            return &option;
    return nullptr;
}

// The first argument that is an option Couchframe does not know, or null. Anything that does not
// begin with "-" is no option and is left alone.
const char* UnknownOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (argument[0] != '-' || std::strcmp(argument, "-") == 0)
            continue;
        if (strcasecmp(argument, "--config") == 0)
            continue;
        const QtOption* qt = FindQtOption(argument);
        if (!qt)
            return argument;
        if (qt->takesValue)
            ++i;
    }
    return nullptr;
}

// The usage text as it is printed.
QByteArray Usage() {
    return QCoreApplication::translate("CommandLine", kUsage).toLocal8Bit();
}

// A translated text as it is printed, with %1 standing for an argument's bytes as they were given.
QByteArray WithArgumentBytes(const char* sourceText, const char* argument) {
    return QCoreApplication::translate("CommandLine", sourceText)
        .toLocal8Bit()
        .replace("%1", argument);
}

bool IsStandardStream(const char* file) {
    return std::strcmp(file, "-") == 0;
}

QString FileName(const char* file) {
    return QFile::decodeName(file);
}

void ExportSettingsTo(SettingsStore& store, const char* file) {
    const QByteArray content = ExportSettings(store);
    if (IsStandardStream(file)) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(content) != content.size() ||
            !out.flush())
            throw AppError(
                QCoreApplication::translate("CommandLine", "cannot write to standard output"));
        return;
    }
    // A fresh file renamed over the target: an interrupted export never leaves half a backup.
    QSaveFile out(FileName(file));
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size() || !out.commit())
        throw AppError(out.errorString());
}

// A settings file is a few kilobytes; anything near this is not one, and an endless input
// (/dev/zero, a pipe that never ends) must not fill the memory.
constexpr qint64 kImportLimit = 64 * 1024 * 1024;

QString ImportTooLarge() {
    return QCoreApplication::translate("CommandLine",
                                       "the input is larger than %1 MiB and is not a settings file")
        .arg(kImportLimit / (1024 * 1024));
}

// Reads the whole input, refusing more than kImportLimit bytes: a regular file by its size before
// anything is read, any other input (a device, a pipe) once it has given one byte more.
QByteArray ReadImport(QFile& in) {
    if (!in.isSequential() && in.size() > kImportLimit)
        throw AppError(ImportTooLarge());
    QByteArray content;
    char chunk[65536];
    for (;;) {
        const qint64 got = in.read(chunk, sizeof chunk);
        if (got < 0)
            throw AppError(in.errorString());
        if (got == 0)
            return content;
        if (content.size() + got > kImportLimit)
            throw AppError(ImportTooLarge());
        content.append(chunk, got);
    }
}

void ImportSettingsFrom(SettingsStore& store, const char* file) {
    QFile in;
    const bool opened = IsStandardStream(file)
                            ? in.open(stdin, QIODevice::ReadOnly)
                            : (in.setFileName(FileName(file)), in.open(QIODevice::ReadOnly));
    if (!opened)
        throw AppError(in.errorString());
    ImportSettings(store, ReadImport(in));
}

// Runs an export or import and turns its failure into a message on stderr and exit status 1.
int RunSettingsTransfer(const char* option, const char* file) {
    const bool exporting = std::strcmp(option, "--export-settings") == 0;
    if (!file) {
        std::fprintf(
            stderr, "couchframe: %s\n",
            WithArgumentBytes(
                exporting
                    ? QT_TRANSLATE_NOOP("CommandLine", "%1 needs a FILE (- for standard output)")
                    : QT_TRANSLATE_NOOP("CommandLine", "%1 needs a FILE (- for standard input)"),
                option)
                .constData());
        return 2;
    }
    const QString name =
        IsStandardStream(file)
            ? (exporting ? QCoreApplication::translate("CommandLine", "standard output")
                         : QCoreApplication::translate("CommandLine", "standard input"))
            : FileName(file);
    try {
        SettingsStore store;
        exporting ? ExportSettingsTo(store, file) : ImportSettingsFrom(store, file);
        return 0;
    } catch (const AppError& error) {
        const QString what =
            exporting
                ? QCoreApplication::translate("CommandLine", "cannot export the settings to %1: %2")
                : QCoreApplication::translate("CommandLine",
                                              "cannot import the settings from %1: %2");
        std::fprintf(stderr, "couchframe: %s\n",
                     what.arg(name, error.message()).toLocal8Bit().constData());
        return 1;
    }
}
} // namespace

std::optional<int> RunCommandLineOnly(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    const bool help = std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0;
    const bool version = std::strcmp(argv[1], "--version") == 0;
    const bool transfer = std::strcmp(argv[1], "--export-settings") == 0 ||
                          std::strcmp(argv[1], "--import-settings") == 0;
    const char* unknown = help || version || transfer ? nullptr : UnknownOption(argc, argv);
    if (!help && !version && !transfer && !unknown)
        return std::nullopt;
    // What is printed here speaks the user's language too; the application object that holds the
    // translation is made only for these options, so a normal start does not pay for it.
    std::optional<QCoreApplication> texts;
    if (!QCoreApplication::instance()) {
        texts.emplace(argc, argv);
        InstallTranslation(*texts);
    }
    if (help) {
        std::fputs(Usage().constData(), stdout);
        return 0;
    }
    if (version) {
        std::printf("couchframe %s\n", COUCHFRAME_VERSION);
        return 0;
    }
    if (transfer)
        return RunSettingsTransfer(argv[1], argc > 2 ? argv[2] : nullptr);
    std::fprintf(stderr, "couchframe: %s\n\n%s",
                 WithArgumentBytes(QT_TRANSLATE_NOOP("CommandLine", "unknown option '%1'"), unknown)
                     .constData(),
                 Usage().constData());
    return 2;
}
