#pragma once

#include "platform/media_session.h"
#include "platform/readable_wait.h"
#include "platform/screen_awake.h"
#include "ui/form.h"
#include "ui/screen_services.h"
#include "viewer/picture_file.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class ImageWidget;
class PicturePrefetch;
class QProgressBar;
class TPGradation;
class TSPIBitmap;
class Timer;
class ViewerMediaSession;

// The full-screen slide show of picture files: one picture at a time, fitted and centred on black,
// stepped by key or remote, or advanced by a timer every display time; a thin bar at the bottom
// shows the position in the list.
class TViewer_Form : public Form {
public:
    explicit TViewer_Form(const ScreenServices& services,
                          PictureLoader loadPicture = LoadPictureFile);
    ~TViewer_Form() override;

    // Set by the opener before the screen is shown: path names a list file (one picture path per
    // line) when listFlag is set, else one picture. Bytes of the file system.
    bool listFlag = false;
    QByteArray path;
    // With a single picture: the pictures of the listing it was chosen from, itself included, in
    // the order of the screen. The show steps through them from that picture.
    QList<QByteArray> neighbours;

    // Handlers.
    void FormShow() override;
    void FormClose() override;
    void FormKeyDown(int& key, ShiftState shift) override;
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;
    void Timer1Timer();

    // Operations.
    void ShowPicture(const QByteArray& picturePath);
    void NextPicture();
    void PreviousPicture();
    void ToggleSlideShow();
    void StartSlideShow();
    void PauseSlideShow();
    void StopSlideShow();
    void ToggleProgress();
    void SetDisplayTime(int digit);
    // Esc and Delete: stops the show and closes; a picture still being decoded is dropped.
    void CloseViewer();

    // State, for tests.
    const QList<QByteArray>& List() const { return list_; }
    int Index() const { return index_; }
    int DisplayTime() const { return displayTime_; }
    bool Running() const { return running_; }
    // Whether the next picture has been decoded ahead and waits to be shown.
    bool PrefetchReady() const;
    // Whether the picture to show is still being decoded.
    bool AwaitingPrefetch() const { return awaitingPrefetch_; }

    // Components.
    ImageWidget* Image1;
    QProgressBar* PB1;
    TPGradation* PG1;
    Timer* Timer1;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void StepTo(int newIndex);
    // A picture that could not be decoded: its failure written on black while the show runs,
    // told in a message box when it was stepped to by hand.
    void ShowFailure(const QByteArray& picturePath, const QString& failure);
    void DrawPicture(QImage canvas);
    // Drops the picture being decoded, whether to show or ahead.
    void DropDecodes();
    // Decodes the picture after the one shown, if any, while this one is on screen.
    void PrefetchNext();
    QImage CaptionCanvas(const QString& text) const;
    // A picture of the running show that failed: while its file cannot be read (its share went
    // away) the show waits on it, saying so, and goes on from it once it can; a file that can be
    // read failed for itself, and its failure stays written while the show goes on.
    QImage WaitForPicture(const QByteArray& picturePath, const QString& failure);
    void SetTimerInterval();
    // Image1 fills the screen above PB1, which takes the bottom when shown.
    void Arrange();
    // The screen is kept awake exactly while the show steps on by itself.
    void UpdateScreenAwake();

    QList<QByteArray> list_;
    int index_ = 0;
    int displayTime_ = 3;
    bool running_ = false;
    bool awaitingPrefetch_ = false; // the picture to show is still being decoded
    bool pictureShown_ = false;     // Image1 holds list_[index_] as decoded, not a caption
    const ScreenServices services_;
    ScreenAwakeHold awake_;
    std::unique_ptr<PicturePrefetch> prefetch_;
    std::unique_ptr<ViewerMediaSession> session_;
    MediaSessionRegistration registration_;
    std::unique_ptr<ReadableWait> readable_;
};
