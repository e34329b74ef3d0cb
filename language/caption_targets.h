#pragma once

namespace pv {

// Which window the next caption update serves: main (0), calibration (1) or about (2). Each
// window has its own caption routine and acts only while its flag is set.
class CaptionTargets
{
public:
    // 0, 1 or 2 selects that window alone; any other value changes nothing.
    void SelectCaptionTarget(int which);
    bool Main() const { return main_; }
    bool Calibration() const { return calibration_; }
    bool About() const { return about_; }

private:
    bool main_ = false, calibration_ = false, about_ = false;
};

} // namespace pv
