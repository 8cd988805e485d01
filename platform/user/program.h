// What a program linked with the platform provides besides WinMain (which
// windows.h declares, as on the device): the entry points a host may call.
#pragma once

#include <string>

// One JSON line with the program's state, for the headless host's "state"
// command.
std::string DescribeProgramState();

// The draw as one line of UTF-8 text for a person, the same from every host
// that copies or shares it: "Tavilo, 6 players: 1 → 4, 2 → 6, ..." (player
// k's runner arrived under pole m), with runners still on their way or not
// yet started named as such, or a line saying there is no game yet.
std::string DescribeResult();
