// Names as a message shows them, each on one line.
#pragma once

#include <string>

// A line feed, carriage return or tab as \n, \r and \t, any other control
// character as \xNN; ordinary names stay as they are.
std::string ShownName(const std::string& name);
