#pragma once

#include <string>

namespace korvex {

// Why a serial device cannot be opened, in words the user can act on: "no
// such device", a directory, a permission problem with the group that may
// open the device and how to join it, a device that another program holds.
// Looks at the device again, so it is asked right after an open has failed;
// empty when the device opens now after all.
std::string describeOpenFailure(const std::string& device);

}  // namespace korvex
