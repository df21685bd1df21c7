// The one interface to the operating system. platform/sdl/ and platform/headless/ implement it
// side by side; portable code includes only this header (and platform/error.h).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Program

// Called once at program entry, before anything else of this interface.
void init();
// Ends the process from inside a frame or a handler: throws Halt{code}, which unwinds to the entry.
[[noreturn]] void halt(int code = 0);
// Every error that reaches the user goes through here: a message box (SDL) and a line on stderr.
// The headless backend records the text (see reported_errors()).
void report_error(const std::string& text);
const std::vector<std::string>& reported_errors();

// ---------------------------------------------------------------------------------------------
// Clock

int64_t performance_counter();
int64_t performance_frequency();
uint32_t tick_count();  // milliseconds
void sleep_ms(int ms);
// Paces the frames to 60 per second whatever the display does. Called by the frame clock's
// message window before each progress step. Headless: advances the virtual clock by one frame.
void pace_frame();

// ---------------------------------------------------------------------------------------------
// Posted messages and the 1 ms timer (the frame clock's hidden message window)

using MessageHandler = std::function<void(uint32_t message, uint32_t message_time)>;
uint32_t register_message(MessageHandler handler);  // returns a private message id
void unregister_message(uint32_t message);
void post_message(uint32_t message);  // thread-safe: may be called from the audio thread
// A 1 ms timer that delivers `message` (as if posted) until stopped.
void start_timer(uint32_t message);
void stop_timer(uint32_t message);
// Dispatches every pending window event (input, paint, close), every posted message and every
// due timer, one after another on this thread. Returns false when nothing at all was pending; the
// SDL backend then waits a few milliseconds for an event first, so an idle loop does not spin.
// Headless: throws Halt{0, "stalled"} when nothing is pending and no timer runs.
bool process_messages();
// Dispatches only the pending window events (input, paint, close), not posted messages.
void process_window_events();

// ---------------------------------------------------------------------------------------------
// Display and window

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bits = 0;
  int refresh = 0;
  std::string label;  // "%d x %d, %d bpp"; entry 0 is labelled "default"
};
// Entry 0 is the desktop, then the modes the system offers, no duplicates, at most 200.
const std::vector<DisplayMode>& display_modes();

enum MouseButton { mbLeft, mbRight, mbMiddle };
// Shift state bits.
enum : uint32_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };

struct WindowEvents {
  std::function<void(int vk, uint32_t shift)> key_down;
  std::function<void(int vk, uint32_t shift)> key_up;
  std::function<void(MouseButton, uint32_t shift, int x, int y)> mouse_down;
  std::function<void(MouseButton, uint32_t shift, int x, int y)> mouse_up;
  std::function<void(uint32_t shift, int x, int y)> mouse_move;  // x, y in picture pixels
  std::function<void(uint32_t shift, int delta, int x, int y)> mouse_wheel;  // 120 per notch
  std::function<bool()> close_query;  // true: closing is allowed
  std::function<void()> paint;
};

// Opens the output: a borderless full-screen window at the desktop resolution showing the
// width x height picture scaled to fit (aspect kept, black bars), with a GL context current.
// The desktop mode is never changed. Alt+Enter toggles a resizable window (the game is not told).
void open_window(int width, int height, bool stay_on_top, const WindowEvents& events);
void close_window();
bool window_open();
// Asks for a repaint: `paint` runs once from the next message dispatch, however many requests
// came before it (headless: only when an offscreen context exists).
void invalidate_window();
// Sets the viewport for the width x height picture inside the drawable and clears the bars; the
// scissor box is left on the picture, so clearing the frame does not paint the bars.
void begin_frame();
void swap_buffers();
// Headless: the last finished frame as RGBA rows, top row first (empty elsewhere).
bool read_frame(std::vector<uint8_t>& rgba, int& width, int& height);
void set_cursor_visible(bool visible);
float display_dpi();  // the display's logical dpi (96 where unknown)

// ---------------------------------------------------------------------------------------------
// Keyboard: the game's virtual key codes, matched by physical key so WASD works on any layout

enum : int {
  vkBack = 8,
  vkTab = 9,
  vkReturn = 13,
  vkShift = 16,
  vkControl = 17,
  vkMenu = 18,
  vkPause = 19,
  vkEscape = 27,
  vkSpace = 32,
  vkPrior = 33,
  vkNext = 34,
  vkEnd = 35,
  vkHome = 36,
  vkLeft = 37,
  vkUp = 38,
  vkRight = 39,
  vkDown = 40,
  vkInsert = 45,
  vkDelete = 46,
  // '0'..'9' = 48..57, 'A'..'Z' = 65..90
  vkF1 = 112,
};
// True while the key is held, or if it was pressed since the previous query of that key.
bool key_is_down(int vk);

// ---------------------------------------------------------------------------------------------
// Files: data paths are written with backslashes ("modely\lod.3ds")

