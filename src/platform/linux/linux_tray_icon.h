// The Linux monitor's notification-area icon: a StatusNotifierItem on the session bus, made
// through libayatana-appindicator3, and its notices as desktop notifications (linux_notices.h).
//
// A StatusNotifierItem's menu belongs to the item and the desktop's shell shows it, so the menu
// cannot wait for a right click as on Windows: the icon asks its events for the menu
// (TrayMenuRequested) when it is shown and whenever its hint is set (the core sets the hint last
// when the language changes), keeps the items ShowPopupMenu then gives (returning nullopt), and
// reports a chosen item later from the loop (TrayMenuItemChosen).
//
// libayatana-appindicator3 does not answer the item's Activate (the left click): shells show the
// menu instead, whose first item opens the configuration program as the Windows icon's click
// does. The middle click (SecondaryActivate) chooses that first visible item; the library
// activates only a visible item of the menu, so TrayClicked has no way to be raised here.
//
// Main thread only; GTK must be initialised on it (CreateIfDesktop does that).
#pragma once

#include <gtk/gtk.h>
#include <libayatana-appindicator/app-indicator.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/linux/linux_gio_handles.h"
#include "platform/linux/linux_notices.h"

namespace mon::lnx {

// The item's id, also its object path's last part (/org/ayatana/NotificationItem/<id>).
inline constexpr char kTrayItemId[] = "korvaldz314mon";
// Icon names of the hicolor theme (installed by the package).
inline constexpr char kTrayIconName[] = "korvaldz314mon";
inline constexpr char kTrayMutedIconName[] = "korvaldz314mon-muted";
// The program name notification servers show with each notice.
inline constexpr char kNoticeAppName[] = "KORVALDZ314";

class TLinuxTrayIcon final : public TTrayIcon {
 public:
  // The icon when GTK can be initialised (a display to talk to), else nullptr. GTK is kept from
  // changing the process's locale.
  static std::unique_ptr<TLinuxTrayIcon> CreateIfDesktop(TTrayIconEvents& AEvents);

  explicit TLinuxTrayIcon(TTrayIconEvents& AEvents);
  ~TLinuxTrayIcon() override;
  TLinuxTrayIcon(const TLinuxTrayIcon&) = delete;
  TLinuxTrayIcon& operator=(const TLinuxTrayIcon&) = delete;

  // The theme's icon for AState; an icon file (APath) and the taskbar's colours are the
  // Windows icon's: the shell draws a named icon in its own colours.
  void SetIcon(const std::optional<std::u16string>& APath, TTrayIconState AState,
               TTaskbarTheme ATheme) override;
  // The first line is the item's title (the program's name, which shells show as the tooltip);
  // the lines after it (the microphone's state) describe the icon (IconAccessibleDesc).
  void SetHint(const std::u16string& AHint) override;
  // One notification, replaced by the next. Without a title the text is the summary, as servers
  // require one.
  void ShowNotice(const std::u16string& ATitle, const std::u16string& AText) override;
  void Show() override;
  void Hide() override;
  bool IsShown() const override { return FShown; }
  // Keeps AItems as the item's menu; returns nullopt at once.
  std::optional<std::size_t> ShowPopupMenu(const std::vector<TPopupMenuItem>& AItems) override;

 private:
  static void OnMenuItemActivated(GtkMenuItem* AItem, gpointer AData);
  static gboolean OnChoicePosted(gpointer AData);
  void RequestMenu();
  void ApplyIcon();
  void RebuildMenu();
  void PostChoice(std::size_t AChoice);

  TTrayIconEvents& FEvents;
  TGObjectPtr<AppIndicator> FIndicator;
  TGObjectPtr<GtkWidget> FMenu;  // our reference, sunk
  std::vector<TPopupMenuItem> FMenuItems;
  const char* FIconName = kTrayIconName;
  std::string FIconDescription;
  bool FShown = false;
  TLinuxNotices FNotices;
  // Chosen menu items (indices) waiting for the loop, and the idle source that delivers them.
  std::vector<std::size_t> FChoices;
  guint FChoiceSource = 0;
};

}  // namespace mon::lnx
