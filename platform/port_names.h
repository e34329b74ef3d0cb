#pragma once
// How the port numbers of the port list reach devices of the operating system.
//
// On Linux, port n ("COMn") is <folder>/ports/COMn when that exists: a link the user or the
// simulator makes to /dev/ttyUSB0, /dev/serial/by-id/..., a pseudo-terminal. The folders are the
// writable folder (see writable_folder.h) and then the program folder, so a link of the user's
// own comes before one an installation ships. Otherwise it is /dev/ttyUSB<n-1>, the USB serial
// adapters technicians carry. On Windows it is COMn.

#include <filesystem>
#include <string>
#include <vector>

namespace pv {

std::string PortName(int number); // "COM1" for 1

std::filesystem::path PortLinkFolder(const std::filesystem::path &programFolder);

// The device to open for port number (1..16): the first link found in the ports/ of the
// folders, in their order.
std::string DevicePathForPort(int number, const std::vector<std::filesystem::path> &folders);
std::string DevicePathForPort(int number, const std::filesystem::path &programFolder);

// Folder of the running executable (where its settings files live).
std::filesystem::path ProgramFolder();

} // namespace pv
