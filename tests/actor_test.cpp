// Actor animation: frame stepping by progress time, the next-frame rule of every mode, the
// frame setters, animation switching and the frame events.
#include "engine/actor.h"

#include <gtest/gtest.h>

#include "platform/error.h"

namespace {

// An actor over `frames` skeleton frames of one bone, playing 0 .. frames − 1.
void make_frames(TGLActor& actor, int frames) {
  actor.Skeleton().Bones.push_back({0, "root", -1});
  for (int f = 0; f < frames; ++f) {
    TSkeletonFrame frame;
    frame.Position.push_back({static_cast<float>(f), 0, 0});
    frame.Rotation.push_back({0, 0, 0});
    actor.Skeleton().Frames.push_back(frame);
  }
  actor.Skeleton().PrepareGlobalMatrices();
  actor.SetReference(aarSkeleton);
  actor.SetEndFrame(frames - 1);
  actor.SetInterval(100);
}

void step(TGLActor& actor, double seconds) { actor.Progress(TProgressTimes{seconds, 0}); }

}  // namespace

TEST(Actor, AQuarterSecondAtInterval100AdvancesTwoFramesAndKeepsHalf) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetAnimationMode(aamLoop);
  step(actor, 0.25);
  EXPECT_EQ(actor.CurrentFrame(), 2);
  EXPECT_FLOAT_EQ(actor.CurrentFrameDelta(), 0.5f);
  step(actor, 0.05);
  EXPECT_EQ(actor.CurrentFrame(), 2) << "a delta of exactly 1 is not past the frame yet";
  EXPECT_FLOAT_EQ(actor.CurrentFrameDelta(), 1.0f);
  step(actor, 0.01);
  EXPECT_EQ(actor.CurrentFrame(), 3);
  EXPECT_NEAR(actor.CurrentFrameDelta(), 0.1f, 1e-5);
}

TEST(Actor, NothingStepsWithoutARunningAnimation) {
  TGLActor actor;
  make_frames(actor, 10);
  step(actor, 1);
  EXPECT_EQ(actor.CurrentFrame(), 0) << "aamNone";
  EXPECT_EQ(actor.CurrentFrameDelta(), 0);
  actor.SetAnimationMode(aamLoop);
  actor.SetInterval(0);
  step(actor, 1);
  EXPECT_EQ(actor.CurrentFrame(), 0) << "Interval 0";
  actor.SetInterval(100);
  actor.SetEndFrame(0);
  step(actor, 1);
  EXPECT_EQ(actor.CurrentFrame(), 0) << "StartFrame = EndFrame";

  TGLActor single;
  make_frames(single, 1);
  single.SetAnimationMode(aamLoop);
  step(single, 1);
  EXPECT_EQ(single.CurrentFrameDelta(), 0) << "one frame";
}

TEST(Actor, LoopWrapsFromTheEndToTheStart) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetStartFrame(2);
  actor.SetEndFrame(5);
  actor.SetAnimationMode(aamLoop);
  actor.SetCurrentFrame(5);
  EXPECT_EQ(actor.NextFrameIndex(), 2);
  int ends = 0, starts = 0;
  actor.OnEndFrameReached = [&](TComponent*) { ++ends; };
  actor.OnStartFrameReached = [&](TComponent*) { ++starts; };
  step(actor, 0.15);
  EXPECT_EQ(actor.CurrentFrame(), 2);
  EXPECT_EQ(starts, 1);
  step(actor, 0.25);  // 2 → 5
  EXPECT_EQ(actor.CurrentFrame(), 5);
  EXPECT_EQ(ends, 1);
}

TEST(Actor, PlayOnceStopsAtTheEnd) {
  TGLActor actor;
  make_frames(actor, 4);
  actor.SetAnimationMode(aamPlayOnce);
  step(actor, 1);
  EXPECT_EQ(actor.CurrentFrame(), 3);
  EXPECT_EQ(actor.AnimationMode(), aamNone) << "play-once turns into none at the end";
  EXPECT_EQ(actor.NextFrameIndex(), 3);
}

TEST(Actor, BounceTurnsAtBothEnds) {
  TGLActor actor;
  make_frames(actor, 4);
  actor.SetAnimationMode(aamBounceForward);
  std::vector<int> seen;
  actor.OnFrameChanged = [&](TComponent*) { seen.push_back(actor.CurrentFrame()); };
  for (int i = 0; i < 8; ++i) step(actor, 0.11);
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 3, 2, 1, 0, 1, 2}));
  EXPECT_EQ(actor.AnimationMode(), aamBounceForward);
  actor.SetCurrentFrame(3);
  EXPECT_EQ(actor.AnimationMode(), aamBounceBackward);
  EXPECT_EQ(actor.NextFrameIndex(), 2);
}

