// The full-screen viewer: picks a display mode, opens the output window at Width x Height,
// draws the scene through its camera whenever the window needs painting and hands the
// keyboard and mouse to the game's handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "engine/component.h"
#include "engine/scene_buffer.h"
#include "platform/platform.h"

class TGLCamera;
class TGLScene;

enum TGLScreenDepth { sd8bits, sd16bits, sd24bits, sd32bits };
enum TVSyncMode { vsmSync, vsmNoSync };
using TShiftState = uint32_t;  // platform::ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle
using TMouseButton = platform::MouseButton;
using TCursor = int32_t;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crAppStart = -19;
enum TCloseAction { caNone, caHide, caFree, caMinimize };
struct TPoint {
  int X = 0, Y = 0;
};

using TKeyEvent = std::function<void(TComponent* sender, int& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;
using TMouseEvent =
    std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent = std::function<void(TComponent* sender, TShiftState shift, int wheelDelta,
                                            TPoint mousePos, bool& handled)>;
using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;
using TViewerNotifyEvent = std::function<void(TComponent* sender)>;

// The mode of `modes` (entry 0 the desktop, skipped) that fits width x height x bits with the
// smallest excesses, a later entry winning a tie; −1 when none fits.
int ChooseDisplayMode(const std::vector<platform::DisplayMode>& modes, int width, int height,
                      int bits);

// A viewer without a window of its own in the form: camera, size and buffer.
class TGLNonVisualViewer : public TComponent, public IGLNotifyAble {
 public:
  explicit TGLNonVisualViewer(TComponent* owner = nullptr);
  ~TGLNonVisualViewer() override;

  TGLCamera* Camera() const { return camera_; }
  virtual void SetCamera(TGLCamera* camera);
  int Width() const { return width_; }
  void SetWidth(int v);  // values ≤ 0 become 1
  int Height() const { return height_; }
  void SetHeight(int v);
  TGLSceneBuffer& Buffer() { return buffer_; }

  // Property changes between BeginUpdate and EndUpdate take effect once, at the end.
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();

  // A buffer setting changed: the picture needs painting.
  void NotifyChange(IGLNotifyAble* sender) override;

 protected:
  // Told when a property that shapes the output changed.
  virtual void PropertiesChanged() {}
  bool Updating() const { return update_count_ > 0; }
  void Notification(TComponent* component) override;
  // Listens to the camera's scene, so scene changes request a repaint.
  void attach_scene();
  void detach_scene();
  virtual void SceneChanged() {}

  int width_ = 256;
  int height_ = 256;

 private:
  TGLCamera* camera_ = nullptr;
  TComponent* camera_component_ = nullptr;
  TGLScene* scene_ = nullptr;
  TComponent* scene_component_ = nullptr;
  TGLSceneBuffer buffer_;
  int update_count_ = 0;
  bool changed_while_updating_ = false;
};

class TGLFullScreenViewer : public TGLNonVisualViewer {
 public:
  explicit TGLFullScreenViewer(TComponent* owner = nullptr);
  ~TGLFullScreenViewer() override;

  // On: chooses the mode ("Unsupported video mode" when none fits), opens the window with
  // the events hooked and marks the viewer active. Off: closes the window, inactive.
  void SetFullScreen(bool on);
  bool Active() const { return active_; }

  TGLScreenDepth ScreenDepth() const { return screen_depth_; }
  void SetScreenDepth(TGLScreenDepth v);
  bool StayOnTop() const { return stay_on_top_; }
  void SetStayOnTop(bool v);
  TVSyncMode VSync() const { return vsync_; }
  void SetVSync(TVSyncMode v);
  int32_t RefreshRate() const { return refresh_rate_; }
  void SetRefreshRate(int32_t v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor v);
  TComponent* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TComponent* v) { popup_menu_ = v; }
  void SetCamera(TGLCamera* camera) override;

  // The index in platform::display_modes() chosen by the last switch on (−1 before).
  int ChosenMode() const { return chosen_mode_; }
  // Draws one frame now (the window's paint event does this).
  void Render();

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TMouseWheelEvent OnMouseWheel;
  TViewerNotifyEvent OnClick;
  TViewerNotifyEvent OnDblClick;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void PropertiesChanged() override;
  void SceneChanged() override;

 private:
  platform::WindowEvents window_events();
  // The window's close: asks OnCloseQuery, then OnClose, and switches off when allowed.
  bool close_query();

  TGLScreenDepth screen_depth_ = sd32bits;
  bool stay_on_top_ = false;
  TVSyncMode vsync_ = vsmNoSync;
  int32_t refresh_rate_ = 0;
  TCursor cursor_ = crDefault;
  TComponent* popup_menu_ = nullptr;
  bool active_ = false;
  int chosen_mode_ = -1;
  uint32_t last_left_down_ = 0;
  bool left_down_seen_ = false;
};
