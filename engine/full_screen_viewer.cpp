// The viewer's mode choice, its window with the events hooked to the handlers, painting and
// the repaint requests that follow scene changes.
#include "engine/full_screen_viewer.h"

#include "engine/application.h"
#include "engine/camera.h"
#include "engine/scene_object.h"

int ChooseDisplayMode(const std::vector<platform::DisplayMode>& modes, int width, int height,
                      int bits) {
  int best = -1;
  int best_dw = 9999, best_dh = 9999, best_db = 99;
  for (size_t i = 1; i < modes.size(); ++i) {
    const platform::DisplayMode& m = modes[i];
    if (m.width < width || m.height < height || m.bits < bits) continue;
    int dw = m.width - width, dh = m.height - height, db = m.bits - bits;
    // "No larger than" on all three: a later entry of the same fit takes over.
    if (dw <= best_dw && dh <= best_dh && db <= best_db) {
      best = static_cast<int>(i);
      best_dw = dw;
      best_dh = dh;
      best_db = db;
    }
  }
  return best;
}

// ---------------------------------------------------------------------------------------------
// TGLNonVisualViewer

TGLNonVisualViewer::TGLNonVisualViewer(TComponent* owner) : TComponent(owner), buffer_(this) {}

TGLNonVisualViewer::~TGLNonVisualViewer() {
  detach_scene();
  if (camera_component_) RemoveFreeNotification(camera_component_);
}

void TGLNonVisualViewer::SetCamera(TGLCamera* camera) {
  if (camera == camera_) return;
  if (camera_component_) RemoveFreeNotification(camera_component_);
  camera_ = camera;
  camera_component_ = camera;
  if (camera_component_) FreeNotification(camera_component_);
  buffer_.SetCamera(camera_);
  attach_scene();
  SceneChanged();
}

void TGLNonVisualViewer::SetWidth(int v) {
  if (v <= 0) v = 1;
  if (v == width_) return;
  width_ = v;
  if (Updating())
    changed_while_updating_ = true;
  else
    PropertiesChanged();
}

void TGLNonVisualViewer::SetHeight(int v) {
  if (v <= 0) v = 1;
  if (v == height_) return;
  height_ = v;
  if (Updating())
    changed_while_updating_ = true;
  else
    PropertiesChanged();
}

void TGLNonVisualViewer::EndUpdate() {
  if (update_count_ == 0 || --update_count_ > 0) return;
  if (changed_while_updating_) {
    changed_while_updating_ = false;
    PropertiesChanged();
  }
}

void TGLNonVisualViewer::NotifyChange(IGLNotifyAble* /*sender*/) { SceneChanged(); }

void TGLNonVisualViewer::Notification(TComponent* component) {
  if (component && component == camera_component_) {
    camera_ = nullptr;
    camera_component_ = nullptr;
    buffer_.SetCamera(nullptr);
    detach_scene();
  }
  if (component && component == scene_component_) {
    // The scene goes first: its listeners go with it.
    scene_ = nullptr;
    scene_component_ = nullptr;
  }
  TComponent::Notification(component);
}

void TGLNonVisualViewer::attach_scene() {
  TGLScene* scene = camera_ ? camera_->Scene() : nullptr;
  if (scene == scene_) return;
  detach_scene();
  if (!scene) return;
  scene_ = scene;
  scene_component_ = scene;
  FreeNotification(scene_component_);
  scene_->AddChangeListener(this, [this] { SceneChanged(); });
}

