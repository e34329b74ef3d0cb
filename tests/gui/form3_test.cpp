// The about window opened from the main window's menu: the firmware texts as the monitor cycle
// decoded them, the certificate row only for a unit with a country preset and a certificate.

#include "form1_panel_fixture.h"

#include "about/form3.h"

namespace pv {
namespace {

using namespace test;

struct AboutCase
{
    const char *name;
    int countryCode;                // low byte of 0xC081
    std::array<int, 3> certificate; // 0xC0C0..0xC0C2
    bool certificateShown;
    const char *certificateText;
};

class Form3About : public Form1Panel, public ::testing::WithParamInterface<AboutCase>
{
};

TEST_P(Form3About, ShowsTheVersionsAndTheCertificateRowOnlyWithACountryPreset)
{
    const AboutCase &c = GetParam();
    registers.insert({{0xC081, c.countryCode},
                      {0xC0C0, c.certificate[0]},
                      {0xC0C1, c.certificate[1]},
                      {0xC0C2, c.certificate[2]}});
    bool opened = false;
    around.whileOpen = [&](QDialog &window) {
        opened = true;
        const Form3Controls &u = dynamic_cast<Form3 &>(window).Controls();
        EXPECT_EQ(u.Label2->text(), "V1000700");
        EXPECT_EQ(!u.Label3->isHidden(), c.certificateShown);
        EXPECT_EQ(!u.Label4->isHidden(), c.certificateShown);
        EXPECT_EQ(u.Label4->text(), c.certificateText) << "set even when hidden";
        EXPECT_EQ(u.Label3->text(), Text(101));
        window.reject();
    };
    Connect(MenuAbout);
    EXPECT_TRUE(opened);
    EXPECT_TRUE(around.shown.empty());
    EXPECT_EQ(TimersActive(), (Timers{true, false, false})) << "monitoring goes on";
    form->LanguagePicked(2); // the main window is the caption target again
    EXPECT_EQ(ui().Label16[0]->text(), "L3-10");
}

const AboutCase AboutCases[] = {
    {"CertificateShownForCountry6", 6, {0x312E, 0x3032, 0}, true, "PV1.02"},
    {"OwnSettingsHideIt", 255, {0x312E, 0x3032, 0}, false, "PV1.02"},
    {"EmptyCertificateHidesIt", 6, {0, 0, 0}, false, "PV"},
};

INSTANTIATE_TEST_SUITE_P(Form3, Form3About, ::testing::ValuesIn(AboutCases), RowName);

} // namespace
} // namespace pv
