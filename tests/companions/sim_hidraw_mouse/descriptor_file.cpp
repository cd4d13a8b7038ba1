#include "descriptor_file.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace mon::testing {

namespace {

bool IsHexByte(const std::string& AToken) {
  return AToken.size() == 2 && std::isxdigit(static_cast<unsigned char>(AToken[0])) != 0 &&
         std::isxdigit(static_cast<unsigned char>(AToken[1])) != 0;
}

// The hex bytes that end ALine, in order.
std::vector<std::uint8_t> TrailingBytes(const std::string& ALine) {
  std::vector<std::string> tokens;
  std::istringstream words(ALine);
  for (std::string token; words >> token;) {
    tokens.push_back(token);
  }
  std::size_t first = tokens.size();
  while (first > 0 && IsHexByte(tokens[first - 1])) {
    --first;
  }
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = first; i < tokens.size(); ++i) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoul(tokens[i], nullptr, 16)));
  }
  return bytes;
}

bool IsBlank(const std::string& ALine) {
  for (const char character : ALine) {
    if (std::isspace(static_cast<unsigned char>(character)) == 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> LoadDescriptorFile(const std::string& APath) {
  std::ifstream file(APath);
  if (!file) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> descriptor;
  for (std::string line; std::getline(file, line);) {
    if (IsBlank(line)) {
      continue;
    }
    const std::vector<std::uint8_t> bytes = TrailingBytes(line);
    if (bytes.empty() && !descriptor.empty()) {
      break;
    }
    descriptor.insert(descriptor.end(), bytes.begin(), bytes.end());
  }
  if (descriptor.empty()) {
    return std::nullopt;
  }
  return descriptor;
}

}  // namespace mon::testing
