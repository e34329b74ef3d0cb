// Loading the main window: placement, the settings files beside the program, the language,
// the country presets, the first state of the link and the port list.

#include "form1.h"

#include "about/self_test.h"
#include "form1_layout.h"
#include "link/text_numbers.h"
#include "platform/message_box.h"
#include "settings_files.h"
#include "startup.h"

namespace pv {
namespace {

// Form_Load: centred across, in the upper part of the screen.
constexpr ScreenPlacement MainWindowPlacement{4.0, 4.0};

} // namespace

bool Form1::Form_Load()
{
    if (!InitializeMainWindow()) {
        // Before the language table is loaded its text 152 does not exist yet.
        services_.messages.ShowMessage(earlyFailure_.isEmpty() ? LanguageText(text::StartupFailed)
                                                               : earlyFailure_);
        return false;
    }
    if (IsProcessRunning(services_.processes, SelfTestProgram)) {
        context_.ShowMessage(text::SelfTestRunning);
        return false;
    }
    return true;
}

bool Form1::InitializeMainWindow()
{
    earlyFailure_ = QStringLiteral("The program could not start. The program ends.");
    try {
        PlaceOnScreen(this, MainWindowPlacement);

        values_.TallWindowHeight = layout::TallWindowHeight;
        values_.NormalWindowHeight = layout::NormalWindowHeight;
        values_.NormalViewportHeight = layout::NormalViewportHeight;
        values_.TallViewportHeight = layout::TallViewportHeight;
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);

        values_.SavedFrameTops = {TopTwips(ui_.Frame1[1]), TopTwips(ui_.Frame1[3])};

        InitSwitches switches;
        const InitResult init = ReadInitSettings(services_.programFolder, ui_, switches);
        values_.EfficiencyShown = switches.efficiencyShown;
        if (init != InitResult::Applied) {
            earlyFailure_ = init == InitResult::Missing
                                ? QStringLiteral("The settings file InitSet.txt beside the program "
                                                 "is missing. The program ends.")
                                : QStringLiteral("The settings file InitSet.txt beside the program "
                                                 "is incomplete: it needs six fields separated "
                                                 "by commas. The program ends.");
            return false;
        }
        values_.TitleSuffix = switches.titleSuffix;

        if (!LoadStartupLanguage()) {
            earlyFailure_ = QStringLiteral("The language database DataBase/Language.db beside the "
                                           "program cannot be read. The program ends.");
            return false;
        }
        earlyFailure_.clear();

        captionTargets_.SelectCaptionTarget(0);
        ApplyCaptions();

        if (!configuration_.LoadCountryRecords(services_.programFolder))
            return false;

        connection_.ShowStatus(Lamp::Bad, text::NoLink);

        ShowMonitorPanel(true);
        HighlightMenuEntry(MenuConnection);
        ui_.Frame1[0]->setVisible(true);

        connection_.FillPortList();
        // Publishing as the technician left it: it starts once the unit is identified.
        publish_.LoadSettings(WritableFolder());
        // The readings read 0, 0.0 and 0% until the first reply arrives.
        trend_.ShowMonitorValues();
        return true;
    } catch (...) {
        // Whatever stops the start-up ends the program with the start-up message.
        return false;
    }
}

bool Form1::LoadStartupLanguage()
{
    // The technician's choice when its texts load; otherwise the first language, as a table
    // with a missing column or a damaged choice file must not stop the tool.
    const int chosen = ReadLanguageSetting(WritableFolder());
    if (texts_.LoadLanguage(services_.languageStore, chosen))
        return true;
    return chosen != FirstLanguage && texts_.LoadLanguage(services_.languageStore, FirstLanguage);
}

const std::filesystem::path &Form1::WritableFolder() const
{
    return services_.writableFolder.empty() ? services_.programFolder : services_.writableFolder;
}

} // namespace pv
