#include "viewer/viewer_form.h"

#include "gradient/pgra112.h"
#include "input/app_command.h"
#include "input/remote_report.h"
#include "platform/application.h"
#include "platform/error.h"
#include "platform/image_widget.h"
#include "platform/media_session.h"
#include "platform/sleep_watch.h"
#include "platform/timer.h"
#include "settings/general.h"
#include "spi/spibmp.h"
#include "ui/backdrop.h"
#include "ui/progress_strip.h"
#include "ui/screen_stack.h"
#include "viewer/picture_file.h"
#include "viewer/picture_fit.h"
#include "viewer/picture_list.h"
#include "viewer/picture_prefetch.h"
#include "viewer/viewer_media_session.h"

#include <QCoreApplication>
#include <QPainter>
#include <QProgressBar>
#include <QResizeEvent>

#include <algorithm>
#include <climits>
#include <optional>

TViewer_Form::TViewer_Form(const ScreenServices& services, PictureLoader loadPicture)
    : Image1(new ImageWidget(this)), PB1(MakeProgressStrip(this)),
      PG1(MakeScreenGradient(this, Image1)), Timer1(new Timer(this)), services_(services),
      awake_(services.awake),
      prefetch_(std::make_unique<PicturePrefetch>(services.plugins, std::move(loadPicture))),
      session_(std::make_unique<ViewerMediaSession>(*this)), registration_(services.sessions),
      readable_(std::make_unique<ReadableWait>(services.clock)) {
    setWindowTitle(QCoreApplication::translate("Viewer", "Pictures"));
    SetBlackBackground(*this);

    Timer1->setEnabled(false);
    Timer1->onTimer = [this] { Timer1Timer(); };
    // A show left running would step on at the wake, while no one may be watching yet: it waits,
    // paused, for Play.
    connect(&services.sleep, &SleepWatch::aboutToSleep, this, &TViewer_Form::PauseSlideShow);
}

TViewer_Form::~TViewer_Form() = default;

void TViewer_Form::FormShow() {
    DropDecodes();
    list_.clear();
    index_ = 0;
    running_ = false;

    registration_.Register(session_.get());
    // Nobody sees a show while the TV is off: it waits on the picture it was at.
    if (ScreenStack* stack = Stack())
        connect(stack, &ScreenStack::screenLost, this, &TViewer_Form::PauseSlideShow,
                Qt::UniqueConnection);
    displayTime_ = ReadSetting(services_.store, setting::ViewerDispTime);
    SetTimerInterval();

    PB1->setFixedHeight(ProgressStripHeight(height()));
    PB1->setVisible(ReadSetting(services_.store, setting::ViewerShowProgress));
    Arrange();

    if (listFlag) {
        try {
            list_ = ReadPictureList(path);
        } catch (const AppError& error) {
            // Reported like any other failure; the screen stays up, showing nothing.
            ReportError(error);
            return;
        }
    } else if (neighbours.contains(path)) {
        list_ = neighbours;
        index_ = static_cast<int>(list_.indexOf(path));
    } else {
        list_ = {path};
    }
    if (list_.isEmpty())
        PG1->Paint();
    else
        ShowPicture(list_[index_]);
}

void TViewer_Form::FormClose() {
    DropDecodes();
    registration_.Release();
    StopSlideShow();
    WriteSetting(services_.store, setting::ViewerShowProgress, !PB1->isHidden());
    WriteSetting(services_.store, setting::ViewerDispTime, displayTime_);
}

void TViewer_Form::FormKeyDown(int& key, ShiftState shift) {
    if (key == vk::Escape || key == vk::Delete) {
        key = 0;
        CloseViewer();
        return;
    }
    if (key >= vk::Digit0 && key <= vk::Digit0 + 9) {
        SetDisplayTime(key - vk::Digit0);
        return;
    }
    if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9) {
        SetDisplayTime(key - vk::Numpad0);
        return;
    }
    // The remote's arrows step as Ctrl+F and Ctrl+B do.
    if ((key == vk::Right || key == vk::Left) && shift == ShiftState{}) {
        key == vk::Right ? NextPicture() : PreviousPicture();
        key = 0;
        return;
    }
    if (!shift.ctrl)
        return;
    switch (key) {
    case 'B':
        key = 0;
        PreviousPicture();
        break;
    case 'F':
        key = 0;
        NextPicture();
        break;
    case 'I':
        key = 0;
        ToggleProgress();
        break;
    case 'P':
        key = 0;
        ToggleSlideShow();
        break;
    case 'S':
        key = 0;
        StopSlideShow();
        break;
    default:
        break;
    }
}

void TViewer_Form::WmInput(const RawInputMessage& message) {
    if (FetchRemoteReport(message) == report::Progress)
        ToggleProgress();
}

void TViewer_Form::WmAppCommand(int command) {
    switch (command) {
    case appcommand::NextTrack:
        NextPicture();
        break;
    case appcommand::PreviousTrack:
        PreviousPicture();
        break;
    case appcommand::Stop:
        StopSlideShow();
        break;
    case appcommand::Play:
        StartSlideShow();
        break;
    case appcommand::Pause:
        PauseSlideShow();
        break;
    case appcommand::PlayPause:
        ToggleSlideShow();
        break;
    default:
        break;
    }
}

void TViewer_Form::Timer1Timer() {
    if (awaitingPrefetch_)
        return; // the show does not step past a picture that is not on screen yet
    if (index_ < list_.size() - 1) {
        StepTo(index_ + 1);
        return;
    }
    StopSlideShow();
}

