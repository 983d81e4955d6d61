#include "app/mainmenu.h"

#include "app/configuration_flow.h"
#include "gradient/pgra112.h"
#include "input/remote_report.h"
#include "platform/after_first_paint.h"
#include "platform/application.h"
#include "platform/fonts.h"
#include "platform/image_widget.h"
#include "platform/message_box.h"
#include "platform/timer.h"
#include "platform/window_activation.h"
#include "settings/general.h"
#include "settings/lenient_settings.h"
#include "spi/spis.h"
#include "ui/backdrop.h"
#include "ui/panel.h"
#include "ui/screen_stack.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {
// The remote's category buttons and the panels they choose.
int TagOfReport(quint32 code) {
    switch (code) {
    case report::Video:
        return 100;
    case report::Music:
        return 101;
    case report::Pictures:
        return 102;
    case report::Files:
        return 103;
    default:
        return 0;
    }
}

// Seconds to a timer interval; a delay too long for the timer waits as long as it can.
int DelayMilliseconds(int seconds) {
    const qint64 milliseconds = static_cast<qint64>(seconds) * 1000;
    return static_cast<int>(std::clamp<qint64>(milliseconds, std::numeric_limits<int>::min(),
                                               std::numeric_limits<int>::max()));
}

// What the plug-in search refused or skipped, told once, where the user sees it.
void ShowPluginNotices(TSPIs& host) {
    if (host.Notices().isEmpty())
        return;
    ShowMessage(MessageKind::Warning, QCoreApplication::translate(
                                          "MainMenu", "Some picture plug-ins were not loaded:\n%1")
                                          .arg(host.Notices().join(QLatin1Char('\n'))));
    host.ClearNotices();
}

QSize ScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}
} // namespace

MainMenuLayout ComputeMainMenuLayout(int screenWidth, int screenHeight) {
    MainMenuLayout layout;
    const int h = ((screenHeight / 4) * 3) / 10;
    const int g = (h / 4) * 2;
    layout.left = screenWidth / 4;
    layout.width = screenWidth / 2;
    layout.height = h;
    layout.panelTops[0] = (screenHeight - 4 * h - g) / 2;
    for (size_t i = 1; i < layout.panelTops.size(); ++i)
        layout.panelTops[i] = layout.panelTops[i - 1] + h + g;
    layout.labelTop = layout.panelTops[0] - h - g;
    layout.fontHeight = 12 - h;
    return layout;
}

bool AsksForConfiguration(const QStringList& arguments) {
    if (arguments.isEmpty())
        return false;
    const QString first = arguments.first().toUpper();
    return first == QStringLiteral("/CONFIG") || first == QStringLiteral("--CONFIG");
}

Tmain_form::Tmain_form(ConfigurationDialogFactory makeConfigurationDialog,
                       FolderListFactory makeFolderList, QStringList arguments, TSPIs& plugins,
                       SettingsStore& store)
    : SPIs1(plugins), store_(store), makeConfigurationDialog_(std::move(makeConfigurationDialog)),
      makeFolderList_(std::move(makeFolderList)), arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("main_form"));
    setWindowTitle(tr("Couchframe"));
    SetBlackBackground(*this);

    // Child order matters: the selection model visits the panels in it, and the picture lies
    // beneath everything.
    Image1 = new ImageWidget(this);
    PG1 = MakeScreenGradient(this, Image1);
    PNL001 = MakePanel(100, tr("my Video"), kPanelSelectedColor);
    PNL002 = MakePanel(101, tr("my Music"), kPanelUnselectedColor);
    PNL003 = MakePanel(102, tr("my Picture"), kPanelUnselectedColor);
    LBL001 = new CaptionLabel(tr("Main Menu"), this);
    LBL001->setAlignment(Qt::AlignCenter);
    LBL001->setFont(ScreenFont(-12));
    LBLPhone = new QLabel(tr("Phone remote: F1"), this);
    LBLPhone->setObjectName(QStringLiteral("phone_hint"));
    LBLPhone->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    SetWhiteText(*LBLPhone);
    LBLPhone->hide();
    SetWhiteText(*LBL001);
    Timer1 = new Timer(this);
    Timer1->setInterval(10000);
    Timer1->onTimer = [this] { Timer1Timer(); };
    PNL004 = MakePanel(103, tr("my Files"), kPanelUnselectedColor);
    PNL004->SetFontColor(clGray); // shown as unavailable

    // Laid out for the screen before the first show, which would otherwise size the label to its
    // text in a font it never shows.
    const QSize screen = ScreenSize();
    LayOut(screen.width(), screen.height());
    FormCreate();

    SPIs1.GraphicPreview = false;
    SPIs1.SearchOptions = spsAllDirs;
    SPIs1.OnSearch = SPIs1Search;
    // Nothing on the menu needs a picture plug-in: they are searched for once it is on the screen.
    AfterFirstPaint(this, [this] {
        SPIs1.OwnerLoadedInBackground([menu = QPointer<Tmain_form>(this)] {
            if (menu)
                ShowPluginNotices(menu->SPIs1);
        });
    });
}

