// Feeds arbitrary bytes to the language data stream reader, directly and through a language
// store, and checks what must hold for any input:
// - the reader never produces more text than the input holds;
// - what was read, written again and re-read, is the same (the reader keeps nothing it cannot
//   write, and the writer writes nothing the reader would read differently);
// - a store's content, saved and loaded again, is the same.
// A violated property aborts, which libFuzzer reports as a crash with the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "i18n/language_store.h"
#include "i18n/language_stream.h"
#include "platform/posix/posix_platform.h"

namespace {

mon::TPlatform& Platform() {
  static mon::posix::TPosixPlatform platform;
  return platform.Platform();
}

void Require(bool ACondition) {
  if (!ACondition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
  const std::span<const std::uint8_t> bytes(AData, ASize);

  const mon::TLanguageStreamContent content = mon::ReadLanguageStream(bytes);
  std::size_t units = content.OriginalText.size();
  for (const auto& language : content.Languages) {
    units += language.Name.size() + language.TableText.size();
  }
  Require(2 * units <= ASize);
  Require(content.Languages.size() <= ASize / 8);
  Require(mon::ReadLanguageStream(mon::WriteLanguageStream(content)) == content);

  mon::TLanguageStore store(nullptr, Platform());
  store.ReadStream(bytes);
  const std::vector<std::uint8_t> saved = store.WriteStream();
  mon::TLanguageStore reloaded(nullptr, Platform());
  reloaded.ReadStream(saved);
  Require(reloaded.WriteStream() == saved);
  return 0;
}
