#include "ShownName.h"

std::string ShownName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7f) {
            shown += c;
        } else if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == '\t') {
            shown += "\\t";
        } else {
            static constexpr char kDigits[] = "0123456789abcdef";
            shown += "\\x";
            shown += kDigits[byte >> 4];
            shown += kDigits[byte & 0xf];
        }
    }
    return shown;
}
