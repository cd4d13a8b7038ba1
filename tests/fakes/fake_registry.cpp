#include "fake_registry.h"

#include <algorithm>
#include <cstring>

#include "framework/text.h"

namespace mon::testing {

class TMemoryRegistry::TKey final : public TRegistryKey {
 public:
  TKey(TMemoryRegistry& ARegistry, std::u16string AKeyName, bool AWritable)
      : FRegistry(ARegistry), FKeyName(std::move(AKeyName)), FWritable(AWritable) {}

  std::optional<TRegistryValueInfo> QueryValue(const std::u16string& AName) override {
    std::lock_guard lock(FRegistry.FLock);
    const TValue* value = Find(AName);
    if (value == nullptr) {
      return std::nullopt;
    }
    return TRegistryValueInfo{value->Type, static_cast<std::uint32_t>(value->Bytes.size())};
  }

  std::optional<TRegistryValueInfo> ReadValue(const std::u16string& AName,
                                              std::span<std::uint8_t> ABuffer) override {
    std::lock_guard lock(FRegistry.FLock);
    const TValue* value = Find(AName);
    if (value == nullptr || value->Bytes.size() > ABuffer.size()) {
      return std::nullopt;
    }
    std::copy(value->Bytes.begin(), value->Bytes.end(), ABuffer.begin());
    ++FRegistry.FReadCount;
    return TRegistryValueInfo{value->Type, static_cast<std::uint32_t>(value->Bytes.size())};
  }

  bool WriteValue(const std::u16string& AName, TRegistryValueType AType,
                  std::span<const std::uint8_t> AData) override {
    std::lock_guard lock(FRegistry.FLock);
    TKeyData* key = FRegistry.FindKey(FKeyName);
    if (!FWritable || FRegistry.FFailWrites || key == nullptr) {
      return false;
    }
    key->Values[FoldCase(AName)] = TValue{AType, {AData.begin(), AData.end()}};
    ++FRegistry.FWriteCount;
    return true;
  }

 private:
  const TValue* Find(const std::u16string& AName) const {
    const TKeyData* key = FRegistry.FindKey(FKeyName);
    if (key == nullptr) {
      return nullptr;
    }
    const auto found = key->Values.find(FoldCase(AName));
    return found == key->Values.end() ? nullptr : &found->second;
  }

