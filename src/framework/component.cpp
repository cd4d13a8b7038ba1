#include "framework/component.h"

#include <algorithm>

namespace mon {

TComponent::TComponent(TComponent* AOwner) : FOwner(AOwner) {
  if (FOwner != nullptr) {
    FOwner->FComponents.push_back(this);
    FDesigning = FOwner->FDesigning;
  }
}

TComponent::~TComponent() {
  // Handlers may remove other handlers of this component while they run: work on our own copy.
  auto handlers = std::move(FDestroyHandlers);
  FDestroyHandlers.clear();
  for (auto& entry : handlers) {
    try {
      entry.second(*this);
    } catch (...) {
      // A destructor cannot report anything; the handler's own state is its business.
    }
  }
  // Components that outlive their owner lose the relation instead of keeping a dangling pointer.
  for (TComponent* child : FComponents) {
    child->FOwner = nullptr;
  }
  if (FOwner != nullptr) {
    auto& siblings = FOwner->FComponents;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

TComponent* TComponent::FindComponent(std::u16string_view AName) const {
  for (TComponent* child : FComponents) {
    if (child->Name() == AName) {
      return child;
    }
  }
  return nullptr;
}

std::size_t TComponent::AddDestroyHandler(TDestroyHandler AHandler) {
  const std::size_t id = FNextDestroyHandlerId++;
  FDestroyHandlers.emplace_back(id, std::move(AHandler));
  return id;
}

void TComponent::RemoveDestroyHandler(std::size_t AId) {
  std::erase_if(FDestroyHandlers, [AId](const auto& AEntry) { return AEntry.first == AId; });
}

std::optional<std::u16string> TComponent::GetTextProperty(std::u16string_view) const {
  return std::nullopt;
}

bool TComponent::SetTextProperty(std::u16string_view, const std::u16string&) {
  return false;
}

void TComponent::SetDesigning(bool AValue) {
  FDesigning = AValue;
  for (TComponent* child : FComponents) {
    child->SetDesigning(AValue);
  }
}

void TComponent::BeginLoading() {
  FLoading = true;
  for (TComponent* child : FComponents) {
    child->BeginLoading();
  }
}

void TComponent::EndLoading() {
  // A copy: Loaded handlers may create or destroy components.
  const std::vector<TComponent*> children = FComponents;
  for (TComponent* child : children) {
    child->EndLoading();
  }
  FLoading = false;
  Loaded();
}

std::optional<std::u16string> TTextComponent::GetTextProperty(std::u16string_view AName) const {
  if (AName == u"Caption") {
    return FCaption;
  }
  if (AName == u"Hint") {
    return FHint;
  }
  return std::nullopt;
}

bool TTextComponent::SetTextProperty(std::u16string_view AName, const std::u16string& AValue) {
  if (AName == u"Caption") {
    FCaption = AValue;
    return true;
  }
  if (AName == u"Hint") {
    FHint = AValue;
    return true;
  }
  return false;
}

}  // namespace mon
