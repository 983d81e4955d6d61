#include "phone/phone_page.h"

#include <QFile>

#include <array>

namespace {
struct PageFile {
    const char16_t* path;
    const char* resource;
    const char* contentType;
};

const std::array<PageFile, 9> kFiles{{
    {u"/", ":/phone/index.html", "text/html; charset=utf-8"},
    {u"/remote.js", ":/phone/remote.js", "text/javascript; charset=utf-8"},
    {u"/page.js", ":/phone/page.js", "text/javascript; charset=utf-8"},
    {u"/texts.js", ":/phone/texts.js", "text/javascript; charset=utf-8"},
    {u"/setup.js", ":/phone/setup.js", "text/javascript; charset=utf-8"},
    {u"/settings_form.js", ":/phone/settings_form.js", "text/javascript; charset=utf-8"},
    {u"/folder_picker.js", ":/phone/folder_picker.js", "text/javascript; charset=utf-8"},
    {u"/remote.css", ":/phone/remote.css", "text/css; charset=utf-8"},
    {u"/setup.css", ":/phone/setup.css", "text/css; charset=utf-8"},
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
