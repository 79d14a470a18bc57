// Text as a JSON string: for the tools that list what they read as JSON
// lines, and for the web layer's model of the menus that it hands the page.
#pragma once

#include <cstdio>
#include <string>

inline std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}
