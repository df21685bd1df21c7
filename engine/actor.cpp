// Actor animations: frame setters, next-frame rules, stepping, and the posed vertices.
#include "engine/actor.h"

#include <cctype>
#include <cmath>

namespace {

bool same_ignoring_case(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

TActorAnimation& TActorAnimations::Add() {
  items_.push_back(std::make_unique<TActorAnimation>());
  return *items_.back();
}

TActorAnimation* TActorAnimations::FindName(const std::string& name) const {
  for (const auto& a : items_)
    if (same_ignoring_case(a->Name(), name)) return a.get();
  return nullptr;
}

TGLActor::TGLActor(TComponent* owner) : TGLBaseMesh(owner) {}

int32_t TGLActor::FrameCount() const {
  return reference_ == aarSkeleton ? static_cast<int32_t>(Skeleton().Frames.size()) : 0;
}

void TGLActor::SetStartFrame(int32_t v) {
  if (v < 0 || v >= FrameCount() || v == start_frame_) return;
  start_frame_ = v;
  if (end_frame_ < start_frame_) end_frame_ = start_frame_;
  if (current_frame_ < start_frame_) SetCurrentFrame(start_frame_);
}

void TGLActor::SetEndFrame(int32_t v) {
  if (v < 0 || v >= FrameCount() || v == end_frame_) return;
  end_frame_ = v < start_frame_ ? start_frame_ : v;
  if (current_frame_ > end_frame_) SetCurrentFrame(end_frame_);
}

void TGLActor::SetCurrentFrame(int32_t v) {
  if (v == current_frame_) return;
  int32_t frames = FrameCount();
  if (v > frames - 1) v = frames - 1;
  if (v < 0) v = 0;
  current_frame_ = v;
  current_frame_delta_ = 0;
  if (animation_mode_ == aamPlayOnce && current_frame_ == end_frame_) animation_mode_ = aamNone;
  if (animation_mode_ == aamBounceForward && current_frame_ == end_frame_)
    animation_mode_ = aamBounceBackward;
  else if (animation_mode_ == aamBounceBackward && current_frame_ == start_frame_)
    animation_mode_ = aamBounceForward;
  changed();
  if (OnFrameChanged) OnFrameChanged(this);
}

void TGLActor::SetFrameInterpolation(TActorFrameInterpolation v) {
  if (v == frame_interpolation_) return;
  frame_interpolation_ = v;
  changed();
}

void TGLActor::SetAnimationMode(TActorAnimationMode v) {
  if (v == animation_mode_) return;
  animation_mode_ = v;
  changed();
}

void TGLActor::SetReference(TActorAnimationReference v) {
  if (v == reference_) return;
  reference_ = v;
  changed();
}

void TGLActor::SetOptions(TGLActorOptions v) {
  if (v == options_) return;
  options_ = v;
  changed();
}

int32_t TGLActor::NextFrameIndex() const {
  if (pending_) return pending_->StartFrame();
  int32_t next = current_frame_;
  switch (animation_mode_) {
    case aamNone:
    case aamPlayOnce:
      next = current_frame_ + 1;
      if (next > end_frame_) next = end_frame_;
      break;
    case aamLoop:
    case aamBounceForward:
      next = current_frame_ + 1;
      if (next > end_frame_) {
        next = current_frame_ + start_frame_ - end_frame_;
        if (next > end_frame_) next = end_frame_;
      }
      break;
    case aamBounceBackward:
      next = current_frame_ - 1;
      if (next < start_frame_) {
        next = end_frame_ + current_frame_ - start_frame_;
        if (next < start_frame_) next = start_frame_;
      }
      break;
  }
  return next;
}

void TGLActor::switch_to(const TActorAnimation& a) {
  SetReference(a.Reference());
  SetStartFrame(a.StartFrame());
  SetEndFrame(a.EndFrame());
  SetCurrentFrame(start_frame_);
}

void TGLActor::SelectAnimation(const std::string& name, bool smooth) {
  const TActorAnimation* a = animations_.FindName(name);
  if (!a) return;
  if (smooth) {
    pending_ = a;
    current_frame_delta_ = 0;
  } else {
    switch_to(*a);
  }
}

void TGLActor::advance_one_frame() {
  SetCurrentFrame(NextFrameIndex());
  if (current_frame_ == end_frame_ && OnEndFrameReached) OnEndFrameReached(this);
  if (current_frame_ == start_frame_ && OnStartFrameReached) OnStartFrameReached(this);
}

void TGLActor::Progress(const TProgressTimes& times) {
  TGLBaseMesh::Progress(times);
  // 1. Only a running animation over at least two frames steps.
  if (animation_mode_ == aamNone || interval_ <= 0 || start_frame_ == end_frame_ ||
      FrameCount() < 2)
    return;
  // 2. The delta is a 32-bit float, as the stepping below compares it.
  current_frame_delta_ =
      static_cast<float>(current_frame_delta_ + times.deltaTime * 1000 / interval_);
  if (std::isnan(current_frame_delta_)) current_frame_delta_ = 0;  // a broken clock: start over
  // 3.
  if (current_frame_delta_ > 1) {
    double whole = std::trunc(static_cast<double>(current_frame_delta_));
    float fraction = static_cast<float>(current_frame_delta_ - whole);
    if (pending_) {
      const TActorAnimation* a = pending_;
      pending_ = nullptr;
      switch_to(*a);
    }
    // Frame positions repeat within this many steps in every mode; a step of hours (or an
    // absurd clock) need not walk through them all.
    double span = static_cast<double>(end_frame_ - start_frame_ + 1);
    double period = span * 2 * (span > 1 ? span - 1 : 1);
    if (!std::isfinite(whole)) {
      whole = period;
      fraction = 0;
    } else if (whole > 2 * period) {
      whole = period + std::fmod(whole, period);
    }
    for (int64_t i = 0; i < static_cast<int64_t>(whole); ++i) advance_one_frame();
    current_frame_delta_ = fraction;
    changed();
  } else if (frame_interpolation_ != afpNone) {
    changed();
  }
}

void TGLActor::animation_read(const std::string& name, int32_t start, int32_t end) {
  TActorAnimation& a = animations_.Add();
  a.SetName(name);
  a.SetReference(aarSkeleton);
  a.SetStartFrame(start);
  a.SetEndFrame(end);
}

void TGLActor::clear_geometry() {
  TGLBaseMesh::clear_geometry();
  animations_.Clear();
  pending_ = nullptr;
}

void TGLActor::CurrentPose(size_t mesh_object, std::vector<TAffineVector>& positions,
                           std::vector<TAffineVector>* normals) const {
  positions.clear();
  if (normals) normals->clear();
  if (mesh_object >= MeshObjects().size()) return;
  const TMeshObject& o = *MeshObjects()[mesh_object];
  int32_t frames = static_cast<int32_t>(Skeleton().Frames.size());
  if (reference_ != aarSkeleton || !o.Skeletal || frames == 0) {
    positions = o.Vertices;
    if (normals) *normals = o.Normals;
    return;
  }
  auto clamp_frame = [&](int32_t f) {
    return static_cast<size_t>(f < 0 ? 0 : (f >= frames ? frames - 1 : f));
  };
  pose_vertices(o, Skeleton(), clamp_frame(current_frame_), positions, normals);
  float t = current_frame_delta_;
  if (frame_interpolation_ == afpNone || !(t > 0)) return;
  if (t > 1) t = 1;
  std::vector<TAffineVector> next_positions, next_normals;
  pose_vertices(o, Skeleton(), clamp_frame(NextFrameIndex()), next_positions,
                normals ? &next_normals : nullptr);
  for (size_t i = 0; i < positions.size(); ++i)
    positions[i] = lerp(positions[i], next_positions[i], t);
  if (normals) {
    for (size_t i = 0; i < normals->size(); ++i) {
      TAffineVector n = lerp((*normals)[i], next_normals[i], t);
      (*normals)[i] = (options_ & aoSkeletonNormalizeNormals) ? normalize(n) : n;
    }
  }
}
