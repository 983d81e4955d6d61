// Writes a playlist the way a play command does, for tests that run it as another account:
// playlist_writer KIND PATH... prints the playlist's path, or the message and exit status 1.
#include "filemenu/playlist_file.h"
#include "platform/error.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    try {
        const int kind = std::atoi(argv[1]);
        QByteArrayList paths;
        for (int i = 2; i < argc; ++i)
            paths.append(argv[i]);
        const QByteArray playlist = TempFilePath(PlaylistFileName("couchframe", kind));
        WritePlaylist(playlist, kind, paths);
        std::printf("%s\n", playlist.constData());
        return 0;
    } catch (const AppError& error) {
        std::fprintf(stderr, "%s\n", error.message().toLocal8Bit().constData());
        return 1;
    }
}
