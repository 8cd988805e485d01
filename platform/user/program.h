// What a program linked with the platform provides besides WinMain (which
// windows.h declares, as on the device): the entry points a host may call.
#pragma once

#include <string>

// One JSON line with the program's state, for the headless host's "state"
// command.
std::string DescribeProgramState();
