#pragma once

#include "platform/background_job.h"
#include "platform/media_session.h"
#include "platform/screen_awake.h"
#include "player/media_player_control.h"
#include "player/now_playing.h"
#include "ui/form.h"
#include "ui/panel_selection.h"
#include "ui/screen_services.h"

#include <QCoreApplication>
#include <QList>
#include <QRect>

#include <chrono>
#include <memory>

class ImageWidget;
class Panel;
class PlayerMediaSession;
class PlaybackResume;
class ReadableWait;
class TrackMemory;
class ScreenNote;
class PlaybackNotice;
class QLabel;
class QProgressBar;
class QWidget;
class TPGradation;

// Where the music-mode parts go on a screen of W x H pixels (integer arithmetic throughout).
struct PlayerLayout {
    QRect loopPanel;    // PNL001, inside the music panel
    QRect shufflePanel; // PNL002
    QRect info;         // the now-playing caption
    int fontHeight;     // negative: characters of that many pixels
    int progressHeight; // PB1
};
PlayerLayout ComputePlayerLayout(int width, int height);

// The player screen: plays a media file or playlist through the media player control, full screen
// in video mode, behind a gradient with the now-playing caption in music mode.
class TPlayer_Form : public Form, public PanelSelection {
    Q_DECLARE_TR_FUNCTIONS(TPlayer_Form)

public:
    // The screen plays through the engine it is given (libmpv's, or a test's) and owns it.
    TPlayer_Form(std::unique_ptr<MediaEngine> engine, const ScreenServices& services);
    ~TPlayer_Form() override;

    MediaPlayerControl* WMP1;
    QWidget* MusicPanel;
    ImageWidget* Image1;
    QLabel* Info;
    Panel* PNL001;
    Panel* PNL002;
    QProgressBar* PB1;
    TPGradation* PG1;
    QLabel* Cover;    // the album cover beside the caption (music mode)
    ScreenNote* Note; // short-lived indicators over video and music alike
    // Stays while the player is paused.
    ScreenNote* PauseMark;
    // The time played and the length, for a moment after a jump, a step or Ctrl+I.
    ScreenNote* Times;
    // Set by the opener of a single file: the files of the listing it was chosen from, itself
    // included, in the order of the screen. Next and Previous step through them.
    QList<QByteArray> neighbours;
    // What could not be played, over the picture or the music panel.
    PlaybackNotice* Notice;
    // "Waiting for <folder>…" while the item cannot be read (a share gone away or asleep).
    ScreenNote* WaitNote;

    void FormCreate();
    void FormShow() override;
    void FormKeyDown(int& key, ShiftState shift) override;
    void FormClose() override;
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;
    void Panel_Click(Panel& panel) override;
    // What the control announces: its state (the screen kept awake, the desktop told) and its
    // position (the progress bar).
    void WMP1StateChange();
    void WMP1PositionChange();
    void WMP1MediaChange();
    // The item played to its end: a file chosen in a folder list is followed by the next one of
    // the folder, a song at once, a film after a notice counting down (Esc, Back or Stop keep the
    // player on the ended film; Enter or Next start the next one at once).
    void WMP1ItemEnded(const QByteArray& item);
    // The item stopped well before its end. Its place is kept (never as watched, never as an
    // end), and while its file cannot be read the screen says what it waits for; readable again,
    // a file the player was given (or stepped to) goes on from there by itself, one that was
    // whole all along (only shorter than it said) has ended.
    void WMP1ItemCutShort(const QByteArray& item, double position);

    void PlayPause();
    void FastForward();
    void FastReverse();
    void VolumeUp();
    void VolumeDown();
    void ToggleMute();
    // From the remote, the control is set to stretch its video afterwards; from the keyboard not.
    void ToggleProgress(bool fromRemote);
    void ToggleMode(int tag);
    void SetSkipLength(int digit);
    // Keeps the screen awake exactly while the control plays.
    void UpdateScreenAwake();
    // The machine is about to sleep: a video's place is kept and playback paused, a countdown to
    // the next film dropped. After the wake the player stays paused there; Play goes on.
    void Sleep();
    void Stop();
    // Previous item; a resumed video starts over instead.
    void Previous();
    void CycleTrack(TrackKind kind);

