// Writes a starting corpus for language_stream_fuzzer into the folder given as the argument.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "i18n/embedded_table.h"
#include "i18n/language_stream.h"

namespace {

bool Write(const std::string& APath, const std::vector<std::uint8_t>& ABytes) {
  std::ofstream file(APath, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(ABytes.data()),
             static_cast<std::streamsize>(ABytes.size()));
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const std::string folder = std::string(argv[1]) + "/";
  const auto embedded = mon::EmbeddedResourcesBin();
  bool ok = Write(folder + "embedded", std::vector<std::uint8_t>(embedded.begin(), embedded.end()));
  ok = Write(folder + "originals_only", mon::WriteLanguageStream({u"a\r\nb\r\n", {}})) && ok;
  ok = Write(
           folder + "two_languages",
           mon::WriteLanguageStream(
               {u"Config\r\n", {{u"CH", u"Config=\u914d\u7f6e\r\n"}, {u"DE", u"Config=K\r\n"}}})) &&
       ok;
  ok = Write(folder + "line_ends",
             mon::WriteLanguageStream({u"a\rb\nc\vd\fe\u2028f\u2029g\r\n\r\n", {}})) &&
       ok;
  return ok ? 0 : 1;
}
