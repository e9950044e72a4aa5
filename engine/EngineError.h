// A failure inside the conversion engine. The message is shown to the user as
// it stands (most end in a line feed).
#pragma once

#include <stdexcept>
#include <string>

class EngineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
