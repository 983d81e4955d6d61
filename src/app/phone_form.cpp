#include "app/phone_form.h"

#include "gradient/pgra112.h"
#include "phone/phone_pairing.h"
#include "platform/clock.h"
#include "platform/fonts.h"
#include "platform/image_widget.h"
#include "platform/screen_changes.h"
#include "ui/backdrop.h"

#include <QLabel>
#include <QPixmap>

#include <algorithm>

namespace {
// Renewed a little before it expires, so that a code read off the screen still works.
constexpr std::chrono::milliseconds kRenewBefore{20000};
constexpr std::chrono::milliseconds kShortestLife{1000};

QLabel* MakeLabel(QWidget* owner, Qt::Alignment alignment) {
    auto* label = new QLabel(owner);
    label->setAlignment(alignment);
    SetWhiteText(*label);
    return label;
}
} // namespace

TPhone_Form::TPhone_Form(PhonePairing& pairing, PhoneInvitations invitations, Clock& clock)
    : invitations_(std::move(invitations)), clock_(clock), Image1(new ImageWidget(this)),
      PG1(MakeScreenGradient(this, Image1)), LBLTitle(MakeLabel(this, Qt::AlignCenter)),
      IMGCode(new QLabel(this)), LBLHelp(MakeLabel(this, Qt::AlignLeft | Qt::AlignTop)),
      LBLAddress(MakeLabel(this, Qt::AlignLeft | Qt::AlignVCenter)),
      LBLCode(MakeLabel(this, Qt::AlignLeft | Qt::AlignVCenter)),
      LBLStatus(MakeLabel(this, Qt::AlignLeft | Qt::AlignVCenter)) {
    setWindowTitle(tr("Phone remote"));
    SetBlackBackground(*this);
    LBLTitle->setText(tr("Phone remote"));
    LBLHelp->setWordWrap(true);
    LBLAddress->setTextInteractionFlags(Qt::NoTextInteraction);
    IMGCode->setAlignment(Qt::AlignCenter);
    // The code is read off a camera picture: dark on white whatever the theme.
    IMGCode->setStyleSheet(QStringLiteral("background: white"));
    connect(&pairing, &PhonePairing::PhoneConnected, this, [this] { ShowConnected(); });
}

void TPhone_Form::FormShow() {
    Invite();
    Image1->setGeometry(rect());
    FollowNewSize();
}

void TPhone_Form::FormKeyDown(int& key, ShiftState /*shift*/) {
    if (key == vk::Escape || key == vk::F1) {
        key = 0;
        close();
    }
}

void TPhone_Form::Invite() {
    const PhoneInvitationView view = invitations_();
    qr_ = view.qr;
    address_ = view.address;
    code_ = view.code;
    LBLHelp->setText(
        address_.isEmpty()
            ? tr("The phone remote cannot be reached: no network address could be served. Check "
                 "the network connection, then open this screen again.")
            : tr("Scan the code with the phone's camera. Without a camera, open the address below "
                 "in the phone's browser and type the code."));
    LBLAddress->setText(address_);
    LBLCode->setText(tr("Code: %1").arg(code_));
    LBLStatus->setText(connected_ ? tr("Phone connected") : QString());

    delete renewal_;
    renewal_ = new QObject(this);
    clock_.CallAfter(std::max(view.life - kRenewBefore, kShortestLife), renewal_, [this] {
        Invite();
        LayOut(width(), height());
    });
}

void TPhone_Form::ShowConnected() {
    connected_ = true;
    // The invitation has been used: the next phone gets a fresh one.
    Invite();
    LayOut(width(), height());
}

void TPhone_Form::LayOut(int screenWidth, int screenHeight) {
    if (!IsUsableScreenSize(QSize(screenWidth, screenHeight)))
        return;
    const int margin = screenHeight / 18;
    const int titleHeight = screenHeight / 9;
    LBLTitle->setFont(ScreenFont(-screenHeight / 16));
    LBLTitle->setGeometry(0, margin / 2, screenWidth, titleHeight);

    // The code as large as fits beside the text, in whole pixels per module so that it stays sharp.
    const int top = margin / 2 + titleHeight + margin / 2;
    const int room = std::min(screenHeight - top - margin, screenWidth * 9 / 20);
    const int scale = qr_.isNull() ? 0 : std::max(1, room / qr_.width());
    const int side = qr_.isNull() ? 0 : qr_.width() * scale;
    IMGCode->setVisible(!qr_.isNull());
    if (!qr_.isNull()) {
        IMGCode->setPixmap(QPixmap::fromImage(
            qr_.scaled(side, side, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
        IMGCode->setGeometry(margin, top, side, side);
    }

    const int textLeft = margin + side + margin;
    const int textWidth = screenWidth - textLeft - margin;
    const int line = screenHeight / 14;
    const QFont text = ScreenFont(-screenHeight / 30, false);
    LBLHelp->setFont(text);
    LBLHelp->setGeometry(textLeft, top, textWidth, line * 3);
    LBLAddress->setFont(ScreenFont(-screenHeight / 26));
    LBLAddress->setGeometry(textLeft, top + line * 3, textWidth, line);
    LBLCode->setFont(ScreenFont(-screenHeight / 12));
    LBLCode->setGeometry(textLeft, top + line * 4, textWidth, line * 2);
    LBLStatus->setFont(ScreenFont(-screenHeight / 22));
    LBLStatus->setGeometry(textLeft, top + line * 6, textWidth, line);
}

void TPhone_Form::resizeEvent(QResizeEvent* event) {
    Image1->setGeometry(rect());
    Form::resizeEvent(event);
}

void TPhone_Form::FollowNewSize() {
    PG1->Paint();
    LayOut(width(), height());
}
