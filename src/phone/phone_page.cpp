#include "phone/phone_page.h"

#include <QFile>

#include <array>

namespace {
struct PageFile {
    const char16_t* path;
    const char* resource;
    const char* contentType;
};

const std::array<PageFile, 3> kFiles{{
    {u"/", ":/phone/index.html", "text/html; charset=utf-8"},
    {u"/remote.js", ":/phone/remote.js", "text/javascript; charset=utf-8"},
    {u"/remote.css", ":/phone/remote.css", "text/css; charset=utf-8"},
}};
} // namespace

std::optional<PhoneResponse> PhonePageFile(QStringView path) {
    for (const PageFile& file : kFiles) {
        if (path != QStringView(file.path))
            continue;
        QFile resource(QString::fromLatin1(file.resource));
        if (!resource.open(QIODevice::ReadOnly))
            return std::nullopt;
        return PhoneResponse{
            QHttpServerResponder::StatusCode::Ok, file.contentType, resource.readAll(), {}};
    }
    return std::nullopt;
}
