// config.ini beside the executable: the monitor's options, read (never written) through the seam,
// decoded as the system's INI functions decode it, so the monitor and the configuration program
// read the same values from the same file.
#pragma once

#include <cstdint>

#include "framework/ini_file.h"
#include "platform/file_system.h"
#include "platform/locale.h"

namespace mon {

inline constexpr char16_t kConfigFileName[] = u"config.ini";
// config.ini is a small text file; anything larger is not ours and reads as missing.
inline constexpr std::uint64_t kMaxConfigFileBytes = 1u << 20;

// The file's sections and keys; an empty file (every read gives its default) when the file is
// missing, unreadable or too large. A file without a byte-order mark that is not valid UTF-8 is
// text of the system's ANSI code page (ALocale).
TIniFile LoadConfigFile(TFileSystem& AFiles, TLocale& ALocale);

}  // namespace mon
