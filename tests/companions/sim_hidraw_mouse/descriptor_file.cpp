#include "descriptor_file.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>

namespace mon::testing {

namespace {

bool IsHexDigit(char ACharacter) {
  return std::isxdigit(static_cast<unsigned char>(ACharacter)) != 0;
}

// "HH", "0xHH" or "0xHH," as a byte.
std::optional<std::uint8_t> ByteToken(std::string AToken) {
  if (!AToken.empty() && AToken.back() == ',') {
    AToken.pop_back();
  }
  if (AToken.size() == 4 && (AToken.starts_with("0x") || AToken.starts_with("0X"))) {
    AToken.erase(0, 2);
  }
  if (AToken.size() != 2 || !std::all_of(AToken.begin(), AToken.end(), IsHexDigit)) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(std::stoul(AToken, nullptr, 16));
}

bool StartsTheListing(std::string ALine) {
  std::transform(ALine.begin(), ALine.end(), ALine.begin(),
                 [](char ACharacter) { return static_cast<char>(std::tolower(ACharacter)); });
  return ALine.find("parser output") != std::string::npos;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> LoadDescriptorFile(const std::string& APath) {
  std::ifstream file(APath);
  if (!file) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  for (std::string line; std::getline(file, line);) {
    if (StartsTheListing(line)) {
      break;
    }
    std::istringstream words(line.substr(0, line.find("//")));
    const std::vector<std::string> tokens{std::istream_iterator<std::string>(words), {}};
    if (tokens.empty() || tokens[0].starts_with("#")) {
      continue;
    }
    std::size_t start = tokens.size();
    while (start > 0 && ByteToken(tokens[start - 1])) {
      --start;
    }
    if (start > 0 && start < tokens.size() && tokens[start - 1].ends_with(':')) {
      const std::string& label = tokens[start - 1];
      if (label == "R:") {
        ++start;
      } else if (!std::all_of(label.begin(), label.end() - 1, IsHexDigit)) {
        continue;
      }
    }
    for (std::size_t i = start; i < tokens.size(); ++i) {
      bytes.push_back(*ByteToken(tokens[i]));
    }
  }
  if (bytes.empty()) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace mon::testing
