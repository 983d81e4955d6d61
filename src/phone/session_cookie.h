#pragma once

#include <QByteArray>

// The cookie that carries a paired phone's session secret. The page's script never sees it
// (HttpOnly), other sites' requests never carry it (SameSite=Strict), and it lasts a year, so a
// phone pairs once.
QByteArray SessionCookie(const QByteArray& secret); // a Set-Cookie value
// The session secret in a Cookie header, empty when there is none.
QByteArray SessionFromCookies(const QByteArray& cookieHeader);