std::string map_data_path(const std::string& path);
// Whole file; throws Exception("Cannot open file \"<full path>\". <system reason>").
std::vector<uint8_t> read_file(const std::string& path);
bool file_exists(const std::string& path);
std::string full_path(const std::string& path);
// Replaces the file's content atomically: temporary file in the same folder, flush, sync, rename.
// Throws Exception with the system's reason when any step fails; the old content then stays.
void write_file_atomic(const std::string& path, const std::string& content);

// Text files with the runtime's I/O result codes instead of exceptions: 0 = done, 2 = file not
// found, 3 = invalid filename, 4 = too many open files, 5 = access denied, 100 = read beyond end of
// file, 101 = disk full, otherwise the system's error number.
int read_text_file(const std::string& path, std::string& content);
// Replaces the whole file atomically (write_file_atomic), reporting the failing step's code.
int replace_text_file(const std::string& path, const std::string& content);

// ---------------------------------------------------------------------------------------------
// Pictures (shared decoders: libjpeg and our own bitmap reader)

struct Picture {
  int width = 0;
  int height = 0;
  int bits = 0;               // bits per pixel of the source (8, 24, 32, ...)
  std::vector<uint8_t> rgba;  // width * height * 4, top row first
};
// Decode by content (JPEG or BMP); throw Exception with the decoder's text on bad data.
Picture decode_picture(const std::vector<uint8_t>& data);
Picture decode_jpeg(const std::vector<uint8_t>& data);
Picture decode_bmp(const std::vector<uint8_t>& data);

// ---------------------------------------------------------------------------------------------
// Font rasteriser (FreeType + fontconfig)

struct Glyph {
  int width = 0, height = 0;   // bitmap size in pixels
  int left = 0, top = 0;       // bearing: offset of the bitmap from the pen, top above baseline
  int advance = 0;             // pen advance in pixels
  std::vector<uint8_t> alpha;  // width * height coverage, top row first
};
struct FontFace {
  int ascent = 0, descent = 0, height = 0;  // pixels
  std::vector<Glyph> glyphs;                // 256, by Windows-1250 character code
};
// Rasterises `family` (fontconfig picks the nearest installed face, e.g. DejaVu for "Arial Black").
// `pixel_height` is the em height (a Windows font height of -pixel_height). Throws Exception naming
// the family when no face can be found or loaded.
FontFace rasterize_font(const std::string& family, int pixel_height, bool bold);
// The font's character set: Windows-1250 code to Unicode (0 where the code page has none), and
// UTF-8 text to Windows-1250 bytes ('?' for what the code page cannot show).
uint32_t cp1250_to_unicode(uint8_t code);
std::string utf8_to_cp1250(const std::string& text);

// ---------------------------------------------------------------------------------------------
// Audio: mixed voices and one music stream. Without a device every call does nothing.

// A RIFF WAVE image as the wave list stores it: uncompressed PCM (format tag 1), 8 or 16 bits,
// mono or stereo. decode_wave throws Exception("Invalid wave data: ...") naming the fault.
struct WaveClip {
  int channels = 0;
  int rate = 0;                  // samples per second
  int bits = 0;                  // per sample: 8 (unsigned) or 16 (signed, little-endian)
  std::vector<uint8_t> samples;  // interleaved, as stored in the "data" chunk
  int64_t frames() const {
    return channels && bits ? int64_t(samples.size()) / (channels * bits / 8) : 0;
  }
  double seconds() const { return rate ? double(frames()) / rate : 0.0; }
};
WaveClip decode_wave(const std::vector<uint8_t>& riff_wave);

bool audio_open();  // false when no device could be opened (the game then runs silently)
bool audio_available();
using Chunk = int;  // handle of a decoded clip, -1 = none
// Throws decode_wave's Exception on a bad image; -1 without a device.
Chunk audio_load_wave(const std::vector<uint8_t>& riff_wave);
void audio_free_wave(Chunk chunk);
using Voice = int;  // a mixer channel with its play count, -1 = none
// volume 0..1, pan -1 (left)..1 (right), frequency: playback rate in Hz (0 = the clip's own).
Voice audio_play(Chunk chunk, bool looped, float volume, float pan, int frequency);
void audio_stop(Voice voice);
bool audio_playing(Voice voice);
// Music (MIDI through FluidSynth with the installed soundfont, MP3): one piece open at a time.
// `finished` is called at most once, on the main thread through a posted message (never inside
// a call of this interface), and only when that play reaches the end of the piece; music_stop,
// music_rewind, music_close, music_open and another music_play cancel it.
void music_open(const std::string& path);  // throws Exception with the backend's text
void music_close();
// Plays from the current position; from the start after a rewind or once the end was reached.
void music_play(std::function<void()> finished);
void music_stop();    // pauses: the position stays
void music_rewind();  // stops and moves to the start

}  // namespace platform