  TMemoryRegistry& FRegistry;
  std::u16string FKeyName;
  bool FWritable;
};

std::optional<std::u16string> TMemoryRegistry::KeyName(TRegistryRoot ARoot,
                                                       const std::u16string& APath) {
  std::u16string name;
  if (ARoot == kRegistryCurrentUser) {
    name = u"hkcu";
  } else if (ARoot == kRegistryLocalMachine) {
    name = u"hklm";
  } else {
    return std::nullopt;
  }
  // As the system does: a leading backslash is refused, repeated and trailing ones are
  // ignored.
  if (!APath.empty() && APath.front() == u'\\') {
    return std::nullopt;
  }
  std::u16string level;
  for (const char16_t c : FoldCase(APath) + u'\\') {
    if (c != u'\\') {
      level += c;
    } else if (!level.empty()) {
      name += u'\\' + level;
      level.clear();
    }
  }
  return name;
}

TMemoryRegistry::TKeyData* TMemoryRegistry::FindKey(const std::u16string& AKeyName) {
  const auto found = FKeys.find(AKeyName);
  return found == FKeys.end() ? nullptr : &found->second;
}

const TMemoryRegistry::TKeyData* TMemoryRegistry::FindKey(const std::u16string& AKeyName) const {
  const auto found = FKeys.find(AKeyName);
  return found == FKeys.end() ? nullptr : &found->second;
}

void TMemoryRegistry::CreateLevels(const std::u16string& AKeyName) {
  for (std::size_t end = AKeyName.find(u'\\'); end != std::u16string::npos;
       end = AKeyName.find(u'\\', end + 1)) {
    FKeys[AKeyName.substr(0, end)];
  }
  FKeys[AKeyName];
}

std::unique_ptr<TRegistryKey> TMemoryRegistry::OpenKey(TRegistryRoot ARoot,
                                                       const std::u16string& APath, bool ACreate,
                                                       TRegistryAccess AAccess) {
  const auto name = KeyName(ARoot, APath);
  std::lock_guard lock(FLock);
  if (!name || FFailOpen) {
    return nullptr;
  }
  const bool isRoot = name->find(u'\\') == std::u16string::npos;
  if (!isRoot && FindKey(*name) == nullptr) {
    if (!ACreate || FFailWrites) {
      return nullptr;
    }
    CreateLevels(*name);
  } else if (isRoot) {
    FKeys[*name];
  }
  return std::make_unique<TKey>(*this, *name, AAccess == TRegistryAccess::ReadWrite);
}

void TMemoryRegistry::SetValue(TRegistryRoot ARoot, const std::u16string& APath,
                               const std::u16string& AName, TRegistryValueType AType,
                               std::vector<std::uint8_t> ABytes) {
  const auto name = KeyName(ARoot, APath);
  if (!name) {
    return;
  }
  std::lock_guard lock(FLock);
  CreateLevels(*name);
  FKeys[*name].Values[FoldCase(AName)] = TValue{AType, std::move(ABytes)};
}

std::optional<TMemoryRegistry::TValue> TMemoryRegistry::Value(TRegistryRoot ARoot,
                                                              const std::u16string& APath,
                                                              const std::u16string& AName) const {
  const auto name = KeyName(ARoot, APath);
  if (!name) {
    return std::nullopt;
  }
  std::lock_guard lock(FLock);
  const TKeyData* key = FindKey(*name);
  if (key == nullptr) {
    return std::nullopt;
  }
  const auto found = key->Values.find(FoldCase(AName));
  if (found == key->Values.end()) {
    return std::nullopt;
  }
  return found->second;
}

void TMemoryRegistry::DeleteKey(TRegistryRoot ARoot, const std::u16string& APath) {
  const auto name = KeyName(ARoot, APath);
  if (!name) {
    return;
  }
  std::lock_guard lock(FLock);
  const std::u16string below = *name + u'\\';
  std::erase_if(FKeys, [&](const auto& AKey) {
    return AKey.first == *name || AKey.first.starts_with(below);
  });
}

bool TMemoryRegistry::KeyExists(TRegistryRoot ARoot, const std::u16string& APath) const {
  const auto name = KeyName(ARoot, APath);
  std::lock_guard lock(FLock);
  return name && FindKey(*name) != nullptr;
}

std::map<std::u16string, TMemoryRegistry::TValue> TMemoryRegistry::Values(
    TRegistryRoot ARoot, const std::u16string& APath) const {
  const auto name = KeyName(ARoot, APath);
  std::lock_guard lock(FLock);
  const TKeyData* key = name ? FindKey(*name) : nullptr;
  return key == nullptr ? std::map<std::u16string, TValue>{} : key->Values;
}

std::size_t TMemoryRegistry::ValueCount(TRegistryRoot ARoot, const std::u16string& APath) const {
  const auto name = KeyName(ARoot, APath);
  std::lock_guard lock(FLock);
  const TKeyData* key = name ? FindKey(*name) : nullptr;
  return key == nullptr ? 0 : key->Values.size();
}

TMemoryRegistry::TContent TMemoryRegistry::Content() const {
  std::lock_guard lock(FLock);
  TContent content;
  for (const auto& [name, key] : FKeys) {
    content[name] = key.Values;
  }
  return content;
}

TMemoryRegistry::TContent TMemoryRegistry::ContentExcept(TRegistryRoot ARoot,
                                                         const std::u16string& APath,
                                                         const std::u16string& AName) const {
  TContent content = Content();
  if (const auto name = KeyName(ARoot, APath)) {
    if (const auto key = content.find(*name); key != content.end()) {
      key->second.erase(FoldCase(AName));
    }
  }
  return content;
}

void TMemoryRegistry::ReplaceContent(const TContent& AContent) {
  std::lock_guard lock(FLock);
  FKeys.clear();
  for (const auto& [name, values] : AContent) {
    FKeys[name].Values = values;
  }
}

void TMemoryRegistry::FailOpen(bool AValue) {
  std::lock_guard lock(FLock);
  FFailOpen = AValue;
}

void TMemoryRegistry::FailWrites(bool AValue) {
  std::lock_guard lock(FLock);
  FFailWrites = AValue;
}

std::size_t TMemoryRegistry::ReadCount() const {
  std::lock_guard lock(FLock);
  return FReadCount;
}

std::size_t TMemoryRegistry::WriteCount() const {
  std::lock_guard lock(FLock);
  return FWriteCount;
}

}  // namespace mon::testing
