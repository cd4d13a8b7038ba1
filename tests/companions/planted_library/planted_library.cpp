// A library planted where a program must never load it from (the current folder): when loaded,
// it leaves a file "loaded-<its file name>.txt" beside itself, so a test sees from outside that
// it was loaded, and does nothing else.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE AInstance, DWORD AReason, LPVOID) {
  if (AReason != DLL_PROCESS_ATTACH) {
    return TRUE;
  }
  wchar_t path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameW(AInstance, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return TRUE;
  }
  std::wstring marker(path, length);
  const std::size_t slash = marker.find_last_of(L"\\/");
  const std::wstring name = marker.substr(slash + 1);
  marker = marker.substr(0, slash + 1) + L"loaded-" + name + L".txt";
  const HANDLE file = ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    ::CloseHandle(file);
  }
  return TRUE;
}