    // Jump presses that come within this of each other add up to one seek.
    static constexpr std::chrono::milliseconds kJumpGathering{750};
    static constexpr int kTimesMs = 3000;
    static constexpr int kNextCountdownSeconds = 5;
    // Waiting for data this long means the file's share does not answer.
    static constexpr std::chrono::seconds kStalledAfter{5};
    // Whether the notice before the next film is counting down.
    bool CountingDown() const { return countdown_ > 0; }

    int SkipLength() const { return skipLength_; }
    bool AutomaticSkip() const { return automaticSkip_; }
    // The caption as written, line breaks as CR LF.
    const QString& InfoCaption() const { return infoCaption_; }
    // The item's tags for a desktop remote, from what has been read of its files so far.
    NowPlayingTags NowPlaying(const QByteArray& item) const;
    // The item's embedded picture, else its folder's cover picture (read in music mode); null
    // when it has none.
    QImage CoverPicture() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void FollowNewSize() override;

private:
    // A jump of skip-length seconds where the control cannot scan itself: gathered with the
    // presses that follow within kJumpGathering, its target shown at once, then one seek.
    void Jump(bool forward);
    void MakeGatheredJump();
    // Shows the time played (or a jump's target) and the length.
    void ShowTimes(double position);
    void Next();
    // Opens the neighbour `by` files away, if the open file is one of the neighbours; false when
    // it is not (the control steps through its own playlist then).
    bool StepToNeighbour(int by);
    // Which of the neighbours plays: the item itself (a song queued without a gap is one), else
    // the file the player was given; -1 for none.
    qsizetype NeighbourIndex();
    // Whether the owner lets the file that ended be followed by the next of its folder.
    bool PlaysOnThroughTheFolder() const;
    // Music: the next song of the folder queued behind the one playing, for a gapless album.
    void QueueNextSong();
    // A step to another item: a countdown and jumps still gathering are dropped.
    void LeaveItem();
    void CountDown(unsigned round);
    void CancelCountdown();
    // The progress bar along the bottom; the control and the music panel fill the rest.
    void Realign();
    // The panels, the caption, the cover's box and the strip for a screen of the size.
    void LayOut(QSize size);
    bool IsMusicMode() const;
    // The item's embedded picture, else its folder's cover picture, beside the caption.
    void ShowCover();
    // The caption and, in music mode, the cover from what is known of the current item.
    void ShowNowPlaying();
    void ShowIndicator(const QString& text);
    void ShowWaitingFor(const QByteArray& item);
    // The wait for an unreadable item ends (it came back, or the owner went on).
    void EndWaiting();

    Clock& clock_;
    SettingsStore& store_;
    int countdown_ = 0;     // seconds left before the next film; 0: none
    QByteArray queuedSong_; // the song queued to follow the one playing
    unsigned countdownRound_ = 0;
    double gatheredJump_ = 0;
    unsigned jumpRound_ = 0;
    int skipLength_ = 0;
    bool automaticSkip_ = false;
    bool loopFlag_ = false;
    bool shuffleFlag_ = false;
    QString infoCaption_;
    MediaSessions& sessions_;
    SleepWatch& sleep_;
    ScreenAwakeHold awake_;
    std::unique_ptr<PlayerMediaSession> session_;
    MediaSessionRegistration registration_;
    QRect coverBox_;
    // The current item's tag and folder cover, read off the user-interface thread.
    NowPlayingFiles files_;
    BackgroundJob readingFiles_;
    std::unique_ptr<PlaybackResume> resume_;
    std::unique_ptr<TrackMemory> tracks_;
    std::unique_ptr<ReadableWait> readable_;
    double reopenAt_ = -1; // where the item re-opened after a wait goes on; -1: none
    unsigned bufferingRound_ = 0;
};

// The player screen on libmpv set up for a media file or playlist: category 1 (Video) shows the
// video, 2 (Music) the music panel.
std::unique_ptr<TPlayer_Form> CreatePlayerScreen(const QByteArray& path, int category,
                                                 const ScreenServices& services,
                                                 const QList<QByteArray>& neighbours = {});
