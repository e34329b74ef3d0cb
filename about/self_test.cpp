#include "self_test.h"

#include "platform/process_list.h"

namespace pv {

bool IsProcessRunning(const ProcessList &processes, std::string_view name)
{
    // Only the beginning of each executable name is compared, letter case included; where a
    // list reports full paths the folder comes first and nothing matches.
    bool found = false;
    for (const std::string &executable : processes.ExecutableNames()) {
        if (std::string_view(executable).starts_with(name))
            found = true;
    }
    return found;
}

} // namespace pv