void TGLNonVisualViewer::detach_scene() {
  if (!scene_) return;
  scene_->RemoveChangeListener(this);
  RemoveFreeNotification(scene_component_);
  scene_ = nullptr;
  scene_component_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TGLFullScreenViewer

TGLFullScreenViewer::TGLFullScreenViewer(TComponent* owner) : TGLNonVisualViewer(owner) {}

TGLFullScreenViewer::~TGLFullScreenViewer() { SetFullScreen(false); }

void TGLFullScreenViewer::SetFullScreen(bool on) {
  if (on == active_) return;
  if (!on) {
    active_ = false;
    platform::close_window();
    return;
  }
  static constexpr int kBits[] = {8, 16, 24, 32};
  int bits = kBits[screen_depth_];
  int mode = ChooseDisplayMode(platform::display_modes(), width_, height_, bits);
  if (mode < 0) throw Exception("Unsupported video mode");
  chosen_mode_ = mode;
  // The desktop mode is never switched: the window shows the picture scaled to fit.
  platform::open_window(width_, height_, stay_on_top_, window_events());
  if (cursor_ == crNone) platform::set_cursor_visible(false);
  Buffer().Resize(width_, height_);
  active_ = true;
  attach_scene();
  platform::invalidate_window();
}

void TGLFullScreenViewer::PropertiesChanged() {
  // An active viewer takes a new shape by switching off and on again.
  if (!active_) return;
  SetFullScreen(false);
  SetFullScreen(true);
}

void TGLFullScreenViewer::SceneChanged() {
  if (active_) platform::invalidate_window();
}

void TGLFullScreenViewer::SetCamera(TGLCamera* camera) { TGLNonVisualViewer::SetCamera(camera); }

void TGLFullScreenViewer::SetScreenDepth(TGLScreenDepth v) {
  if (v == screen_depth_) return;
  screen_depth_ = v;
  if (!Updating()) PropertiesChanged();
}

void TGLFullScreenViewer::SetStayOnTop(bool v) {
  if (v == stay_on_top_) return;
  stay_on_top_ = v;
  if (!Updating()) PropertiesChanged();
}

void TGLFullScreenViewer::SetVSync(TVSyncMode v) {
  if (v == vsync_) return;
  vsync_ = v;
  if (!Updating()) PropertiesChanged();
}

void TGLFullScreenViewer::SetRefreshRate(int32_t v) {
  if (v == refresh_rate_) return;
  refresh_rate_ = v;
  if (!Updating()) PropertiesChanged();
}

void TGLFullScreenViewer::SetCursor(TCursor v) {
  if (v == cursor_) return;
  cursor_ = v;
  if (active_ && cursor_ == crNone) platform::set_cursor_visible(false);
}

void TGLFullScreenViewer::Render() {
  if (!active_) return;
  attach_scene();
  Buffer().SetCamera(Camera());
  Buffer().Resize(width_, height_);
  Buffer().Render();
}

namespace {

// The character a key makes, as the window system would send it after a key-down; 0 for none.
char key_press_char(int vk, uint32_t shift) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<char>((shift & platform::ssShift) ? vk : vk + 32);
  if (vk >= '0' && vk <= '9') return static_cast<char>(vk);
  switch (vk) {
    case platform::vkSpace:
    case platform::vkReturn:
    case platform::vkEscape:
    case platform::vkBack:
    case platform::vkTab:
      return static_cast<char>(vk);
  }
  return 0;
}

constexpr uint32_t kDoubleClickMs = 500;

// Every window event is a dispatch boundary of its own: a handler's error goes to the
// application's report and the loop carries on (the frame clock too, when the event came from
// inside its step). Halt is no std::exception, so the game's own end passes straight through.
template <class Handler>
void dispatch(Handler&& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    Application.HandleException(e);
  }
}

}  // namespace

platform::WindowEvents TGLFullScreenViewer::window_events() {
  platform::WindowEvents e;
  e.key_down = [this](int vk, uint32_t shift) {
    int key = vk;
    dispatch([&] {
      if (OnKeyDown) OnKeyDown(this, key, shift);
    });
    // The character comes as a message of its own, even when the key-down handler failed.
    char c = key != 0 ? key_press_char(key, shift) : 0;
    dispatch([&] {
      if (c && OnKeyPress) OnKeyPress(this, c);
    });
  };
  e.key_up = [this](int vk, uint32_t shift) {
    int key = vk;
    dispatch([&] {
      if (OnKeyUp) OnKeyUp(this, key, shift);
    });
  };
  e.mouse_down = [this](platform::MouseButton button, uint32_t shift, int x, int y) {
    dispatch([&] {
      if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
    });
    if (button != platform::mbLeft) return;
    uint32_t now = platform::tick_count();
    if (left_down_seen_ && now - last_left_down_ <= kDoubleClickMs) {
      left_down_seen_ = false;
      dispatch([&] {
        if (OnDblClick) OnDblClick(this);
      });
    } else {
      left_down_seen_ = true;
      last_left_down_ = now;
    }
  };
  e.mouse_up = [this](platform::MouseButton button, uint32_t shift, int x, int y) {
    dispatch([&] {
      if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
    });
    dispatch([&] {
      if (button == platform::mbLeft && OnClick) OnClick(this);
    });
  };
  e.mouse_move = [this](uint32_t shift, int x, int y) {
    dispatch([&] {
      if (OnMouseMove) OnMouseMove(this, shift, x, y);
    });
  };
  e.mouse_wheel = [this](uint32_t shift, int delta, int x, int y) {
    bool handled = false;
    dispatch([&] {
      if (OnMouseWheel) OnMouseWheel(this, shift, delta, TPoint{x, y}, handled);
    });
  };
  // A close whose handlers failed did not happen: the window stays.
  e.close_query = [this] {
    bool closed = false;
    dispatch([&] { closed = close_query(); });
    return closed;
  };
  e.paint = [this] { dispatch([&] { Render(); }); };
  return e;
}

bool TGLFullScreenViewer::close_query() {
  bool can_close = true;
  if (OnCloseQuery) OnCloseQuery(this, can_close);
  if (!can_close) return false;
  TCloseAction action = caFree;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return false;
  SetFullScreen(false);
  return true;
}
