#include "platform/win32/win32_file_system.h"

#include <shlobj.h>
#include <windows.h>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide.h"

namespace mon::win32 {

namespace {

constexpr DWORD kAttributesMissing = INVALID_FILE_ATTRIBUTES;

DWORD Attributes(const std::u16string& APath) {
  return ::GetFileAttributesW(ToWide(APath).c_str());
}

bool WriteAll(HANDLE AFile, std::span<const std::uint8_t> ABytes) {
  std::size_t done = 0;
  while (done < ABytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(ABytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(AFile, ABytes.data() + done, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

std::u16string TWin32FileSystem::ExecutableFolder() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return std::u16string();
    }
    if (length < buffer.size()) {
      buffer.resize(length);
      break;
    }
    buffer.resize(buffer.size() * 2);
  }
  return SplitPath(FromWide(buffer)).Folder;
}

bool TWin32FileSystem::FileExists(const std::u16string& APath) {
  const DWORD attributes = Attributes(APath);
  return attributes != kAttributesMissing && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TWin32FileSystem::DirectoryExists(const std::u16string& APath) {
  const DWORD attributes = Attributes(APath);
  return attributes != kAttributesMissing && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TWin32FileSystem::MakeDirectory(const std::u16string& APath) {
  if (::CreateDirectoryW(ToWide(APath).c_str(), nullptr)) {
    return true;
  }
  return ::GetLastError() == ERROR_ALREADY_EXISTS && DirectoryExists(APath);
}

std::optional<std::vector<std::uint8_t>> TWin32FileSystem::ReadWholeFile(
    const std::u16string& APath, std::uint64_t AMaxBytes) {
  TUniqueHandle file(::CreateFileW(ToWide(APath).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > AMaxBytes) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!::ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr)) {
      return std::nullopt;
    }
    if (read == 0) {
      bytes.resize(done);  // the file shrank while we read it
      break;
    }
    done += read;
  }
  return bytes;
}

bool TWin32FileSystem::WriteWholeFile(const std::u16string& APath,
                                      std::span<const std::uint8_t> ABytes) {
  const std::wstring target = ToWide(APath);
  const std::wstring temporary = target + L"." + std::to_wstring(::GetCurrentProcessId()) + L".tmp";
  {
    TUniqueHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      return false;
    }
    if (!WriteAll(file.Get(), ABytes) || !::FlushFileBuffers(file.Get())) {
      file.Reset();
      ::DeleteFileW(temporary.c_str());
      return false;
    }
  }
  if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ::DeleteFileW(temporary.c_str());
    return false;
  }
  return true;
}

bool TWin32FileSystem::RemoveFile(const std::u16string& APath) {
  return ::DeleteFileW(ToWide(APath).c_str()) != 0;
}

std::optional<std::u16string> TWin32FileSystem::DocumentsFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path)) ||
      path[0] == L'\0') {
    return std::nullopt;
  }
  return FromWideBuffer(path, MAX_PATH + 1);
}

}  // namespace mon::win32