Tmain_form::~Tmain_form() {
    FormDestroy();
}

Panel* Tmain_form::MakePanel(int tag, const QString& caption, StoredColor color) {
    auto* panel = new Panel(this);
    panel->SetTag(tag);
    panel->SetCaption(caption);
    panel->SetColor(color);
    panel->SetFontColor(clWhite);
    panel->SetBevelWidth(2);
    panel->setFont(ScreenFont(-12));
    BindPanel(*panel);
    return panel;
}

void Tmain_form::FormCreate() {
    PrevTag = 101;
    CurTag = 100;
    CodeMatched_ = 0;
}

void Tmain_form::FormDestroy() {
    if (cursorHidden_) {
        QApplication::restoreOverrideCursor();
        cursorHidden_ = false;
    }
}

void Tmain_form::FormShow() {
    // Whatever the store holds or fails to give, the menu comes up whole: a store that cannot be
    // opened leaves the defaults, a value that cannot be read leaves its default, each said once.
    LenientSettings reads(store_);
    if (const std::optional<QString> reason = OpenSettingsOrRunOnDefaults(store_)) {
        ShowMessage(MessageKind::Error,
                    tr("%1\n\nCouchframe runs on its default settings; nothing will be saved.")
                        .arg(*reason));
    } else {
        const bool configured =
            reads.Value([this] { return SettingKeyExists(store_, settingskey::Root); }, true);
        if (AsksForConfiguration(arguments_) || !configured)
            RunReportingErrors([&] { RunConfigurationFlow(makeConfigurationDialog_, reads); });
    }
    ReadSettings(reads);

    const QSize screen = ScreenSize();
    if (!cursorHidden_) {
        QApplication::setOverrideCursor(Qt::BlankCursor);
        cursorHidden_ = true;
    }
    // The picture is painted at the screen's size, whenever the window system gets to resizing.
    Image1->setGeometry(0, 0, screen.width(), screen.height());
    PG1->Paint();
    LayOut(screen.width(), screen.height());
    HighlightPanel(this, PrevTag, CurTag);
    Timer1->setInterval(DelayMilliseconds(reads.Read(setting::ActiveDelay)));
    Timer1->setEnabled(true);
}

void Tmain_form::LayOut(int screenWidth, int screenHeight) {
    const MainMenuLayout layout = ComputeMainMenuLayout(screenWidth, screenHeight);
    const std::array<Panel*, 4> panels{PNL001, PNL002, PNL003, PNL004};
    const QFont font = ScreenFont(layout.fontHeight);
    for (size_t i = 0; i < panels.size(); ++i) {
        panels[i]->setGeometry(layout.left, layout.panelTops[i], layout.width, layout.height);
        panels[i]->setFont(font);
    }
    LBL001->setGeometry(layout.left, layout.labelTop, layout.width, layout.height);
    LBL001->setFont(font);
    // In the corner right of the panels, small: a hint, not a choice of the menu.
    const int margin = screenHeight / 40;
    const int hintLeft = layout.left + layout.width + margin;
    // The menu's one face: a second one would be loaded before the first paint.
    LBLPhone->setFont(ScreenFont(-screenHeight / 40));
    LBLPhone->setGeometry(hintLeft, screenHeight - margin - screenHeight / 20,
                          screenWidth - margin - hintLeft, screenHeight / 20);
}

