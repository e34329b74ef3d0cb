// The command the options name, and ports, which needs no session.

#include "commands.h"

#include "platform/port_names.h"

#include <system_error>

namespace pv::cli {

std::unique_ptr<CommandRun> MakeCommand(const Services &services, const Options &options)
{
    switch (options.command) {
    case Command::Identify:
        return MakeIdentify(services);
    case Command::ReadConfig:
        return MakeReadConfiguration(services, options.save);
    case Command::ReadCalibration:
        return MakeReadCalibration(services);
    case Command::WriteConfig:
        return MakeWriteConfiguration(services, options);
    case Command::Monitor:
        return MakeMonitor(services, options);
    case Command::Ports:
        break;
    }
    return nullptr;
}

Json PortsJson(const std::vector<std::filesystem::path> &linkFolders)
{
    namespace fs = std::filesystem;
    Json ports = Json::Array();
    for (int number = FirstPortNumber; number <= LastPortNumber; ++number) {
        const fs::path device = DevicePathForPort(number, linkFolders);
        std::error_code error;
        const bool link = fs::is_symlink(fs::symlink_status(device, error));
        const fs::path target = link ? fs::read_symlink(device, error) : fs::path();
        ports.Push(Json::Object()
                       .Add("port", Json::String(PortName(number)))
                       .Add("device", Json::String(device.string()))
                       .Add("link_to", link ? Json::String(target.string()) : Json())
                       .Add("exists", Json::Bool(fs::exists(device, error))));
    }
    return ports;
}

} // namespace pv::cli
