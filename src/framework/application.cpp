#include "framework/application.h"

#include "framework/text.h"

namespace mon {

namespace {
TApplication* GApplication = nullptr;
}  // namespace

TApplication::TApplication() : TComponent(nullptr) {
  SetName(u"Application");
  GApplication = this;
}

TApplication::~TApplication() {
  if (GApplication == this) {
    GApplication = nullptr;
  }
}

void TApplication::HandleException(const std::exception_ptr& AError) {
  const std::u16string message = ExceptionText(AError);
  if (OnException) {
    OnException(message);
  }
}

TApplication* Application() {
  return GApplication;
}

void HandleApplicationException(const std::exception_ptr& AError) {
  if (GApplication != nullptr) {
    GApplication->HandleException(AError);
  }
}

std::u16string ExceptionText(const std::exception_ptr& AError) {
  try {
    if (AError) {
      std::rethrow_exception(AError);
    }
  } catch (const std::exception& e) {
    return Utf8ToUtf16(e.what());
  } catch (...) {
  }
  return u"Unknown error";
}

}  // namespace mon
