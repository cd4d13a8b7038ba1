// The application object: title, main-form settings and the one central error handler that
// every exception escaping an event handler is sent to. There is one per process.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "framework/component.h"

namespace mon {

class TApplication : public TComponent {
 public:
  // The text of the escaped exception, for the error box and the debug output.
  using TExceptionEvent = std::function<void(const std::u16string& AMessage)>;

  TApplication();
  ~TApplication() override;

  std::u16string ClassName() const override { return u"TApplication"; }
  bool IsApplication() const override { return true; }

  const std::u16string& Title() const { return FTitle; }
  void SetTitle(std::u16string AValue) { FTitle = std::move(AValue); }

  // The main window gets no taskbar button of its own and is not shown when the loop starts.
  bool MainFormOnTaskBar = false;
  bool ShowMainForm = false;

  TExceptionEvent OnException;

  // Central error handler: reports the exception through OnException and returns.
  void HandleException(const std::exception_ptr& AError);

 private:
  std::u16string FTitle;
};

// The process's application object, or nullptr while none exists.
TApplication* Application();

// Sends the exception that is being handled to the central error handler (or drops it when
// the process has no application object). Call it from a catch block.
void HandleApplicationException(const std::exception_ptr& AError);

// Text of an exception for messages: what() converted from UTF-8, or a fixed text.
std::u16string ExceptionText(const std::exception_ptr& AError);

}  // namespace mon
