// The application object: the message pump the start-up loop turns, the standard exception
// report every dispatch boundary uses, and the idle hooks.
#pragma once

#include <exception>
#include <functional>
#include <utility>
#include <vector>

class TApplication {
 public:
  // Dispatches every pending message once; when nothing was pending, runs the idle hooks.
  void ProcessMessages();
  // The standard report: OnException when set, otherwise the platform's message box + stderr.
  void HandleException(const std::exception& e);
  bool Terminated() const { return terminated_; }
  void Terminate() { terminated_ = true; }
  // Only for a fresh start (tests run many "programs" in one process).
  void ResetTerminated() { terminated_ = false; }

  std::function<void(const std::exception&)> OnException;

  // Idle hooks keyed by their owner (the frame clocks in cmApplicationIdle mode).
  void AddIdleHandler(const void* key, std::function<void()> handler);
  void RemoveIdleHandler(const void* key);
  void DoIdle();

 private:
  bool terminated_ = false;
  std::vector<std::pair<const void*, std::function<void()>>> idle_;
};

extern TApplication Application;