void TViewer_Form::ShowPicture(const QByteArray& picturePath) {
    awaitingPrefetch_ = false;
    PB1->setValue(list_.isEmpty() ? 0
                                  : static_cast<int>(static_cast<qint64>(index_) *
                                                     kProgressStripMax / list_.size()));
    // Pictures are decoded on a worker, never here: one on a share that stalls holds its own
    // showing, never a key. The picture before stays on screen until this one is there.
    const QSize area = Image1->size();
    if (!prefetch_->Holds(picturePath, area))
        prefetch_->Start(picturePath, area);
    if (prefetch_->Pending(picturePath, area)) {
        awaitingPrefetch_ = true;
        prefetch_->WhenDone([this, picturePath] { ShowPicture(picturePath); });
        return;
    }
    std::optional<DecodedPicture> decoded = prefetch_->Take(picturePath, area);
    if (decoded && !decoded->picture.isNull()) {
        DrawPicture(std::move(decoded->picture));
        pictureShown_ = true;
    } else
        ShowFailure(picturePath, decoded ? decoded->failure : QString());
    PrefetchNext();
}

void TViewer_Form::ShowFailure(const QByteArray& picturePath, const QString& failure) {
    // While the show runs, a box per tick would pile up: the failure is written on the black area
    // instead. Stepped by hand, the failure is reported as usual.
    if (Timer1->enabled() && !failure.isEmpty()) {
        DrawPicture(WaitForPicture(picturePath, failure));
        return;
    }
    DrawPicture(QImage());
    if (!failure.isEmpty())
        ReportError(AppError(failure));
}

QImage TViewer_Form::WaitForPicture(const QByteArray& picturePath, const QString& failure) {
    Timer1->setEnabled(false);
    readable_->Wait(picturePath, [this, picturePath, failure](bool atOnce) {
        if (!running_ || index_ >= list_.size() || list_[index_] != picturePath)
            return;
        Timer1->setEnabled(true);
        UpdateScreenAwake();
        if (atOnce)
            DrawPicture(CaptionCanvas(failure));
        else
            ShowPicture(picturePath);
    });
    return CaptionCanvas(WaitingForFolderOf(picturePath));
}

void TViewer_Form::DropDecodes() {
    prefetch_->Drop();
    awaitingPrefetch_ = false; // what was on its way never arrives
}

void TViewer_Form::PrefetchNext() {
    if (index_ + 1 < list_.size())
        prefetch_->Start(list_[index_ + 1], Image1->size());
}

bool TViewer_Form::PrefetchReady() const {
    return prefetch_->Ready();
}

void TViewer_Form::DrawPicture(QImage canvas) {
    pictureShown_ = false;
    Image1->Picture() = std::move(canvas);
    Image1->PictureChanged();
}

QImage TViewer_Form::CaptionCanvas(const QString& text) const {
    QImage canvas(Image1->size(), QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.setPen(Qt::white);
    painter.setFont(font());
    painter.drawText(canvas.rect(), Qt::AlignCenter | Qt::TextWordWrap, text);
    painter.end();
    return canvas;
}

void TViewer_Form::StepTo(int newIndex) {
    index_ = newIndex;
    ShowPicture(list_[index_]);
    services_.sessions.Announce();
}

void TViewer_Form::NextPicture() {
    if (Timer1->enabled())
        return;
    if (index_ < list_.size() - 1)
        StepTo(index_ + 1);
}

void TViewer_Form::PreviousPicture() {
    if (Timer1->enabled())
        return;
    if (index_ > 0)
        StepTo(index_ - 1);
}

void TViewer_Form::ToggleSlideShow() {
    if (running_ && Timer1->enabled()) {
        Timer1->setEnabled(false);
        UpdateScreenAwake();
        return;
    }
    StartSlideShow();
}

void TViewer_Form::StartSlideShow() {
    running_ = true;
    Timer1->setEnabled(true);
    UpdateScreenAwake();
}

void TViewer_Form::PauseSlideShow() {
    if (running_)
        Timer1->setEnabled(false);
    UpdateScreenAwake();
}

void TViewer_Form::StopSlideShow() {
    running_ = false;
    Timer1->setEnabled(false);
    UpdateScreenAwake();
}

void TViewer_Form::UpdateScreenAwake() {
    awake_.Set(running_ && Timer1->enabled());
    // Every change of the show passes here: the desktop is told of it too.
    services_.sessions.Announce();
}

void TViewer_Form::ToggleProgress() {
    PB1->setVisible(PB1->isHidden());
    Arrange();
}

void TViewer_Form::SetDisplayTime(int digit) {
    displayTime_ = digit == 0 ? 10 : digit;
    SetTimerInterval();
}

void TViewer_Form::SetTimerInterval() {
    // A stored display time too large for the timer waits as long as the timer can.
    const qint64 milliseconds = static_cast<qint64>(displayTime_) * 1000;
    Timer1->setInterval(static_cast<int>(std::clamp<qint64>(milliseconds, INT_MIN, INT_MAX)));
}

void TViewer_Form::CloseViewer() {
    DropDecodes();
    readable_->Stop();
    Timer1->setEnabled(false);
    UpdateScreenAwake();
    Image1->hide();
    QCoreApplication::processEvents();
    close();
}

void TViewer_Form::Arrange() {
    Image1->setGeometry(PlaceProgressStrip(*PB1));
}

void TViewer_Form::resizeEvent(QResizeEvent* event) {
    Form::resizeEvent(event);
    if (!IsUsableScreenSize(size()))
        return; // nothing is laid out for a screen that is not there
    PB1->setFixedHeight(ProgressStripHeight(height()));
    Arrange();
    // A new resolution: the picture on screen is drawn again for it, the old one staying until
    // then. A failure written on the screen is not told again.
    if (pictureShown_ && event->oldSize() != event->size())
        ShowPicture(list_[index_]);
}
