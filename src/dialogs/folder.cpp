#include "dialogs/folder.h"

#include "dialogs/browse_folder.h"
#include "dialogs/dialog_kit.h"
#include "dialogs/ellips_ed.h"

#include <QCheckBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <optional>

namespace {
// Where the column of fields starts, in dialog units.
constexpr int kFieldsLeft = 76;
} // namespace

TFolder_Form::TFolder_Form(QWidget* parent) : QDialog(parent) {
    SetUpFixedDialog(*this, tr("フォルダ設定"), [this] { LayOut(); });

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    ED01 = MakeEdit(this);
    EE01 = new TEllipsesEdit(this);
    EE01->SetEditStyle(esAlwaysEllipses);
    EE01->OnButtonClick = [this](TEllipsesEdit* sender) { EE_Click(sender); };
    CHB01 = MakeCheckBox(this, tr("ロック(&L)"));
    Label3 = MakeLabel(this, tr("タイトル(&T):"), ED01);
    Label1 = MakeLabel(this, tr("パス(&F):"), EE01);

    // Neither button is the dialog's default: Enter in a field must not close it.
    Button4 = MakeButton(this, tr("OK"));
    Button5 = MakeButton(this, tr("キャンセル"));
    for (QPushButton* button : {Button4, Button5})
        button->setAutoDefault(false);
    connect(Button4, &QPushButton::clicked, this, [this] { done(mrOk); });
    connect(Button5, &QPushButton::clicked, this, [this] { done(mrCancel); });

    setTabOrder(ED01, EE01);
    setTabOrder(EE01, CHB01);
    setTabOrder(CHB01, Button4);
    setTabOrder(Button4, Button5);
    LayOut();
}

void TFolder_Form::LayOut() {
    const std::optional<DialogUnits> units = DialogUnitsFor(*this);
    if (!units)
        return;
    const DialogUnits& u = *units;
    SizeFixedDialog(*this, QSize(312, 240), u);
    Bevel1->setGeometry(u(QRect(8, 8, 297, 180)));
    ED01->setGeometry(u(QRect(kFieldsLeft, 36, 153, 20)));
    EE01->SetUnitScale(u.Scale());
    EE01->setGeometry(u(QRect(kFieldsLeft, 84, 221, 20)));
    PlaceCheckBox(CHB01, u(QRect(kFieldsLeft, 132, 221, 24)), u);
    PlaceLabel(Label3, u(QPoint(16, 40)));
    PlaceLabel(Label1, u(QPoint(16, 88)));
    Button4->setGeometry(u(QRect(149, 204, 75, 24)));
    Button5->setGeometry(u(QRect(229, 204, 75, 24)));
    if (shownOnce_)
        FitToFont(u);
}

void TFolder_Form::EE_Click(QObject*) {
    QString path = EE01->text();
    if (BrowseForFolder(this, tr("追加するフォルダを指定して下さい"), path, false))
        EE01->setText(path);
}

void TFolder_Form::reject() {
    done(mrCancel);
}

void TFolder_Form::showEvent(QShowEvent* event) {
    if (!shownOnce_) {
        shownOnce_ = true;
        LayOut();
    }
    QDialog::showEvent(event);
}

void TFolder_Form::FitToFont(const DialogUnits& units) {
    // Labels that run wider than the layout's in the font at hand push the fields and the buttons
    // to the right; the frame and the dialog grow with them.
    const int overflow = FitLabels({Label3, Label1}, units(kFieldsLeft));
    if (overflow <= 0)
        return;
    MoveRight({ED01, EE01, CHB01, Button4, Button5}, overflow);
    Widen({Bevel1}, overflow);
    GrowFixedDialog(*this, QSize(overflow, 0));
}

void TFolder_Form::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Enter presses a focused button, as Space does; in a field it closes nothing.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        event->accept();
        return;
    case Qt::Key_Escape:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
