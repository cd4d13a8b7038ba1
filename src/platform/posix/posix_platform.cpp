#include "platform/posix/posix_platform.h"

#include <ctime>
#include <iostream>

#include "framework/text.h"

namespace mon::posix {

TLocalDateTime TPosixClock::LocalNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm local{};
  ::localtime_r(&now.tv_sec, &local);
  return {local.tm_year + 1900,
          local.tm_mon + 1,
          local.tm_mday,
          local.tm_hour,
          local.tm_min,
          local.tm_sec,
          static_cast<int>(now.tv_nsec / 1000000)};
}

std::uint32_t TPosixClock::TickCount() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                            static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

void TPosixDebugOutput::Write(const std::u16string& AText) {
  std::cerr << Utf16ToUtf8(AText) << '\n';
}

void TPosixMessageBox::ShowMessageBox(const std::u16string& AText, const std::u16string& ACaption,
                                      TMessageBoxIcon) {
  std::cerr << Utf16ToUtf8(ACaption) << ": " << Utf16ToUtf8(AText) << '\n';
}

std::unique_ptr<TTrayIcon> TPosixDesktop::CreateTrayIcon(TAppWindow&, TTrayIconEvents&) {
  return std::make_unique<TPosixTrayIcon>();
}

void TPosixDesktop::Sleep(std::uint32_t AMilliseconds) {
  const timespec duration{static_cast<std::time_t>(AMilliseconds / 1000),
                          static_cast<long>(AMilliseconds % 1000) * 1000000L};
  ::nanosleep(&duration, nullptr);
}

}  // namespace mon::posix
