// The common assets and the menu layout inside a running game: a second loading changes
// nothing, and the layout puts the menu's sprites back.
#include <gtest/gtest.h>

#include <string>

#include "game/data.h"
#include "game/dily.h"
#include "game/form/form1.h"
#include "tests/game_play.h"
#include "tests/game_run.h"

using namespace gametest;

namespace {

using GameAssetsTest = GameTest;

void expectSprite(const TGLHUDSprite& s, float w, float h, float x, float y) {
  EXPECT_FLOAT_EQ(s.Width(), w) << s.Name();
  EXPECT_FLOAT_EQ(s.Height(), h) << s.Name();
  EXPECT_FLOAT_EQ(s.Position().X(), x) << s.Name();
  EXPECT_FLOAT_EQ(s.Position().Y(), y) << s.Name();
}

void expectMenuLaidOut() {
  TForm1& f = *Form1;
  const TGLHUDSprite* buttons[] = {f.d1, f.d2, f.d3, f.d4, f.d5, f.d6};
  for (int i = 0; i < 6; ++i) expectSprite(*buttons[i], 120, 48, 103, 130 + 60.0f * i);
  expectSprite(*f.nastav, 85, 30, 307, 452);
  expectSprite(*f.ex, 85, 30, 514, 452);
  expectSprite(*f.obrazovka, 300, 300, 403, 284);
}

}  // namespace

TEST_F(GameAssetsTest, ASecondLoadingChangesNothing) {
  GameRunOptions o;
  o.frames = 24;
  o.script = start_level_script(2);
  bool checked = false;
  o.before_frame[20] = [&] {
    TForm1& f = *Form1;
    // Play has moved things on; the loading must leave all of it alone.
    lives = 1;
    hitPercent = 10;
    weaponLevel = 3;
    f.palivo->SetWidth(77);
    f.energie->SetWidth(66);
    f.n_zbrane->Position().SetPoint(5, 6, 7);
    f.zbran1->SetVisible(true);
    f.camera->Position().SetY(42);
    f.zi->SetText("10%");
    const auto* ship_tree = f.lod->Octree();
    const auto* barrel_tree = f.sud1->Octree();
    const int stars = f.sky->Stars().Count();
    const int materials = f.mat1->Materials().Count();

    loadCommonAssets();

    checked = true;
    EXPECT_TRUE(assetsLoaded);
    EXPECT_EQ(levelNumber, 2);
    EXPECT_EQ(lives, 1);
    EXPECT_EQ(hitPercent, 10);
    EXPECT_EQ(weaponLevel, 3);
    EXPECT_FLOAT_EQ(f.palivo->Width(), 77);
    EXPECT_FLOAT_EQ(f.energie->Width(), 66);
    EXPECT_FLOAT_EQ(f.n_zbrane->Position().X(), 5);
    EXPECT_FLOAT_EQ(f.n_zbrane->Position().Y(), 6);
    EXPECT_TRUE(f.zbran1->Visible());
    EXPECT_FLOAT_EQ(f.camera->Position().Y(), 42);
    EXPECT_EQ(f.zi->Text(), "10%");
    EXPECT_EQ(f.lod->Octree(), ship_tree) << "no mesh loaded again";
    EXPECT_EQ(f.sud1->Octree(), barrel_tree);
    EXPECT_EQ(f.sky->Stars().Count(), stars) << "no more stars";
    EXPECT_EQ(f.mat1->Materials().Count(), materials);
  };
  GameRun run = run_game(dir_, o);
  EXPECT_TRUE(checked);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}

TEST_F(GameAssetsTest, TheMenuIsLaidOutWhenTheTitleIsLeftAndLayingItOutAgainRestoresIt) {
  GameRunOptions o;
  o.frames = 12;
  o.script = leave_title_script() + click_script(5, level_button(3));
  o.after_frame[kLeaveTitle + 1] = [] { expectMenuLaidOut(); };
  o.after_frame[6] = [] {
    TForm1& f = *Form1;
    EXPECT_FLOAT_EQ(f.d3->Width(), 104) << "shrunk by the click, growing back";
    f.d1->SetSize(50, 20);
    f.d1->Position().SetX(1);
    f.d6->Position().SetY(2);
    f.nastav->SetSize(10, 10);
    f.ex->Position().SetX(3);
    f.obrazovka->SetSize(30, 40);
    f.obrazovka->Position().SetY(4);
    layOutMenu();
    expectMenuLaidOut();
  };
  GameRun run = run_game(dir_, o);
  EXPECT_EQ(run.ended, "frames");
  EXPECT_TRUE(run.errors.empty());
}
