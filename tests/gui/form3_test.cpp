// The about window opened from the main window's menu: the firmware texts as the monitor cycle
// decoded them, the certificate row only for a unit with a country preset and a certificate.

#include "form1_panel_fixture.h"

#include "about/form3.h"

#include <tuple>

namespace pv {
namespace {

using namespace test;

TEST_F(Form1Panel, AboutShowsTheVersionsAndTheCertificateRowOnlyWithACountryPreset)
{
    // The country code (low byte of 0xC081), the certificate (0xC0C0..0xC0C2), whether its row
    // shows and the text it is given even when hidden.
    const std::tuple<int, std::array<int, 3>, bool, const char *> units[] = {
        {6, {0x312E, 0x3032, 0}, true, "PV1.02"},
        {255, {0x312E, 0x3032, 0}, false, "PV1.02"},
        {6, {0, 0, 0}, false, "PV"},
    };
    Connect(MenuConnection);
    for (const auto &[country, certificate, shown, text] : units) {
        SCOPED_TRACE(text + std::string(shown ? " shown" : " hidden"));
        registers[0xC081] = country;
        for (int i = 0; i < 3; ++i)
            registers[0xC0C0 + i] = certificate[static_cast<std::size_t>(i)];
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        bool opened = false;
        around.whileOpen = [&](QDialog &window) {
            opened = true;
            const Form3Controls &u = dynamic_cast<Form3 &>(window).Controls();
            EXPECT_EQ(u.Label2->text(), "V1000700");
            EXPECT_EQ(!u.Label3->isHidden(), shown);
            EXPECT_EQ(!u.Label4->isHidden(), shown);
            EXPECT_EQ(u.Label4->text(), text);
            window.reject();
        };
        Press(MenuAbout);
        EXPECT_TRUE(opened);
    }
    EXPECT_TRUE(around.shown.empty());
    EXPECT_EQ(TimersActive(), (Timers{true, false, false})) << "monitoring goes on";
    form->LanguagePicked(2); // the main window is the caption target again
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
}

} // namespace
} // namespace pv
