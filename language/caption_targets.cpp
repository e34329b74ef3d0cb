#include "caption_targets.h"

namespace pv {

void CaptionTargets::SelectCaptionTarget(int which)
{
    if (which < 0 || which > 2)
        return;
    main_ = which == 0;
    calibration_ = which == 1;
    about_ = which == 2;
}

} // namespace pv
