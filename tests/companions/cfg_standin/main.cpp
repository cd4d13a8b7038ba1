// Stand-in for the configuration program, for tests and the demo (never shipped).
//
//   KORVALDZ314.EXE [--hidden] [--log FILE] [--hang-every MS]
//                                             run: register the configuration program's window
//                                             class and log every message it receives; with
//                                             --hang-every, hang MS milliseconds in the handler
//                                             of every one of them (a hung program)
//   KORVALDZ314.EXE --send MSG LPARAM         tell the running stand-in to send MSG (7035 or 7037)
//                                             with LPARAM to the monitor's window
//   KORVALDZ314.EXE --stall MS                tell the running stand-in to stall MS milliseconds
//                                             in its next handler of 7040
//   KORVALDZ314.EXE --quit                    tell the running stand-in to end
//   KORVALDZ314.EXE --bind-key KEY CODE       bind key KEY (0..13) of the current profile group's
//                                             profile to function CODE and save it; the exit
//                                             code is the profile's index (0..4), 255 on failure
//   KORVALDZ314.EXE --set-language N          store language N (0 CH, 1 US) in the all-settings
//                                             record (then --send 7037 0 tells the monitor)
//
// The log (default: KORVALDZ314.log beside the executable) gets one line per message at or
// above WM_USER, "msg=<n> wParam=<n> lParam=<n>", plus "shown" when the window becomes visible
// and "started in <folder>" (the working folder) when it starts.
// A control call exits with 0 when the running stand-in took the request, else 1.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/win32/win32_platform.h"
#include "stored_settings.h"

namespace {

constexpr wchar_t kConfigClass[] = L"TKORVALDZ314CFGMAIN";
constexpr wchar_t kMonitorClass[] = L"TKORVALDZ314MONMAIN";
constexpr UINT kProfileSwitched = 7040;

// Private requests from a control call to the running stand-in.
constexpr UINT kRequestSend = WM_APP + 1;   // wParam: message, lParam: its lParam
constexpr UINT kRequestStall = WM_APP + 2;  // wParam: milliseconds
constexpr UINT kRequestQuit = WM_APP + 3;

struct TStandIn {
  std::FILE* Log = nullptr;
  DWORD StallMilliseconds = 0;
  DWORD HangEveryMilliseconds = 0;
};

TStandIn* GStandIn = nullptr;

void LogLine(const char* AFormat, unsigned long long A, long long B, long long C) {
  if (GStandIn == nullptr || GStandIn->Log == nullptr) {
    return;
  }
  std::fprintf(GStandIn->Log, AFormat, A, B, C);
  std::fflush(GStandIn->Log);
}

LRESULT CALLBACK WindowProc(HWND AWindow, UINT AMessage, WPARAM AWParam, LPARAM ALParam) {
  if (AMessage == kRequestSend) {
    const HWND monitor = ::FindWindowW(kMonitorClass, nullptr);
    DWORD_PTR result = 0;
    if (monitor == nullptr) {
      return 0;
    }
    ::SendMessageTimeoutW(monitor, static_cast<UINT>(AWParam), 0, ALParam, SMTO_ABORTIFHUNG, 5000,
                          &result);
    return 1;
  }
  if (AMessage == kRequestStall) {
    GStandIn->StallMilliseconds = static_cast<DWORD>(AWParam);
    return 1;
  }
  if (AMessage == kRequestQuit) {
    ::DestroyWindow(AWindow);
    return 1;
  }
  if (AMessage >= WM_USER) {
    LogLine("msg=%llu wParam=%lld lParam=%lld\n", AMessage, static_cast<long long>(AWParam),
            static_cast<long long>(ALParam));
    if (AMessage == kProfileSwitched && GStandIn->StallMilliseconds > 0) {
      const DWORD stall = GStandIn->StallMilliseconds;
      GStandIn->StallMilliseconds = 0;
      ::Sleep(stall);  // a hung configuration program, on purpose
    }
    if (GStandIn->HangEveryMilliseconds > 0) {
      ::Sleep(GStandIn->HangEveryMilliseconds);
    }
    return 0;
  }
  if (AMessage == WM_SHOWWINDOW && AWParam != 0) {
    LogLine("shown %llu %lld %lld\n", 1, 0, 0);
  }
  if (AMessage == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcW(AWindow, AMessage, AWParam, ALParam);
}

std::wstring DefaultLogPath() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path);
  const std::size_t dot = text.find_last_of(L'.');
  return (dot == std::wstring::npos ? text : text.substr(0, dot)) + L".log";
}

