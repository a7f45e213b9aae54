#include "tests/base64_decode.h"

bool decode_base64(const std::string &text, std::string *bytes)
{
    static const std::string alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    bytes->clear();
    if (text.size() % 4 != 0) {
        return false;
    }
    for (std::size_t group = 0; group < text.size(); group += 4) {
        const bool last_group = group + 4 == text.size();
        const std::size_t pads = text.compare(group + 2, 2, "==") == 0 ? 2
                                 : text[group + 3] == '='             ? 1
                                                                      : 0;
        if (pads != 0 && !last_group) {
            return false;
        }
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            const std::size_t digit = i < 4 - pads ? alphabet.find(text[group + i]) : 0;
            if (digit == std::string::npos) {
                return false;
            }
            value = value << 6 | static_cast<unsigned>(digit);
        }
        const char decoded[] = {static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                                static_cast<char>(value)};
        bytes->append(decoded, 3 - pads);
    }
    return true;
}
