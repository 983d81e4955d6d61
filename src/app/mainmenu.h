#pragma once

#include "dialogs/configuration_dialog.h"
#include "platform/colors.h"
#include "ui/form.h"
#include "ui/panel_selection.h"

#include <QCoreApplication>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class ImageWidget;
class LenientSettings;
class Panel;
class SettingsStore;
class TSPIs;
class QLabel;
class TPGradation;
class Timer;

// Where the panels and the title go on a screen of W x H pixels.
struct MainMenuLayout {
    int left = 0;
    int width = 0;
    int height = 0;
    std::array<int, 4> panelTops{};
    int labelTop = 0;
    int fontHeight = 0; // negative: the character height in pixels
};
MainMenuLayout ComputeMainMenuLayout(int screenWidth, int screenHeight);

// Whether the command line asks for the settings dialog: only its first argument counts.
bool AsksForConfiguration(const QStringList& arguments);

// Makes the screen that pairs a phone, ready to be shown.
using PhoneScreenFactory = std::function<std::unique_ptr<Form>()>;

// Makes the folder list screen of a category (1 Video, 2 Music, 3 Picture), ready to be shown;
// nothing when there is none to show.
using FolderListFactory = std::function<std::unique_ptr<Form>(int category)>;

// The main menu: four category panels under the title, the exit code, and the one-shot grab of
// the foreground after the configured delay.
class Tmain_form : public Form, public PanelSelection {
    Q_DECLARE_TR_FUNCTIONS(Tmain_form)

public:
    // arguments: the command-line arguments after the program name.
    // plugins: the picture plug-ins, searched for once the menu is on the screen.
    // store: the settings, opened (or left on defaults) when the menu is first shown.
    Tmain_form(ConfigurationDialogFactory makeConfigurationDialog, FolderListFactory makeFolderList,
               QStringList arguments, TSPIs& plugins, SettingsStore& store);
    ~Tmain_form() override;

    void FormShow() override;
    void FormKeyDown(int& key, ShiftState shift) override;
    void WmInput(const RawInputMessage& message) override;
    void WmAppCommand(int command) override;
    void Panel_Click(Panel& panel) override;
    void Timer1Timer();

    void OpenCategory(int tag);
    // The phone remote's pairing screen, opened by F1 (a remote's Menu or Info button) and named
    // in a corner of the menu; neither while the owner has turned the phone remote off.
    void SetPhoneScreen(PhoneScreenFactory makePhoneScreen);
    // The settings were stored from a phone while the menu is up: its exit code and the phone
    // remote's switch are read again.
    void SettingsStoredElsewhere();
    void OpenPhoneScreen();
    // Places the panels and the title for a screen of the given size.
    void LayOut(int screenWidth, int screenHeight);

    int CodeMatched() const { return CodeMatched_; }
    const QString& ExitCodeText() const { return ExitCodeText_; }

    ImageWidget* Image1;
    TPGradation* PG1;
    Panel* PNL001;
    Panel* PNL002;
    Panel* PNL003;
    QLabel* LBL001;
    QLabel* LBLPhone;
    Timer* Timer1;
    Panel* PNL004;
    TSPIs& SPIs1;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void FollowNewSize() override;

private:
    void FormCreate();
    void FormDestroy();
    Panel* MakePanel(int tag, const QString& caption, StoredColor color);
    void MatchExitCode(QChar typed);
    void ReadSettings(LenientSettings& reads);

    SettingsStore& store_;
    ConfigurationDialogFactory makeConfigurationDialog_;
    FolderListFactory makeFolderList_;
    PhoneScreenFactory makePhoneScreen_;
    bool phoneOn_ = false;
    QStringList arguments_;
    bool cursorHidden_ = false;

    int CodeMatched_ = 0;
    QString ExitCodeText_;
};
