// The animated mesh: named animations over the skeleton's frames, frame stepping by the frame
// clock in every animation mode, and the posed vertices of the current frame for drawing.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/mesh.h"

enum TActorAnimationMode { aamNone, aamPlayOnce, aamLoop, aamBounceForward, aamBounceBackward };
enum TActorAnimationReference { aarMorph, aarSkeleton, aarNone };
enum TActorFrameInterpolation { afpNone, afpLinear };
// A set of actor options: the flags or-ed together.
enum TGLActorOption : uint32_t { aoSkeletonNormalizeNormals = 1 };
using TGLActorOptions = uint32_t;

class TActorAnimation {
 public:
  const std::string& Name() const { return name_; }
  void SetName(const std::string& v) { name_ = v; }
  int32_t StartFrame() const { return start_frame_; }
  void SetStartFrame(int32_t v) { start_frame_ = v; }
  int32_t EndFrame() const { return end_frame_; }
  void SetEndFrame(int32_t v) { end_frame_ = v; }
  TActorAnimationReference Reference() const { return reference_; }
  void SetReference(TActorAnimationReference v) { reference_ = v; }

 private:
  std::string name_;
  int32_t start_frame_ = 0;
  int32_t end_frame_ = 0;
  TActorAnimationReference reference_ = aarMorph;
};

class TActorAnimations {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  TActorAnimation& Items(int32_t index) const { return *items_.at(static_cast<size_t>(index)); }
  TActorAnimation& operator[](int32_t index) const { return Items(index); }
  TActorAnimation& Add();
  void Clear() { items_.clear(); }
  // The first animation whose name equals `name` ignoring case, or null.
  TActorAnimation* FindName(const std::string& name) const;

 private:
  std::vector<std::unique_ptr<TActorAnimation>> items_;
};

class TGLActor : public TGLBaseMesh {
 public:
  explicit TGLActor(TComponent* owner = nullptr);

  int32_t StartFrame() const { return start_frame_; }
  void SetStartFrame(int32_t v);
  int32_t EndFrame() const { return end_frame_; }
  void SetEndFrame(int32_t v);
  int32_t CurrentFrame() const { return current_frame_; }
  void SetCurrentFrame(int32_t v);
  float CurrentFrameDelta() const { return current_frame_delta_; }
  void SetCurrentFrameDelta(float v) { current_frame_delta_ = v; }
  TActorFrameInterpolation FrameInterpolation() const { return frame_interpolation_; }
  void SetFrameInterpolation(TActorFrameInterpolation v);
  int32_t Interval() const { return interval_; }
  void SetInterval(int32_t v) { interval_ = v; }
  TActorAnimationMode AnimationMode() const { return animation_mode_; }
  void SetAnimationMode(TActorAnimationMode v);
  TActorAnimationReference Reference() const { return reference_; }
  void SetReference(TActorAnimationReference v);
  TGLActorOptions Options() const { return options_; }
  void SetOptions(TGLActorOptions v);
  TActorAnimations& Animations() { return animations_; }
  const TActorAnimations& Animations() const { return animations_; }
  TNotifyEvent OnFrameChanged;
  TNotifyEvent OnEndFrameReached;
  TNotifyEvent OnStartFrameReached;

  // Frames of the current reference: the skeleton's for aarSkeleton (no morph targets are read).
  int32_t FrameCount() const;
  // The frame after the current one in the current mode (a pending animation's start).
  int32_t NextFrameIndex() const;
  // Switches to the animation of that name (ignoring case); smooth waits for the next step.
  void SelectAnimation(const std::string& name, bool smooth = false);
  // The animation switched to smoothly, not yet applied (null when none).
  const TActorAnimation* PendingAnimation() const { return pending_; }

  void Progress(const TProgressTimes& times) override;

  // A mesh object's vertices and normals as they are drawn now: the current frame's pose,
  // blended towards NextFrameIndex by CurrentFrameDelta under afpLinear. Meshes that do not
  // follow the skeleton give their stored vertices.
  void CurrentPose(size_t mesh_object, std::vector<TAffineVector>& positions,
                   std::vector<TAffineVector>* normals = nullptr) const;

 protected:
  void animation_read(const std::string& name, int32_t start, int32_t end) override;
  void clear_geometry() override;

 private:
  void advance_one_frame();
  void switch_to(const TActorAnimation& animation);
  void changed() { StructureChanged(); }

  int32_t start_frame_ = 0;
  int32_t end_frame_ = 0;
  int32_t current_frame_ = 0;
  float current_frame_delta_ = 0;
  TActorFrameInterpolation frame_interpolation_ = afpLinear;
  int32_t interval_ = 0;
  TActorAnimationMode animation_mode_ = aamNone;
  TActorAnimationReference reference_ = aarMorph;
  TGLActorOptions options_ = aoSkeletonNormalizeNormals;
  TActorAnimations animations_;
  const TActorAnimation* pending_ = nullptr;
};
