// A plain Base64 decoder, the independent check of the encoder's output.
#pragma once

#include <string>

// Decodes standard Base64 with no line breaks; false on any character outside
// the alphabet, a misplaced pad or a length that is not a multiple of 4.
bool decode_base64(const std::string &text, std::string *bytes);