void Tmain_form::ReadSettings(LenientSettings& reads) {
    ExitCodeText_ = reads.Read(setting::ExitCode);
    CodeMatched_ = 0;
    phoneOn_ = makePhoneScreen_ && reads.Read(setting::PhoneRemote);
    LBLPhone->setVisible(phoneOn_);
}

void Tmain_form::SettingsStoredElsewhere() {
    LenientSettings reads(store_);
    ReadSettings(reads);
}

void Tmain_form::SetPhoneScreen(PhoneScreenFactory makePhoneScreen) {
    makePhoneScreen_ = std::move(makePhoneScreen);
}

void Tmain_form::OpenPhoneScreen() {
    Timer1->setEnabled(false);
    if (phoneOn_ && Stack())
        Stack()->Push(makePhoneScreen_());
}

void Tmain_form::resizeEvent(QResizeEvent* event) {
    // The picture follows every size; the gradient is painted into it for a usable one.
    Image1->setGeometry(rect());
    Form::resizeEvent(event);
}

void Tmain_form::FollowNewSize() {
    PG1->Paint();
    LayOut(width(), height());
}

void Tmain_form::FormKeyDown(int& key, ShiftState /*shift*/) {
    PrevTag = CurTag;
    if (key == vk::Up) {
        if (CurTag % 100 > 0)
            --CurTag;
    } else if (key == vk::Down) {
        if (CurTag % 100 < 3)
            ++CurTag;
    } else if (key == vk::Return) {
        if (CodeMatched_ == ExitCodeText_.size()) {
            close();
        } else {
            OpenCategory(CurTag);
            CodeMatched_ = 0;
        }
    } else if (key == vk::F1) {
        OpenPhoneScreen();
    } else if (key >= vk::Digit0 && key <= vk::Digit0 + 9) {
        MatchExitCode(QChar(key));
    } else if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9) {
        MatchExitCode(QChar(key - 48));
    }
    // Left and Right: one column, so the selection stays. No key is consumed here.
    HighlightPanel(this, PrevTag, CurTag);
}

void Tmain_form::MatchExitCode(QChar typed) {
    if (CodeMatched_ >= ExitCodeText_.size())
        CodeMatched_ = 0;
    else if (typed == ExitCodeText_.at(CodeMatched_))
        ++CodeMatched_;
    else
        CodeMatched_ = 0;
}

void Tmain_form::Panel_Click(Panel& panel) {
    OpenCategory(panel.Tag());
}

void Tmain_form::WmInput(const RawInputMessage& message) {
    const std::optional<quint32> code = FetchRemoteReport(message);
    const int tag = code ? TagOfReport(*code) : 0;
    if (tag == 0)
        return;
    PrevTag = CurTag;
    CurTag = tag;
    HighlightPanel(this, PrevTag, CurTag);
    OpenCategory(tag);
}

void Tmain_form::WmAppCommand(int /*command*/) {
    // Media keys mean nothing on the main menu; taking them keeps them from anything else.
}

void Tmain_form::Timer1Timer() {
    ActivateWindow(window());
    Timer1->setEnabled(false);
}

void Tmain_form::OpenCategory(int tag) {
    // Whatever was chosen, the user is here: the foreground grab is no longer wanted.
    Timer1->setEnabled(false);
    if (tag < 100 || tag > 102 || !makeFolderList_ || !Stack())
        return;
    if (std::unique_ptr<Form> folderList = makeFolderList_(tag - 99))
        Stack()->Push(std::move(folderList));
}
