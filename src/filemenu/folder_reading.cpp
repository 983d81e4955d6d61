#include "filemenu/folder_reading.h"

#include "filemenu/folder_listing.h"

#include <sys/stat.h>

FolderReading::FolderReading(QObject* receiver, const QByteArray& folder,
                             const ExtensionList& extensions, Found found, Done done)
    : job_(BackgroundJob::Start(
          receiver,
          [folder, extensions, found = std::move(found)](const JobControl& control) {
              Listing listing;
              struct stat info {};
              if (stat(folder.constData(), &info) == 0 && S_ISDIR(info.st_mode))
                  listing.identity = std::pair<quint64, quint64>{info.st_dev, info.st_ino};
              // The count is told in steps, not for every entry of a folder of 100,000 files.
              auto lastReport = std::chrono::steady_clock::now();
              listing.entries = ListFolderEntries(folder, extensions, [&](size_t taken) {
                  const auto now = std::chrono::steady_clock::now();
                  if (now - lastReport < kReportInterval)
                      return;
                  lastReport = now;
                  control.Post([found, taken] { found(taken); });
              });
              return listing;
          },
          std::move(done))) {}
