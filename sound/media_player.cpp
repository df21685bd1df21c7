// The music player over the platform's music stream. Every ended play is queued and a message
// posted, so OnNotify always runs between frames and input events, never inside Stop or Open.
#include "sound/media_player.h"

#include "engine/application.h"
#include "platform/platform.h"

TMediaPlayer::TMediaPlayer(TComponent* owner) : TComponent(owner) {
  message_ = platform::register_message([this](uint32_t, uint32_t) { deliver(); });
}

TMediaPlayer::~TMediaPlayer() {
  platform::unregister_message(message_);
  if (open_) platform::music_close();
}

void TMediaPlayer::Loaded() {
  if (auto_open_) Open();
}

void TMediaPlayer::require_open() const {
  if (!open_) throw Exception("No MCI device open");
}

void TMediaPlayer::Open() {
  Close();
  platform::music_open(file_name_);
  open_ = true;
  at_end_ = false;
}

void TMediaPlayer::Close() {
  if (!open_) return;
  end_request(nvAborted);
  platform::music_close();
  open_ = false;
}

void TMediaPlayer::Play() {
  require_open();
  end_request(nvSuperseded);
  const uint32_t request = ++request_;
  requested_ = true;
  if (at_end_ && !auto_rewind_) {
    // Nothing is left to play: the request is over as soon as it is made.
    end_request(nvSuccessful);
    return;
  }
  if (at_end_) platform::music_rewind();
  at_end_ = false;
  platform::music_play([this, request] { piece_finished(request); });
}

void TMediaPlayer::Stop() {
  require_open();
  platform::music_stop();
  end_request(nvAborted);
}

void TMediaPlayer::Rewind() {
  require_open();
  platform::music_rewind();
  at_end_ = false;
  end_request(nvAborted);
}

void TMediaPlayer::end_request(TMPNotifyValues value) {
  if (!requested_) return;
  requested_ = false;
  due_.push_back(value);
  platform::post_message(message_);
}

// The backend reports the end of the piece on the main thread; a play already ended by Stop,
// Rewind, Close or a later Play is not ours to report again.
void TMediaPlayer::piece_finished(uint32_t request) {
  if (!requested_ || request != request_) return;
  at_end_ = true;
  end_request(nvSuccessful);
}

void TMediaPlayer::deliver() {
  if (due_.empty()) return;
  notify_value_ = due_.front();
  due_.pop_front();
  if (!OnNotify) return;
  // This message is a dispatch boundary of its own: the handler's error goes to the
  // application's report and the loop carries on; the game's Halt passes through.
  try {
    OnNotify(this);
  } catch (const std::exception& e) {
    Application.HandleException(e);
  }
}
