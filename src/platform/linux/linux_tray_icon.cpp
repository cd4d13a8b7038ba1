#include "platform/linux/linux_tray_icon.h"

#include <clocale>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

#include "framework/application.h"
#include "framework/text.h"

namespace mon::lnx {

namespace {

constexpr char kItemIndexKey[] = "korvaldz314mon-item-index";

bool SameItems(const std::vector<TPopupMenuItem>& ALeft,
               const std::vector<TPopupMenuItem>& ARight) {
  if (ALeft.size() != ARight.size()) {
    return false;
  }
  for (std::size_t i = 0; i < ALeft.size(); ++i) {
    if (ALeft[i].Caption != ARight[i].Caption || ALeft[i].Visible != ARight[i].Visible) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::unique_ptr<TLinuxTrayIcon> TLinuxTrayIcon::CreateIfDesktop(TTrayIconEvents& AEvents) {
  if (gdk_display_get_default() == nullptr) {
    // gtk_init_check sets the locale from the environment; the program keeps the one it had.
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current != nullptr ? current : "C";
    const bool initialised = gtk_init_check(nullptr, nullptr) != FALSE;
    std::setlocale(LC_ALL, saved.c_str());
    if (!initialised) {
      return nullptr;
    }
  }
  return std::make_unique<TLinuxTrayIcon>(AEvents);
}

TLinuxTrayIcon::TLinuxTrayIcon(TTrayIconEvents& AEvents)
    : FEvents(AEvents),
      FIndicator(
          app_indicator_new(kTrayItemId, kTrayIconName, APP_INDICATOR_CATEGORY_APPLICATION_STATUS)),
      FMenu(GTK_WIDGET(g_object_ref_sink(gtk_menu_new()))),
      FNotices(kNoticeAppName, kTrayIconName) {
  app_indicator_set_menu(FIndicator.get(), GTK_MENU(FMenu.get()));
  app_indicator_set_status(FIndicator.get(), APP_INDICATOR_STATUS_PASSIVE);
}

TLinuxTrayIcon::~TLinuxTrayIcon() {
  if (FChoiceSource != 0) {
    g_source_remove(FChoiceSource);
  }
  // The item leaves the bus first, then the menu it showed goes.
  FIndicator.reset();
  gtk_widget_destroy(FMenu.get());
  FMenu.reset();
}

void TLinuxTrayIcon::SetIcon(const std::optional<std::u16string>&, TTrayIconState AState,
                             TTaskbarTheme) {
  FIconName = AState == TTrayIconState::Muted ? kTrayMutedIconName : kTrayIconName;
  ApplyIcon();
}

void TLinuxTrayIcon::SetHint(const std::u16string& AHint) {
  const std::u16string_view hint(AHint);
  const std::size_t lineBreak = hint.find(u'\n');
  const std::string title = Utf16ToUtf8(std::u16string(hint.substr(0, lineBreak)));
  std::u16string rest;
  if (lineBreak != std::u16string_view::npos) {
    for (const char16_t character : hint.substr(lineBreak + 1)) {
      rest += character == u'\n' ? u' ' : character;
    }
  }
  app_indicator_set_title(FIndicator.get(), title.c_str());
  FIconDescription = rest.empty() ? title : Utf16ToUtf8(rest);
  ApplyIcon();
  // The core sets the hint after the menu's captions when the language changes.
  RequestMenu();
}

void TLinuxTrayIcon::ApplyIcon() {
  app_indicator_set_icon_full(FIndicator.get(), FIconName, FIconDescription.c_str());
}

void TLinuxTrayIcon::Show() {
  FShown = true;
  app_indicator_set_status(FIndicator.get(), APP_INDICATOR_STATUS_ACTIVE);
  RequestMenu();
}

void TLinuxTrayIcon::Hide() {
  FShown = false;
  app_indicator_set_status(FIndicator.get(), APP_INDICATOR_STATUS_PASSIVE);
}

void TLinuxTrayIcon::ShowNotice(const std::u16string& ATitle, const std::u16string& AText) {
  if (!FShown) {
    return;
  }
  if (ATitle.empty()) {
    FNotices.Show(Utf16ToUtf8(AText), std::string());
  } else {
    FNotices.Show(Utf16ToUtf8(ATitle), Utf16ToUtf8(AText));
  }
}

std::optional<std::size_t> TLinuxTrayIcon::ShowPopupMenu(
    const std::vector<TPopupMenuItem>& AItems) {
  if (!SameItems(AItems, FMenuItems)) {
    FMenuItems = AItems;
    RebuildMenu();
  }
  return std::nullopt;
}

void TLinuxTrayIcon::RequestMenu() {
  FEvents.TrayMenuRequested();
}

void TLinuxTrayIcon::RebuildMenu() {
  GtkMenuShell* menu = GTK_MENU_SHELL(FMenu.get());
  app_indicator_set_secondary_activate_target(FIndicator.get(), nullptr);
  GList* children = gtk_container_get_children(GTK_CONTAINER(menu));
  for (GList* child = children; child != nullptr; child = child->next) {
    gtk_widget_destroy(GTK_WIDGET(child->data));
  }
  g_list_free(children);
  GtkWidget* firstVisible = nullptr;
  for (std::size_t index = 0; index < FMenuItems.size(); ++index) {
    const std::string caption = Utf16ToUtf8(FMenuItems[index].Caption);
    GtkWidget* item = gtk_menu_item_new_with_label(caption.c_str());
    g_object_set_data(G_OBJECT(item), kItemIndexKey, GSIZE_TO_POINTER(index));
    g_signal_connect(item, "activate", G_CALLBACK(&TLinuxTrayIcon::OnMenuItemActivated), this);
    gtk_widget_set_visible(item, FMenuItems[index].Visible);
    gtk_menu_shell_append(menu, item);
    if (firstVisible == nullptr && FMenuItems[index].Visible) {
      firstVisible = item;
    }
  }
  // The middle click (SecondaryActivate) chooses the first item, which on Windows does what the
  // icon's click does (it opens the configuration program).
  app_indicator_set_secondary_activate_target(FIndicator.get(), firstVisible);
}

void TLinuxTrayIcon::PostChoice(std::size_t AChoice) {
  // Delivered from the loop, as a Windows menu returns before its item runs: the item may end
  // the program or change this menu.
  FChoices.push_back(AChoice);
  if (FChoiceSource == 0) {
    FChoiceSource = g_idle_add(&TLinuxTrayIcon::OnChoicePosted, this);
  }
}

void TLinuxTrayIcon::OnMenuItemActivated(GtkMenuItem* AItem, gpointer AData) {
  static_cast<TLinuxTrayIcon*>(AData)->PostChoice(
      GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(AItem), kItemIndexKey)));
}

gboolean TLinuxTrayIcon::OnChoicePosted(gpointer AData) {
  auto& icon = *static_cast<TLinuxTrayIcon*>(AData);
  icon.FChoiceSource = 0;
  const std::vector<std::size_t> choices = std::exchange(icon.FChoices, {});
  // The events outlive the icon, which a choice may end.
  TTrayIconEvents& events = icon.FEvents;
  for (const std::size_t choice : choices) {
    try {
      events.TrayMenuItemChosen(choice);
    } catch (...) {
      HandleApplicationException(std::current_exception());
    }
  }
  return G_SOURCE_REMOVE;
}

}  // namespace mon::lnx