TEST(Actor, NextFrameRulesAtTheEdges) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetStartFrame(2);
  actor.SetEndFrame(6);
  actor.SetCurrentFrame(6);
  actor.SetAnimationMode(aamNone);
  EXPECT_EQ(actor.NextFrameIndex(), 6);
  actor.SetAnimationMode(aamLoop);
  EXPECT_EQ(actor.NextFrameIndex(), 2);
  actor.SetAnimationMode(aamBounceBackward);
  actor.SetCurrentFrame(3);
  EXPECT_EQ(actor.NextFrameIndex(), 2);
  actor.SetCurrentFrame(2);  // turns it forward again
  EXPECT_EQ(actor.AnimationMode(), aamBounceForward);
  actor.SetAnimationMode(aamBounceBackward);
  EXPECT_EQ(actor.NextFrameIndex(), 6) << "below the start: EndFrame + current − StartFrame";
}

TEST(Actor, FrameSettersClampAndPull) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetCurrentFrame(50);
  EXPECT_EQ(actor.CurrentFrame(), 9);
  actor.SetCurrentFrameDelta(0.7f);
  actor.SetCurrentFrame(-4);
  EXPECT_EQ(actor.CurrentFrame(), 0);
  EXPECT_EQ(actor.CurrentFrameDelta(), 0) << "a new frame starts at its beginning";

  actor.SetStartFrame(10);
  EXPECT_EQ(actor.StartFrame(), 0) << "outside the frames: refused";
  actor.SetEndFrame(3);
  actor.SetStartFrame(5);
  EXPECT_EQ(actor.EndFrame(), 5) << "the end is raised to the start";
  EXPECT_EQ(actor.CurrentFrame(), 5) << "the current frame is pulled into the range";
  actor.SetEndFrame(2);
  EXPECT_EQ(actor.EndFrame(), 5) << "an end below the start stays at the start";
  actor.SetEndFrame(8);
  actor.SetCurrentFrame(8);
  actor.SetEndFrame(6);
  EXPECT_EQ(actor.CurrentFrame(), 6);
}

TEST(Actor, SelectAnimationSwitchesAtOnceOrAtTheNextStep) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetReference(aarNone);
  TActorAnimation& walk = actor.Animations().Add();
  walk.SetName("data\\Walk");
  walk.SetStartFrame(3);
  walk.SetEndFrame(6);
  walk.SetReference(aarSkeleton);
  TActorAnimation& run = actor.Animations().Add();
  run.SetName("run");
  run.SetStartFrame(7);
  run.SetEndFrame(9);
  run.SetReference(aarSkeleton);

  actor.SelectAnimation("nothing", false);
  EXPECT_EQ(actor.Reference(), aarNone) << "an unknown name changes nothing";
  actor.SelectAnimation("DATA\\walk", false);
  EXPECT_EQ(actor.Reference(), aarSkeleton);
  EXPECT_EQ(actor.StartFrame(), 3);
  EXPECT_EQ(actor.EndFrame(), 6);
  EXPECT_EQ(actor.CurrentFrame(), 3);

  actor.SetAnimationMode(aamLoop);
  step(actor, 0.05);
  actor.SelectAnimation("run", true);
  EXPECT_EQ(actor.CurrentFrameDelta(), 0);
  EXPECT_EQ(actor.NextFrameIndex(), 7) << "the pending animation's start comes next";
  EXPECT_EQ(actor.StartFrame(), 3) << "not applied before the next frame step";
  step(actor, 0.15);
  EXPECT_EQ(actor.PendingAnimation(), nullptr);
  EXPECT_EQ(actor.StartFrame(), 7);
  EXPECT_EQ(actor.EndFrame(), 9);
  EXPECT_EQ(actor.CurrentFrame(), 8) << "switched to 7, then one frame on";
}

TEST(Actor, AHugeStepDoesNotWalkEveryFrame) {
  TGLActor actor;
  make_frames(actor, 5);
  actor.SetAnimationMode(aamLoop);
  step(actor, 1e9);
  EXPECT_GE(actor.CurrentFrame(), 0);
  EXPECT_LE(actor.CurrentFrame(), 4);
  step(actor, std::numeric_limits<double>::infinity());
  EXPECT_LE(actor.CurrentFrame(), 4);
}

TEST(Actor, ProgressRunsTheBaseProgressFirst) {
  TGLActor actor;
  make_frames(actor, 10);
  actor.SetAnimationMode(aamLoop);
  int frame_seen = -1;
  actor.OnProgress = [&](TComponent*, double, double) { frame_seen = actor.CurrentFrame(); };
  step(actor, 0.25);
  EXPECT_EQ(frame_seen, 0) << "OnProgress runs before the frame step";
  EXPECT_EQ(actor.CurrentFrame(), 2);
}

TEST(Actor, LoadingClearsTheAnimations) {
  TGLActor actor;
  actor.Animations().Add().SetName("old");
  EXPECT_THROW(actor.LoadFromBytes("m.smd", std::vector<uint8_t>{}), Exception)
      << "fails at once, but cleared first";
  EXPECT_EQ(actor.Animations().Count(), 0);
}
