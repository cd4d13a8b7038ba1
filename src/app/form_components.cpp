#include "app/form_components.h"

#include <vector>

namespace mon {

TTimer::TTimer(TComponent* AOwner, TMessageWindow& AWindow, std::uintptr_t ATimerId)
    : TComponent(AOwner), FWindow(AWindow), FTimerId(ATimerId) {}

TTimer::~TTimer() {
  if (FEnabled) {
    FWindow.StopTimer(FTimerId);
  }
}

void TTimer::SetEnabled(bool AValue) {
  FEnabled = AValue;
  if (AValue) {
    FWindow.StartTimer(FTimerId, FInterval);
  } else {
    FWindow.StopTimer(FTimerId);
  }
}

void TTimer::SetInterval(std::uint32_t AValue) {
  FInterval = AValue;
  if (FEnabled) {
    FWindow.StartTimer(FTimerId, FInterval);
  }
}

bool TTimer::Fired(std::uintptr_t ATimerId) {
  if (ATimerId != FTimerId) {
    return false;
  }
  if (FEnabled && OnTimer) {
    OnTimer(*this);
  }
  return true;
}

TMenuItem* TPopupMenu::Item(std::size_t AIndex) const {
  std::size_t found = 0;
  for (std::size_t i = 0; i < ComponentCount(); ++i) {
    if (auto* item = dynamic_cast<TMenuItem*>(Components(i))) {
      if (found++ == AIndex) {
        return item;
      }
    }
  }
  return nullptr;
}

std::size_t TPopupMenu::ItemCount() const {
  std::size_t count = 0;
  while (Item(count) != nullptr) {
    ++count;
  }
  return count;
}

void TPopupMenu::Popup(TTrayIcon& ATray) {
  std::vector<TPopupMenuItem> items;
  for (std::size_t i = 0; i < ItemCount(); ++i) {
    items.push_back({Item(i)->Caption(), Item(i)->Visible});
  }
  const auto chosen = ATray.ShowPopupMenu(items);
  if (chosen) {
    RunItem(*chosen);
  }
}

void TPopupMenu::RunItem(std::size_t AIndex) {
  TMenuItem* item = Item(AIndex);
  if (item != nullptr && item->Visible && item->OnClick) {
    item->OnClick(*item);
  }
}

TTrayIconComponent::TTrayIconComponent(TComponent* AOwner, TDesktop& ADesktop, TAppWindow& AWindow)
    : TComponent(AOwner), FIcon(ADesktop.CreateTrayIcon(AWindow, *this)) {}

void TTrayIconComponent::SetVisible(bool AValue) {
  if (AValue) {
    FIcon->Show();
  } else {
    FIcon->Hide();
  }
}

void TTrayIconComponent::TrayClicked() {
  if (OnClick) {
    OnClick(*this);
  }
}

void TTrayIconComponent::TrayMenuRequested() {
  if (PopupMenu != nullptr) {
    PopupMenu->Popup(*FIcon);
  }
}

void TTrayIconComponent::TrayMenuItemChosen(std::size_t AIndex) {
  if (PopupMenu != nullptr) {
    PopupMenu->RunItem(AIndex);
  }
}

}  // namespace mon
