// The music player: one piece open at a time, and exactly one notification for every Play,
// delivered later as a message on the main thread, whatever ended the play.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "engine/component.h"

// Why a play request ended: it reached the end, a later Play replaced it, or Stop, Rewind,
// Close or the Open of another file cut it off.
enum TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

class TMediaPlayer : public TComponent {
 public:
  explicit TMediaPlayer(TComponent* owner = nullptr);
  ~TMediaPlayer() override;

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& value) { file_name_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { visible_ = value; }
  bool AutoOpen() const { return auto_open_; }
  void SetAutoOpen(bool value) { auto_open_ = value; }
  // Play at the end of the piece starts it over (otherwise that play ends at once).
  bool AutoRewind() const { return auto_rewind_; }
  void SetAutoRewind(bool value) { auto_rewind_ = value; }

  std::function<void(TComponent* sender)> OnNotify;
  TMPNotifyValues NotifyValue() const { return notify_value_; }

  // Closes the open file, then opens FileName; a failure raises the backend's text and leaves
  // the player closed.
  void Open();
  void Close();
  // Play, Stop and Rewind with no file open raise "No MCI device open".
  void Play();    // from the current position; returns at once
  void Stop();    // the position stays
  void Rewind();  // to the start of the piece; stops playing
  bool is_open() const { return open_; }

 protected:
  void Loaded() override;  // AutoOpen opens FileName here

 private:
  void require_open() const;
  void end_request(TMPNotifyValues value);
  void piece_finished(uint32_t request);
  void deliver();

  std::string file_name_;
  bool visible_ = true;
  bool auto_open_ = false;
  bool auto_rewind_ = true;
  TMPNotifyValues notify_value_ = nvSuccessful;

  bool open_ = false;
  bool at_end_ = false;
  bool requested_ = false;  // a Play waits for its notification
  uint32_t request_ = 0;    // that Play's number
  uint32_t message_ = 0;
  std::deque<TMPNotifyValues> due_;  // ended plays whose message is on its way
};