int Control(UINT ARequest, WPARAM AWParam, LPARAM ALParam) {
  const HWND standIn = ::FindWindowW(kConfigClass, nullptr);
  if (standIn == nullptr) {
    return 1;
  }
  DWORD_PTR result = 0;
  const bool sent = ::SendMessageTimeoutW(standIn, ARequest, AWParam, ALParam, SMTO_ABORTIFHUNG,
                                          10000, &result) != 0;
  return sent && result == 1 ? 0 : 1;
}

int Run(bool AHidden, const std::wstring& ALogPath, DWORD AHangEveryMilliseconds) {
  TStandIn standIn;
  standIn.HangEveryMilliseconds = AHangEveryMilliseconds;
  standIn.Log = _wfopen(ALogPath.c_str(), L"a");
  GStandIn = &standIn;
  if (standIn.Log != nullptr) {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    std::fprintf(standIn.Log, "started in %ls\n", folder);
    std::fflush(standIn.Log);
  }

  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kConfigClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  if (::RegisterClassW(&windowClass) == 0) {
    return 2;
  }
  const HWND window =
      ::CreateWindowExW(0, kConfigClass, L"GAMING MOUSE CONFIG", WS_OVERLAPPEDWINDOW, 400, 300, 480,
                        320, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 3;
  }
  if (!AHidden) {
    ::ShowWindow(window, SW_SHOW);
  }
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  GStandIn = nullptr;
  if (standIn.Log != nullptr) {
    std::fclose(standIn.Log);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  bool hidden = false;
  std::wstring logPath = DefaultLogPath();
  DWORD hangEvery = 0;
  int result = -1;
  for (int i = 1; i < count && result < 0; ++i) {
    const std::wstring arg = args[i];
    if (arg == L"--hidden") {
      hidden = true;
    } else if (arg == L"--log" && i + 1 < count) {
      logPath = args[++i];
    } else if (arg == L"--hang-every" && i + 1 < count) {
      hangEvery = std::wcstoul(args[++i], nullptr, 10);
    } else if (arg == L"--send" && i + 2 < count) {
      result = Control(kRequestSend, std::wcstoul(args[i + 1], nullptr, 10),
                       std::wcstol(args[i + 2], nullptr, 10));
    } else if (arg == L"--stall" && i + 1 < count) {
      result = Control(kRequestStall, std::wcstoul(args[i + 1], nullptr, 10), 0);
    } else if (arg == L"--bind-key" && i + 2 < count) {
      mon::win32::TWin32Platform backend;
      const int profile = standin::BindKey(backend.Platform(),
                                           static_cast<int>(std::wcstol(args[i + 1], nullptr, 10)),
                                           static_cast<int>(std::wcstol(args[i + 2], nullptr, 10)));
      result = profile >= 0 ? profile : 255;
    } else if (arg == L"--set-language" && i + 1 < count) {
      mon::win32::TWin32Platform backend;
      result = standin::SetLanguage(backend.Platform(),
                                    static_cast<int>(std::wcstol(args[i + 1], nullptr, 10)))
                   ? 0
                   : 1;
    } else if (arg == L"--quit") {
      result = Control(kRequestQuit, 0, 0);
    }
  }
  ::LocalFree(args);
  return result >= 0 ? result : Run(hidden, logPath, hangEvery);
}
