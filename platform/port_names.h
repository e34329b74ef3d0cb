#pragma once
// How the port numbers of the port list reach devices of the operating system.
//
// On Linux, port n ("COMn") is <program folder>/ports/COMn when that exists: a link the user
// or the simulator makes to /dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal. Otherwise
// it is /dev/ttyUSB<n-1>, the USB serial adapters technicians carry. On Windows it is COMn.

#include <filesystem>
#include <string>

namespace pv {

std::string PortName(int number); // "COM1" for 1

std::filesystem::path PortLinkFolder(const std::filesystem::path &programFolder);

// The device to open for port number (1..16).
std::string DevicePathForPort(int number, const std::filesystem::path &programFolder);

// Folder of the running executable (where its settings files live).
std::filesystem::path ProgramFolder();

} // namespace pv
