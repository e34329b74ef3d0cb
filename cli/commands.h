#pragma once
// The commands of pv-service-cli:
//   read_commands.cpp    identify, read-config, read-calibration
//   write_command.cpp    write-config
//   monitor_command.cpp  monitor
//   ports_command.cpp    ports (no session)

#include "cli_options.h"
#include "command_run.h"
#include "json_value.h"

#include "settings/configuration_file.h"

#include <filesystem>
#include <memory>
#include <vector>

namespace pv::cli {

std::unique_ptr<CommandRun> MakeIdentify(const Services &services);
std::unique_ptr<CommandRun> MakeReadConfiguration(const Services &services,
                                                  std::optional<std::filesystem::path> save);
std::unique_ptr<CommandRun> MakeReadCalibration(const Services &services);
// The file is read and checked here, before the port is opened: nothing when it is refused (the
// report holds why).
std::unique_ptr<CommandRun> MakeWriteConfiguration(const Services &services,
                                                   const Options &options);
std::unique_ptr<CommandRun> MakeMonitor(const Services &services, const Options &options);

// The command the options name; nothing for ports, or when it was refused before it started.
std::unique_ptr<CommandRun> MakeCommand(const Services &services, const Options &options);

// The configuration as the panel holds it, by the keys of a configuration file: numbers as
// numbers, the flag boxes as their words.
Json ConfigurationJson(const ConfigurationPanelTexts &panel);

// COM1..COM16: the device each stands for here (through the ports/ links of the folders, in
// their order), the link's target, and whether the device exists.
Json PortsJson(const std::vector<std::filesystem::path> &linkFolders);

} // namespace pv::cli
