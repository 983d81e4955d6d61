#include "phone/session_cookie.h"

#include <QList>

namespace {
const QByteArray kName = QByteArrayLiteral("couchframe_phone");
} // namespace

QByteArray SessionCookie(const QByteArray& secret) {
    return kName + '=' + secret + "; Max-Age=31536000; Path=/; HttpOnly; SameSite=Strict";
}

QByteArray SessionFromCookies(const QByteArray& cookieHeader) {
    for (const QByteArray& cookie : cookieHeader.split(';')) {
        const QByteArray pair = cookie.trimmed();
        if (pair.startsWith(kName + '='))
            return pair.mid(kName.size() + 1);
    }
    return {};
}
