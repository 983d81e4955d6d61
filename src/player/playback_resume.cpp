#include "player/playback_resume.h"

#include "platform/clock.h"
#include "platform/error.h"
#include "player/media_player_control.h"
#include "settings/playback_index.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cmath>

PlaybackResume::PlaybackResume(MediaPlayerControl& control, PlaybackIndex& index, Clock& clock,
                               QObject& context)
    : control_(control), index_(index), clock_(clock), context_(context) {}

bool PlaybackResume::OnOpenedFile() {
    const QByteArray url = control_.URL();
    return !url.isEmpty() && url == checked_ && control_.currentMedia().sourceURL() == url;
}

std::optional<int> PlaybackResume::ResumeOnce() {
    const QByteArray url = control_.URL();
    if (url.isEmpty() || url == checked_ || control_.currentMedia().sourceURL() != url)
        return std::nullopt;
    // Another file of the folder: a fresh start for this one.
    checked_ = url;
    resumed_ = false;
    counted_ = false;
    length_ = control_.currentMedia().duration();
    const auto record = index_.Find(url);
    if (!record || record->position <= 0)
        return std::nullopt;
    const int position = static_cast<int>(record->position);
    // A file replaced by a shorter one under the same name starts from the beginning.
    if (length_ > 0 && position >= length_)
        return std::nullopt;
    control_.controls().setCurrentPosition(position);
    resumed_ = true;
    return position;
}

void PlaybackResume::KeepPosition() {
    // Before its item was current (still opening) a position says nothing: what is kept stays.
    if (!OnOpenedFile())
        return;
    if (const double length = control_.currentMedia().duration(); length > 0)
        length_ = length;
    if (length_ > 0)
        Record(control_.controls().currentPosition());
}

void PlaybackResume::KeepPositionAt(const QByteArray& item, double position) {
    if (item == checked_ && length_ > 0)
        Record(position, false);
}

void PlaybackResume::Ended() {
    if (control_.URL() == checked_ && length_ > 0)
        Record(length_);
}

void PlaybackResume::Record(double position, bool finished) {
    PlaybackRecord record = index_.Find(checked_).value_or(PlaybackRecord{});
    record.path = checked_;
    record.duration = length_;
    record.lastPlayed = QDateTime::currentMSecsSinceEpoch();
    if (finished && watching::PlayedToTheEnd(position, length_)) {
        // Watched: the next opening starts afresh.
        if (!counted_)
            ++record.playCount;
        counted_ = true;
        record.position = 0;
    } else {
        record.position = position >= watching::kFirstResumePoint ? std::floor(position) : 0;
    }
    index_.Save(record);
}

void PlaybackResume::Playing(bool playing) {
    if (playing == playing_)
        return;
    playing_ = playing;
    if (playing)
        KeepLater(++keepRound_);
    else
        ++keepRound_;
}

void PlaybackResume::KeepLater(unsigned round) {
    clock_.CallAfter(std::chrono::seconds(kKeepEverySeconds), &context_, [this, round] {
        if (round != keepRound_)
            return;
        try {
            KeepPosition();
        } catch (const AppError&) {
            // Kept again at the stop, which reports what fails; a message every 30 s would not
            // help.
        }
        KeepLater(round);
    });
}

bool PlaybackResume::StartOver() {
    if (!resumed_)
        return false;
    resumed_ = false;
    control_.controls().setCurrentPosition(0);
    return true;
}

QString PlaybackResume::ResumeNote(int seconds) {
    const int hours = seconds / 3600;
    const int minutes = seconds / 60 % 60;
    const QString time =
        hours > 0 ? QStringLiteral("%1:%2:%3")
                        .arg(hours)
                        .arg(minutes, 2, 10, QLatin1Char('0'))
                        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                  : QStringLiteral("%1:%2").arg(minutes).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QCoreApplication::translate("Player", "Resumed at %1 — Ctrl+B starts over").arg(time);
}
