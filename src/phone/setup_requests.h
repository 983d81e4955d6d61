#pragma once

#include "phone/pairing_throttle.h"
#include "phone/phone_response.h"
#include "phone/setup_unlocks.h"

#include <QHttpServerRequest>

class PhoneSetup;

// The answers under /setup/, to a paired phone on the page's own origin (PhoneRequests sees to
// that): the owner's exit code opens the set-up to the phone's session for a while, and then the
// phone may read and store the settings and look through the PC's folders (PhoneSetup).
//   POST /setup/unlock     {"exitCode": …}: 204, 403 wrong, 429 too many wrong tries
//   GET /setup/settings    the settings (200), 403 while locked
//   POST /setup/settings   the settings whole: 204 stored, 422 {"message": …} refused, 400 not
//                          JSON, 403 while locked
//   GET /setup/folders     ?path=…: [{"name", "path"}, …] (200), 403 while locked
// Any body larger than kMaxBody: 413.
class SetupRequests {
public:
    static constexpr qsizetype kMaxBody = 64 * 1024;

    explicit SetupRequests(const Clock& clock) : unlocks_(clock), throttle_(clock) {}

    // Null: no set-up offered.
    void SetSetup(PhoneSetup* setup) { setup_ = setup; }
    bool Offered() const { return setup_ != nullptr; }
    // Of the paired phone whose session secret the request carries.
    PhoneResponse Respond(const QHttpServerRequest& request, const QByteArray& session);
    void LockAll() { unlocks_.LockAll(); }

private:
    PhoneResponse Unlock(const QHttpServerRequest& request, const QByteArray& session);
    PhoneResponse Save(const QHttpServerRequest& request);
    PhoneResponse Folders(const QHttpServerRequest& request);

    PhoneSetup* setup_ = nullptr;
    SetupUnlocks unlocks_;
    PairingThrottle throttle_; // wrong exit codes
};
