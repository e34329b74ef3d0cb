#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pv {

// Executable names of the running processes (the name each was started as, without folder).
// Empty when the list cannot be taken.
class ProcessList
{
public:
    virtual ~ProcessList() = default;
    virtual std::vector<std::string> ExecutableNames() const = 0;
};

std::unique_ptr<ProcessList> MakeSystemProcessList();

} // namespace pv
