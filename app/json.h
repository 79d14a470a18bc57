// Text as a JSON string: for the web layer's model of the menus that it hands
// the page, and for the tools that list what they read as JSON lines.
#pragma once

#include <cstdio>
#include <string>

inline std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char escaped[8] = {'\\', c, '\0'};  // a quote or a backslash
    if (byte < 0x20) std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
    out += (byte < 0x20 || c == '"' || c == '\\') ? escaped : std::string(1, c);
  }
  return out + "\"";
}
