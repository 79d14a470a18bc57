// Text as a JSON string, for the tools that list what they read as JSON lines.
#pragma once

#include <string>

inline std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}
