// The check every program runs before its first media-library call.
#pragma once

#include <optional>
#include <string>

#include "Dynamicavimport.h"

// The message for the user when a library file or a function of the binding
// is missing (naming each one), or nothing when every wrapper may be called.
std::optional<std::string> BindingStartupProblem(const av::TBinding& binding);
