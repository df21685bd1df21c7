// The main form as it is stored: the tree order, the settings later steps rely on, the
// components' wiring, the wave list, the probes' registrations, the library and the embedded
// pictures and clips.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/bitmap_font.h"
#include "engine/fire_fx.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/particle_fx.h"
#include "game/form/form1.h"
#include "game/form/stored_assets.h"
#include "platform/error.h"
#include "platform/headless/headless.h"
#include "platform/headless/png_writer.h"
#include "platform/platform.h"

namespace {

// The form made directly on a fresh headless backend, without running `create`.
class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::init();
    platform::headless::Config config;
    config.render = false;
    platform::headless::configure(config);
    form = std::make_unique<TForm1>();
  }
  void TearDown() override { form.reset(); }

  std::unique_ptr<TForm1> form;
};

std::vector<std::string> child_names(const TGLBaseSceneObject& parent) {
  std::vector<std::string> names;
  for (int i = 0; i < parent.Count(); ++i) names.push_back(parent.Children(i)->Name());
  return names;
}

void expect_vector(const TGLCoordinates& c, float x, float y, float z, const char* what) {
  EXPECT_NEAR(c.X(), x, 1e-5f) << what;
  EXPECT_NEAR(c.Y(), y, 1e-5f) << what;
  EXPECT_NEAR(c.Z(), z, 1e-5f) << what;
}

void expect_colour(const TGLColor& c, const TVector& v, const char* what) {
  EXPECT_NEAR(c.Red(), v.X, 1e-5f) << what;
  EXPECT_NEAR(c.Green(), v.Y, 1e-5f) << what;
  EXPECT_NEAR(c.Blue(), v.Z, 1e-5f) << what;
  EXPECT_NEAR(c.Alpha(), v.W, 1e-5f) << what;
}

}  // namespace

TEST_F(FormTest, TreeIsInStoredOrder) {
  EXPECT_EQ(child_names(form->GLScene1->Objects()),
            (std::vector<std::string>{"sky",
                                      "ali_anim1",
                                      "ali_anim2",
                                      "blok",
                                      "steny1",
                                      "n_palivo",
                                      "n_zbrane",
                                      "n_energie",
                                      "sud1",
                                      "sud2",
                                      "sud3",
                                      "sud4",
                                      "GLParticleFXRenderer2",
                                      "kamen1",
                                      "kamen2",
                                      "kamen3",
                                      "kamen4",
                                      "ob1",
                                      "ali1",
                                      "ali2",
                                      "ali3",
                                      "zasah_sud",
                                      "obluda",
                                      "pbok",
                                      "lbok",
                                      "spodek",
                                      "vrch",
                                      "cek",
                                      "muz",
                                      "zas1",
                                      "zas2",
                                      "zas3",
                                      "zas4",
                                      "zas5",
                                      "steny2",
                                      "ruzne",
                                      "menuvrch",
                                      "bonus",
                                      "menustart",
                                      "informace"}));
  EXPECT_EQ(child_names(form->GLScene1->Cameras()),
            (std::vector<std::string>{"camera2", "camera"}));
  EXPECT_EQ(child_names(*form->n_palivo), std::vector<std::string>{"ohen_palivo"});
  EXPECT_EQ(child_names(*form->n_zbrane), std::vector<std::string>{"ohen_zbrane"});
  EXPECT_EQ(child_names(*form->n_energie), std::vector<std::string>{"ohen_energie"});
  EXPECT_EQ(child_names(*form->obluda), (std::vector<std::string>{"hyb1", "hyb2", "oci", "trup"}));
  EXPECT_EQ(child_names(*form->muz),
            (std::vector<std::string>{"strela5", "GLParticleFXRenderer1", "lod"}));
  EXPECT_EQ(
      child_names(*form->lod),
      (std::vector<std::string>{"zbran1", "zbran2", "zbran3", "zbran4", "zbran5", "zbran6",
                                "zbran7", "strela1", "strela2", "strela3", "strela4", "svetlo"}));
  EXPECT_EQ(child_names(*form->svetlo), std::vector<std::string>{"zarovka"});
  EXPECT_EQ(child_names(*form->menuvrch),
            (std::vector<std::string>{"zi", "srdce3", "srdce2", "srdce1", "energie", "palivo",
                                      "havarie", "super", "dole", "max"}));
  EXPECT_EQ(child_names(*form->menustart), (std::vector<std::string>{"obrazovka", "kur"}));
  EXPECT_EQ(child_names(*form->obrazovka),
            (std::vector<std::string>{"d6", "d5", "d4", "d3", "d2", "d1", "nastav", "ex"}));
  EXPECT_EQ(child_names(*form->kur), std::vector<std::string>{"kur2"});
  EXPECT_EQ(form->cek->Count(), 0) << "the shot proxies come with create";
}

TEST_F(FormTest, EveryFieldIsTheFormsComponentOfItsName) {
  const std::vector<std::pair<std::string, TComponent*>> fields = {
      {"GLScene1", form->GLScene1},
      {"GLCadencer1", form->GLCadencer1},
      {"full", form->full},
      {"GLWindowsBitmapFont1", form->GLWindowsBitmapFont1},
      {"mat1", form->mat1},
      {"CollisionManager1", form->CollisionManager1},
      {"DXSound1", form->DXSound1},
      {"list", form->list},
      {"hudba", form->hudba},
      {"raketa_hori", form->raketa_hori},
      {"zasah1", form->zasah1},
      {"zasah2", form->zasah2},
      {"zasah3", form->zasah3},
      {"zasah4", form->zasah4},
      {"zasah5", form->zasah5},
      {"vybuch_sud", form->vybuch_sud},
      {"motor", form->motor},
      {"pridej_zbran", form->pridej_zbran},
      {"sky", form->sky},
      {"ali_anim1", form->ali_anim1},
      {"ali_anim2", form->ali_anim2},
      {"blok", form->blok},
      {"steny1", form->steny1},
      {"n_palivo", form->n_palivo},
      {"ohen_palivo", form->ohen_palivo},
      {"n_zbrane", form->n_zbrane},
      {"ohen_zbrane", form->ohen_zbrane},
      {"n_energie", form->n_energie},
      {"ohen_energie", form->ohen_energie},
      {"sud1", form->sud1},
      {"sud2", form->sud2},
      {"sud3", form->sud3},
      {"sud4", form->sud4},
      {"GLParticleFXRenderer2", form->GLParticleFXRenderer2},
      {"kamen1", form->kamen1},
      {"kamen2", form->kamen2},
      {"kamen3", form->kamen3},
      {"kamen4", form->kamen4},
      {"ob1", form->ob1},
      {"ali1", form->ali1},
      {"ali2", form->ali2},
      {"ali3", form->ali3},
      {"zasah_sud", form->zasah_sud},
      {"obluda", form->obluda},
      {"hyb1", form->hyb1},
      {"hyb2", form->hyb2},
      {"oci", form->oci},
      {"trup", form->trup},
      {"pbok", form->pbok},
      {"lbok", form->lbok},
      {"spodek", form->spodek},
      {"vrch", form->vrch},
      {"cek", form->cek},
      {"muz", form->muz},
      {"strela5", form->strela5},
      {"GLParticleFXRenderer1", form->GLParticleFXRenderer1},
      {"lod", form->lod},
      {"zbran1", form->zbran1},
      {"zbran2", form->zbran2},
      {"zbran3", form->zbran3},
      {"zbran4", form->zbran4},
      {"zbran5", form->zbran5},
      {"zbran6", form->zbran6},
      {"zbran7", form->zbran7},
      {"strela1", form->strela1},
      {"strela2", form->strela2},
      {"strela3", form->strela3},
      {"strela4", form->strela4},
      {"svetlo", form->svetlo},
      {"zarovka", form->zarovka},
      {"zas1", form->zas1},
      {"zas2", form->zas2},
      {"zas3", form->zas3},
      {"zas4", form->zas4},
      {"zas5", form->zas5},
      {"steny2", form->steny2},
      {"ruzne", form->ruzne},
      {"menuvrch", form->menuvrch},
      {"zi", form->zi},
      {"srdce3", form->srdce3},
      {"srdce2", form->srdce2},
      {"srdce1", form->srdce1},
      {"energie", form->energie},
      {"palivo", form->palivo},
      {"havarie", form->havarie},
      {"super", form->super},
      {"dole", form->dole},
      {"max", form->max},
      {"bonus", form->bonus},
      {"menustart", form->menustart},
      {"obrazovka", form->obrazovka},
      {"d6", form->d6},
      {"d5", form->d5},
      {"d4", form->d4},
      {"d3", form->d3},
      {"d2", form->d2},
      {"d1", form->d1},
      {"nastav", form->nastav},
      {"ex", form->ex},
      {"kur", form->kur},
      {"kur2", form->kur2},
      {"informace", form->informace},
      {"camera2", form->camera2},
      {"camera", form->camera}};
  for (const auto& [name, field] : fields) {
    ASSERT_NE(field, nullptr) << name;
    EXPECT_EQ(form->FindComponent(name), field) << name;
    EXPECT_FALSE(field->Loading()) << name << " finished loading with the form";
  }
  EXPECT_EQ(Form1, form.get());
  EXPECT_NE(dynamic_cast<TGLHUDSprite*>(form->max), nullptr) << "the strength bar is on the HUD";
}

TEST_F(FormTest, FormItselfKeepsItsStoredSettingsAndHandlers) {
  EXPECT_EQ(form->BorderStyle, bsNone);
  EXPECT_EQ(form->WindowState, wsMaximized);
  EXPECT_EQ(form->Color, clGray);
  EXPECT_EQ(form->Cursor, crHandPoint);
  EXPECT_EQ(form->Hint, "klik to start");
  EXPECT_TRUE(form->ShowHint);
  EXPECT_TRUE(form->KeyPreview);
  EXPECT_TRUE(form->OnCreate && form->OnMouseMove && form->OnMouseWheel);
}

TEST_F(FormTest, NothingRunsBeforeCreate) {
  EXPECT_FALSE(form->full->Active());
  EXPECT_FALSE(form->hudba->is_open());
  EXPECT_EQ(form->GLCadencer1->CurrentTime(), 0.0);
  EXPECT_TRUE(form->GLCadencer1->Enabled());
  EXPECT_EQ(form->GLCadencer1->Scene(), form->GLScene1);
}

TEST_F(FormTest, ViewerHasItsStoredSettingsAndHandlers) {
  TGLFullScreenViewer& full = *form->full;
  EXPECT_EQ(full.Camera(), form->camera2);
  EXPECT_EQ(full.Width(), 800);
  EXPECT_EQ(full.Height(), 600);
  EXPECT_TRUE(full.StayOnTop());
  EXPECT_EQ(full.RefreshRate(), 0);
  EXPECT_EQ(full.Cursor(), crAppStart);
  TGLSceneBuffer& buffer = full.Buffer();
  EXPECT_EQ(buffer.BackgroundColor(), clBlack);
  expect_colour(buffer.AmbientColor(), {0.6471f, 0.1647f, 0.1647f, 1}, "ambient");
  EXPECT_TRUE(buffer.FogEnable());
  expect_colour(buffer.FogEnvironment().FogColor(), {0, 0, 0, 0}, "fog colour");
  EXPECT_EQ(buffer.FogEnvironment().FogStart(), 50);
  EXPECT_EQ(buffer.FogEnvironment().FogEnd(), 1200);
  EXPECT_EQ(buffer.FogEnvironment().FogDistance(), fdEyeRadial);
  EXPECT_TRUE(full.OnKeyDown && full.OnMouseDown && full.OnMouseMove && full.OnMouseWheel);
  EXPECT_FALSE(full.OnKeyUp || full.OnClick) << "only the four handlers are wired";
  EXPECT_TRUE(form->GLCadencer1->OnProgress);
}

TEST_F(FormTest, CamerasAreStored) {
  EXPECT_EQ(form->camera2->DepthOfView(), 2000);
  EXPECT_EQ(form->camera2->FocalLength(), 100);
  EXPECT_EQ(form->camera2->TargetObject(), form->menustart);
  expect_vector(form->camera2->Position(), 5000, 1000, 0, "camera2 position");
  EXPECT_EQ(form->camera->DepthOfView(), 20000);
  EXPECT_EQ(form->camera->FocalLength(), 100);
  EXPECT_EQ(form->camera->TargetObject(), nullptr);
  expect_vector(form->camera->Position(), 0, 0, 1, "camera position");
  expect_vector(form->camera->Direction(), 0, 0, 1, "camera direction");
  expect_vector(form->camera->Up(), 0, 1, 0, "camera up");
}

TEST_F(FormTest, PlacesScalesAndSizesAreStored) {
  expect_vector(form->muz->Position(), 100, 100, 170, "muz");
  expect_vector(form->ali1->Position(), 60, 0, 0, "ali1");
  expect_vector(form->kamen1->Scale(), 1, 1, 1, "kamen1");
  expect_vector(form->kamen2->Scale(), 0.8f, 0.6f, 1, "kamen2");
  expect_vector(form->kamen3->Scale(), 1, 0.7f, 0.5f, "kamen3");
  expect_vector(form->kamen4->Scale(), 1, 0.8f, 0.9f, "kamen4");
  expect_vector(form->trup->Up(), 0, 1, 0, "trup");
  const std::vector<std::pair<TGLDummyCube*, float>> cubes = {
      {form->ohen_palivo, 1}, {form->ohen_zbrane, 4}, {form->ohen_energie, 1}, {form->zasah_sud, 1},
      {form->pbok, 1},        {form->lbok, 1},        {form->spodek, 1},       {form->vrch, 1},
      {form->cek, 1},         {form->muz, 1},         {form->svetlo, 1},       {form->zas1, 10},
      {form->zas2, 15},       {form->zas3, 1},        {form->zas4, 1},         {form->zas5, 1}};
  for (const auto& [cube, size] : cubes) EXPECT_EQ(cube->CubeSize(), size) << cube->Name();
}

TEST_F(FormTest, ShotsAndBonusAreStoredTurned) {
  for (TGLBaseSceneObject* object :
       std::vector<TGLBaseSceneObject*>{form->strela1, form->strela2, form->strela3, form->strela4,
                                        form->strela5, form->bonus}) {
    SCOPED_TRACE(object->Name());
    EXPECT_NEAR(object->Direction().X(), 1, 1e-6f);
    EXPECT_NEAR(object->Direction().Z(), -4.371e-08f, 1e-9f) << "the turn's rounding is kept";
    expect_vector(object->Up(), 0, 1, 0, "up");
    EXPECT_EQ(object->TurnAngle(), 90) << "the stored angle, not a further turn";
    EXPECT_EQ(object->PitchAngle(), 0);
    EXPECT_EQ(object->RollAngle(), 0);
  }
  // Turning back by the stored angle undoes it, as the game expects of its bookkeeping.
  form->bonus->SetTurnAngle(0);
  EXPECT_NEAR(form->bonus->Direction().X(), 0, 1e-5f);
  EXPECT_NEAR(std::fabs(form->bonus->Direction().Z()), 1, 1e-5f);
}

TEST_F(FormTest, ProbesAreOrientedAndRegistered) {
  expect_vector(form->pbok->Direction(), -1, 0, 0, "pbok");
  expect_vector(form->lbok->Direction(), 1, 0, 0, "lbok");
  expect_vector(form->spodek->Direction(), 0, -1, 0, "spodek");
  expect_vector(form->vrch->Direction(), 0, 1, 0, "vrch");
  expect_vector(form->spodek->Up(), 0, 0, -1, "spodek up");
  expect_vector(form->vrch->Up(), 0, 0, -1, "vrch up");
  expect_vector(form->pbok->Scale(), 16, 4, 0.1f, "pbok scale");
  expect_vector(form->lbok->Scale(), 16, 4, 0.1f, "lbok scale");

  const std::vector<TGLDummyCube*> probes = {form->pbok, form->lbok, form->spodek, form->vrch};
  const auto& registered = form->CollisionManager1->Registered();
  ASSERT_EQ(registered.size(), 4u);
  for (size_t i = 0; i < probes.size(); ++i) {
    SCOPED_TRACE(probes[i]->Name());
    ASSERT_EQ(probes[i]->Behaviours().Count(), 1);
    auto* collision = probes[i]->Behaviours().GetByClass<TGLBCollision>();
    ASSERT_NE(collision, nullptr);
    EXPECT_EQ(registered[i], collision);
    EXPECT_EQ(collision->Manager(), form->CollisionManager1);
    EXPECT_EQ(collision->BoundingMode(), cbmCube);
    EXPECT_EQ(collision->GroupIndex(), 0);
  }
  EXPECT_EQ(form->muz->Behaviours().Count(), 0) << "no other object registers";
}

TEST_F(FormTest, HiddenAndShownAsStored) {
  for (TGLBaseSceneObject* hidden : std::vector<TGLBaseSceneObject*>{
           form->sky, form->blok, form->obluda, form->hyb1, form->hyb2, form->oci, form->trup,
           form->strela1, form->strela3, form->menuvrch, form->havarie, form->menustart,
           form->obrazovka, form->kur})
    EXPECT_FALSE(hidden->Visible()) << hidden->Name();
  for (TGLBaseSceneObject* shown : std::vector<TGLBaseSceneObject*>{
           form->steny1, form->lod, form->strela2, form->strela4, form->strela5, form->zbran1,
           form->srdce1, form->super, form->max, form->kur2, form->bonus, form->informace, form->d1,
           form->ex})
    EXPECT_TRUE(shown->Visible()) << shown->Name();
}

TEST_F(FormTest, MeshesCentreAsStored) {
  constexpr TMeshAutoCenterings xyz = macCenterX | macCenterY | macCenterZ;
  EXPECT_EQ(form->steny1->AutoCentering(), 0u) << "the walls keep their coordinates";
  EXPECT_EQ(form->ruzne->AutoCentering(), 0u);
  EXPECT_EQ(form->trup->AutoCentering(), xyz | macUseBarycenter);
  EXPECT_EQ(form->strela4->AutoCentering(), xyz | macUseBarycenter);
  for (TGLBaseMesh* m :
       std::vector<TGLBaseMesh*>{form->ali_anim1, form->hyb2, form->blok, form->steny2, form->lod,
                                 form->strela3, form->bonus, form->kamen2, form->zbran7})
    EXPECT_EQ(m->AutoCentering(), xyz) << m->Name();
  EXPECT_EQ(form->ali_anim1->AnimationMode(), aamLoop);
  EXPECT_EQ(form->ali_anim2->AnimationMode(), aamLoop);
  EXPECT_EQ(form->hyb1->AnimationMode(), aamNone);
  EXPECT_EQ(form->hyb2->AnimationMode(), aamLoop);
  for (TGLActor* a : {form->ali_anim1, form->ali_anim2, form->hyb1, form->hyb2})
    EXPECT_EQ(a->Interval(), 100) << a->Name();
}

TEST_F(FormTest, SkyLightAndMaterialsOfObjects) {
  expect_vector(form->sky->Direction(), 0, 1, 0, "sky direction");
  expect_vector(form->sky->Up(), 0, 0, -1, "sky up");
  ASSERT_EQ(form->sky->Bands().Count(), 2);
  const TVector red = {0.6471f, 0.1647f, 0.1647f, 1};
  TSkyDomeBand& low = form->sky->Bands()[0];
  EXPECT_EQ(low.StartAngle(), -10);
  EXPECT_EQ(low.StopAngle(), 0);
  EXPECT_EQ(low.Slices(), 20);
  expect_colour(low.StartColor(), clrBlack, "band 1 start");
  expect_colour(low.StopColor(), red, "band 1 stop");
  TSkyDomeBand& high = form->sky->Bands()[1];
  EXPECT_EQ(high.StartAngle(), 0);
  EXPECT_EQ(high.StopAngle(), 10);
  EXPECT_EQ(high.Slices(), 20);
  expect_colour(high.StartColor(), red, "band 2 start");
  expect_colour(high.StopColor(), clrBlack, "band 2 stop");
  EXPECT_EQ(form->sky->Stars().Count(), 0);

  EXPECT_EQ(form->zarovka->LightStyle(), lsOmni);
  expect_colour(form->zarovka->Ambient(), clrWhite, "light ambient");
  expect_colour(form->zarovka->Specular(), clrWhite, "light specular");
  EXPECT_EQ(form->zarovka->ConstAttenuation(), 1);

  EXPECT_EQ(form->zbran3->Material().BlendingMode(), bmAdditive);
  EXPECT_EQ(form->zbran4->Material().BlendingMode(), bmAdditive);
  EXPECT_EQ(form->zbran5->Material().BlendingMode(), bmOpaque);
  EXPECT_EQ(form->strela4->Material().BlendingMode(), bmAdditive);
  expect_colour(form->strela4->Material().FrontProperties().Emission(), {0.01569f, 0.3804f, 1, 1},
                "strela4 emission");
  expect_colour(form->strela5->Material().FrontProperties().Emission(), {1, 1, 0, 1},
                "strela5 emission");
}

TEST_F(FormTest, HudIsPlacedAndSized) {
  struct Expected {
    TGLHUDSprite* sprite;
    float x, y, width, height;
  };
  const std::vector<Expected> sprites = {
      {form->menuvrch, 315, 42, 640, 76},   {form->srdce3, 480, 32, 35, 25},
      {form->srdce2, 530, 32, 35, 25},      {form->srdce1, 580, 32, 35, 25},
      {form->energie, 97, 50, 150, 2},      {form->palivo, 97, 40, 150, 2},
      {form->havarie, 520, 27, 156, 26},    {form->super, -100, 200, 100, 59},
      {form->menustart, 315, 243, 640, 480}};
  for (const Expected& e : sprites) {
    SCOPED_TRACE(e.sprite->Name());
    EXPECT_EQ(e.sprite->Position().X(), e.x);
    EXPECT_EQ(e.sprite->Position().Y(), e.y);
    EXPECT_EQ(e.sprite->Width(), e.width);
    EXPECT_EQ(e.sprite->Height(), e.height);
  }
  EXPECT_EQ(form->max->Position().X(), 320);
  EXPECT_EQ(form->max->Position().Y(), 130);
  EXPECT_EQ(form->max->Width(), 600);
  EXPECT_EQ(form->max->Height(), 8);
  EXPECT_EQ(form->kur->Width(), 30);
  EXPECT_EQ(form->kur2->Height(), 30);
  EXPECT_EQ(form->kur->Material().Texture().ImageAlpha(), tiaSuperBlackTransparent);
  for (TGLHUDSprite* additive :
       {form->srdce1, form->srdce2, form->srdce3, form->energie, form->palivo})
    EXPECT_EQ(additive->Material().BlendingMode(), bmAdditive) << additive->Name();
  expect_colour(form->energie->Material().FrontProperties().Emission(), {1, 1, 0, 1}, "energie");
  expect_colour(form->palivo->Material().FrontProperties().Emission(), {0.09412f, 0.8431f, 1, 1},
                "palivo");
}

TEST_F(FormTest, HudTextsUseTheFont) {
  TGLWindowsBitmapFont& font = *form->GLWindowsBitmapFont1;
  EXPECT_EQ(font.Font().Name(), "Arial Black");
  EXPECT_EQ(font.Font().Height(), -15);
  EXPECT_EQ(font.Font().Charset(), ANSI_CHARSET);
  EXPECT_EQ(font.Font().Style(), 0u);
  EXPECT_GT(font.CharacterWidth('0'), 0) << "the glyphs are built";
  struct Expected {
    TGLHUDText* text;
    float x, y;
    const char* caption;
    TVector colour;
  };
  const std::vector<Expected> texts = {
      {form->zi, 333, 19, "0", {1, 1, 0, 1}},
      {form->dole, 470, 460, "P=pause  ESC= konec hry", {0, 1, 1, 1}},
      {form->informace, 150, 200, "", {1, 1, 0, 1}}};
  for (const Expected& e : texts) {
    SCOPED_TRACE(e.text->Name());
    EXPECT_EQ(e.text->BitmapFont(), &font);
    EXPECT_EQ(e.text->Position().X(), e.x);
    EXPECT_EQ(e.text->Position().Y(), e.y);
    EXPECT_EQ(e.text->Text(), e.caption);
    expect_colour(e.text->ModulateColor(), e.colour, "colour");
  }
  EXPECT_FLOAT_EQ(form->dole->Scale().X(), 0.7f);
  EXPECT_FLOAT_EQ(form->dole->Scale().Y(), 0.7f);
  EXPECT_FLOAT_EQ(form->zi->Scale().X(), 1);
}

TEST_F(FormTest, WaveListHoldsTheElevenClips) {
  struct Expected {
    const char* name;
    bool looped;
    int rate;
    double seconds;
  };
  const Expected waves[] = {
      {"vybuch", false, 22050, 1.06}, {"laser1", true, 14300, 0.50}, {"laser2", true, 14300, 0.42},
      {" laser3", true, 22050, 0.38}, {"laser4", true, 25300, 0.41}, {"dobij", false, 22050, 0.87},
      {"zivot", false, 22050, 1.05},  {"voda", true, 22050, 2.81},   {"vitr", true, 22050, 8.79},
      {"krypt", true, 22050, 4.94},   {"klap", false, 44100, 0.28}};
  TDXWaveList& list = *form->list;
  EXPECT_EQ(list.DXSound(), form->DXSound1);
  EXPECT_TRUE(form->DXSound1->AutoInitialize());
  EXPECT_EQ(form->DXSound1->Options(), 0u);
  ASSERT_EQ(list.Count(), 11);
  for (int i = 0; i < 11; ++i) {
    SCOPED_TRACE(waves[i].name);
    TDXWaveListItem& item = list.Items(i);
    EXPECT_EQ(item.Name(), waves[i].name);
    EXPECT_EQ(item.Looped(), waves[i].looped);
    EXPECT_EQ(item.MaxPlayingCount(), 0);
    platform::WaveClip clip = platform::decode_wave(item.Wave());
    EXPECT_EQ(clip.channels, 1);
    EXPECT_EQ(clip.bits, 16);
    EXPECT_EQ(clip.rate, waves[i].rate);
    EXPECT_NEAR(clip.seconds(), waves[i].seconds, 0.006);
    EXPECT_TRUE(item.Initialized()) << "the device opened when the form was loaded";
  }
  EXPECT_FALSE(form->hudba->Visible());
  EXPECT_FALSE(form->hudba->AutoOpen());
  EXPECT_TRUE(form->hudba->AutoRewind());
}

TEST_F(FormTest, EffectManagersAreStored) {
  TGLFireFXManager& rocket = *form->raketa_hori;
  EXPECT_EQ(rocket.Reference(), form->lod);
  expect_vector(rocket.FireDir(), 2, 0, 0, "fire dir");
  EXPECT_EQ(rocket.MaxParticles(), 500);
  EXPECT_EQ(rocket.ParticleSize(), 6);
  expect_colour(rocket.InnerColor(), {0, 1, 1, 1}, "rocket inner");
  expect_colour(rocket.OuterColor(), {0, 0, 0.61f, 1}, "rocket outer");
  EXPECT_EQ(rocket.FireDensity(), 5);
  EXPECT_FLOAT_EQ(rocket.FireEvaporation(), 0.8f);
  EXPECT_EQ(rocket.FireCrown(), 1);
  EXPECT_EQ(rocket.ParticleLife(), 5);
  EXPECT_EQ(rocket.FireBurst(), 35);
  EXPECT_EQ(rocket.FireRadius(), 10);
  EXPECT_TRUE(rocket.Disabled());
  EXPECT_FLOAT_EQ(rocket.ParticleInterval(), 0.01f);
  EXPECT_TRUE(rocket.UseInterval());
  EXPECT_FALSE(rocket.NoZWrite());

  const std::vector<std::pair<TGLFireFXManager*, TGLBaseSceneObject*>> hits = {
      {form->zasah1, form->zas1},
      {form->zasah2, form->zas2},
      {form->zasah3, form->zas3},
      {form->zasah4, form->zas4},
      {form->zasah5, form->zas5}};
  for (size_t i = 0; i < hits.size(); ++i) {
    TGLFireFXManager& hit = *hits[i].first;
    SCOPED_TRACE(hit.Name());
    EXPECT_EQ(hit.Reference(), hits[i].second);
    expect_colour(hit.OuterColor(), {1, 0, 0, 1}, "outer");
    expect_colour(hit.InnerColor(), {1, 1, 0, 1}, "inner left at its default");
    EXPECT_EQ(hit.FireDensity(), 1);
    EXPECT_EQ(hit.FireEvaporation(), 1);
    EXPECT_EQ(hit.FireBurst(), i == 0 ? 6 : 15);
    EXPECT_EQ(hit.FireRadius(), 1);
    EXPECT_TRUE(hit.Disabled());
    EXPECT_FLOAT_EQ(hit.ParticleInterval(), 0.1f);
    EXPECT_EQ(hit.MaxParticles(), 256);
    EXPECT_EQ(hit.Cadencer(), form->GLCadencer1);
  }
  TGLFireFXManager& barrel = *form->vybuch_sud;
  EXPECT_EQ(barrel.Reference(), form->zasah_sud);
  expect_colour(barrel.InnerColor(), {0.1961f, 0.8f, 0.1961f, 1}, "barrel inner");
  expect_colour(barrel.OuterColor(), {0, 1, 0, 1}, "barrel outer");
  EXPECT_FLOAT_EQ(barrel.FireEvaporation(), 0.86f);
  EXPECT_EQ(barrel.FireBurst(), 8);
  EXPECT_TRUE(barrel.Disabled());

  TGLPolygonPFXManager& trail = *form->motor;
  EXPECT_EQ(trail.Renderer(), form->GLParticleFXRenderer1);
  EXPECT_EQ(trail.NbSides(), 12);
  EXPECT_EQ(trail.ParticleSize(), 6);
  ASSERT_EQ(trail.LifeColors().Count(), 1);
  EXPECT_DOUBLE_EQ(trail.LifeColors()[0].LifeTime(), 0.2);
  expect_colour(trail.LifeColors()[0].ColorInner(), clrTransparent, "trail life colour");
  TGLPolygonPFXManager& glitter = *form->pridej_zbran;
  EXPECT_EQ(glitter.Renderer(), form->GLParticleFXRenderer2);
  EXPECT_EQ(glitter.NbSides(), 6);
  EXPECT_EQ(glitter.ParticleSize(), 4);
  ASSERT_EQ(glitter.LifeColors().Count(), 1);
  EXPECT_DOUBLE_EQ(glitter.LifeColors()[0].LifeTime(), 0.6);
  expect_colour(glitter.LifeColors()[0].ColorInner(), {0.3f, 0.3f, 1, 1}, "glitter inner");
  EXPECT_EQ(form->GLCadencer1->SubscriberCount(), 9) << "all nine managers are cadenced";
}

TEST_F(FormTest, EffectsSitOnTheirObjects) {
  const std::vector<std::pair<TGLBaseSceneObject*, TGLFireFXManager*>> fires = {
      {form->lod, form->raketa_hori},     {form->ali1, form->zasah1}, {form->ali2, form->zasah1},
      {form->ali3, form->zasah1},         {form->zas1, form->zasah1}, {form->zas2, form->zasah2},
      {form->zas3, form->zasah3},         {form->zas4, form->zasah4}, {form->zas5, form->zasah5},
      {form->zasah_sud, form->vybuch_sud}};
  for (const auto& [object, manager] : fires) {
    SCOPED_TRACE(object->Name());
    ASSERT_EQ(object->Effects().Count(), 1);
    auto* fire = object->Effects().GetByClass<TGLBFireFX>();
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(fire->Manager(), manager);
  }
  EXPECT_EQ(form->zasah1->Clients().size(), 4u) << "three aliens and zas1 show the hit fire";
  struct Source {
    TGLBaseSceneObject* object;
    TGLParticleFXManager* manager;
    float interval;
  };
  const std::vector<Source> sources = {{form->muz, form->motor, 0.03f},
                                       {form->ohen_palivo, form->pridej_zbran, 0.1f},
                                       {form->ohen_zbrane, form->pridej_zbran, 0.03f},
                                       {form->ohen_energie, form->pridej_zbran, 0.03f}};
  for (const Source& s : sources) {
    SCOPED_TRACE(s.object->Name());
    ASSERT_EQ(s.object->Effects().Count(), 1);
    auto* source = s.object->Effects().GetByClass<TGLSourcePFXEffect>();
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->Manager(), s.manager);
    EXPECT_FLOAT_EQ(source->ParticleInterval(), s.interval);
    EXPECT_EQ(source->VelocityDispersion(), 0);
    EXPECT_EQ(source->PositionDispersion(), 0);
    expect_vector(source->InitialVelocity(), 0, 0, 0, "velocity");
  }
  EXPECT_TRUE(form->GLParticleFXRenderer1->IsBlended());
  EXPECT_FALSE(form->GLParticleFXRenderer2->ZWrite());
}

TEST_F(FormTest, LibraryHoldsFifteenMaterialsInOrder) {
  TGLLibMaterials& materials = form->mat1->Materials();
  ASSERT_EQ(materials.Count(), 15);
  for (int i = 0; i < 15; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(materials[i].Name(), "m" + std::to_string(i)) << "the game addresses by position";
    EXPECT_EQ(form->mat1->LibMaterialByName("m" + std::to_string(i)), &materials[i]);
    EXPECT_FALSE(materials[i].Material().Texture().Disabled());
  }
  const TGLMaterial& m0 = materials[0].Material();
  EXPECT_EQ(m0.TextureIfCreated()->TextureMode(), tmModulate);
  EXPECT_EQ(m0.TextureIfCreated()->MagFilter(), maNearest);
  EXPECT_EQ(m0.TextureIfCreated()->MinFilter(), miNearest);
  TGLMaterial& m1 = materials[1].Material();
  EXPECT_EQ(m1.BlendingMode(), bmAdditive);
  expect_colour(m1.FrontProperties().Ambient(), {0, 0.9373f, 0, 1}, "m1 ambient");
  expect_colour(m1.FrontProperties().Diffuse(), {0.9059f, 0.9529f, 0, 1}, "m1 diffuse");
  expect_colour(m1.BackProperties().Ambient(), clrBlack, "m1 back ambient");
  expect_colour(m1.BackProperties().Diffuse(), clrBlack, "m1 back diffuse");
  TGLMaterial& m2 = materials[2].Material();
  expect_colour(m2.FrontProperties().Emission(), {0, 0.1765f, 0, 1}, "m2 emission");
  EXPECT_EQ(m2.Texture().MinFilter(), miLinear);
  EXPECT_EQ(materials[3].Material().Texture().MinFilter(), miNearestMipmapNearest);
  expect_colour(materials[5].Material().FrontProperties().Ambient(),
                {0.102f, 0.08627f, 0.04706f, 1}, "m5 ambient");
  expect_colour(materials[7].Material().FrontProperties().Emission(), {0, 0.1843f, 0, 1},
                "m7 emission");
  for (int i = 8; i <= 14; ++i) {
    TGLMaterial& m = materials[i].Material();
    EXPECT_EQ(m.Texture().MagFilter(), maNearest) << i;
    EXPECT_EQ(m.Texture().MinFilter(), miNearest) << i;
    EXPECT_GT(m.FrontProperties().Diffuse().Red(), 0.95f) << "near white " << i;
  }
}

TEST_F(FormTest, EmbeddedPicturesAreLoaded) {
  for (TGLCustomSceneObject* object : std::vector<TGLCustomSceneObject*>{
           form->lod,     form->n_palivo,  form->n_zbrane, form->n_energie, form->sud1,
           form->sud4,    form->oci,       form->bonus,    form->zbran1,    form->zbran7,
           form->strela1, form->strela5,   form->menuvrch, form->srdce1,    form->havarie,
           form->super,   form->menustart, form->d1,       form->d6,        form->nastav,
           form->ex,      form->kur,       form->kur2}) {
    SCOPED_TRACE(object->Name());
    const TGLTexture* texture = object->Material().TextureIfCreated();
    ASSERT_NE(texture, nullptr);
    EXPECT_FALSE(texture->Disabled());
    EXPECT_FALSE(texture->Image().Empty());
  }
  EXPECT_EQ(form->menustart->Material().Texture().Image().Width(), 640);
  EXPECT_EQ(form->energie->Material().TextureIfCreated(), nullptr) << "a plain bar";
  EXPECT_EQ(form->obrazovka->Material().TextureIfCreated(), nullptr)
      << "the preview takes its picture from the library";
}

TEST(StoredAssets, MissingNameIsAClearError) {
  try {
    storedAsset("no_such_asset");
    FAIL() << "a missing asset must raise";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Stored asset \"no_such_asset\" is missing");
  }
  EXPECT_FALSE(hasStoredAsset("no_such_asset"));
  EXPECT_FALSE(hasStoredAsset(""));
}

TEST(StoredAssets, EveryIndexedAssetIsCompiledIn) {
  std::vector<std::string> names = storedAssetNames();
  ASSERT_FALSE(names.empty());
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(hasStoredAsset(name));
    const std::vector<uint8_t>& bytes = storedAsset(name);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(&storedAsset(name), &bytes) << "one copy, kept";
    std::string magic(bytes.begin(), bytes.begin() + 2);
    EXPECT_TRUE(magic == "BM" || magic == "RI" || (bytes[0] == 0xFF && bytes[1] == 0xD8))
        << "a bitmap, a RIFF WAVE or a JPEG";
  }
  for (int i = 0; i <= 10; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "wave%02d", i);
    EXPECT_TRUE(hasStoredAsset(name)) << name;
  }
}

TEST(FormLifetime, SecondFormAfterTheFirstIsFreed) {
  platform::init();
  platform::headless::Config config;
  config.render = false;
  platform::headless::configure(config);
  {
    TForm1 first;
    EXPECT_EQ(Form1, &first);
  }
  EXPECT_EQ(Form1, nullptr);
  TForm1 second;
  EXPECT_EQ(second.CollisionManager1->Registered().size(), 4u);
  EXPECT_EQ(second.GLCadencer1->SubscriberCount(), 9);
}

namespace {

// The form drawn offscreen at the game's 640 x 480; KARMUND_RENDER_SHOTS=DIR keeps the frames.
class FormPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::init();
    platform::headless::Config config;
    config.render = true;
    platform::headless::configure(config);
    form = std::make_unique<TForm1>();
    form->full->SetWidth(640);
    form->full->SetHeight(480);
    form->full->SetFullScreen(true);
  }
  void TearDown() override { form.reset(); }

  void Draw(const std::string& name) {
    form->full->Render();
    platform::read_frame(frame, width, height);
    const char* dir = std::getenv("KARMUND_RENDER_SHOTS");
    if (dir)
      platform::headless::write_png(std::string(dir) + "/" + name + ".png", frame, width, height);
  }
  // Pixels brighter than a dark grey inside [x0, x1) x [y0, y1).
  int Lit(int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const uint8_t* p = &frame[(static_cast<size_t>(y) * width + x) * 4];
        if (p[0] + p[1] + p[2] > 60) ++n;
      }
    return n;
  }

  std::unique_ptr<TForm1> form;
  std::vector<uint8_t> frame;
  int width = 0, height = 0;
};

}  // namespace

TEST_F(FormPictureTest, StoredFormDrawsNothingButItsEmptyScene) {
  Draw("form_stored");
  ASSERT_EQ(width, 640);
  ASSERT_EQ(height, 480);
  EXPECT_LT(Lit(0, 0, 640, 480), 640 * 480 / 100)
      << "the menu and the play HUD are hidden until the game shows them";
}

TEST_F(FormPictureTest, TitlePictureFillsTheView) {
  form->menustart->SetVisible(true);
  Draw("form_title");
  EXPECT_GT(Lit(0, 0, 640, 480), 640 * 480 / 4) << "the embedded title picture";
}

TEST_F(FormPictureTest, PlayHudShowsAlongTheTop) {
  form->full->SetCamera(form->camera);
  form->menuvrch->SetVisible(true);
  form->super->SetVisible(false);
  Draw("form_hud");
  EXPECT_GT(Lit(0, 4, 640, 80), 640 * 76 / 4) << "the top bar";
  EXPECT_GT(Lit(565, 22, 595, 42), 50) << "a heart at (580, 32)";
  EXPECT_GT(Lit(380, 450, 560, 470), 20) << "the help line at (470, 460)";
}

TEST_F(FormPictureTest, CursorIsSeeThroughWhereItsPictureIsBlack) {
  form->menustart->SetVisible(true);
  form->kur->Position().SetPoint(320, 300, 0);
  form->kur2->Position().SetPoint(320, 300, 0);
  form->kur2->SetVisible(false);
  Draw("form_no_cursor");
  std::vector<uint8_t> before = frame;
  form->kur->SetVisible(true);
  Draw("form_cursor");
  auto same = [&](int x, int y) {
    size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return frame[i] == before[i] && frame[i + 1] == before[i + 1] && frame[i + 2] == before[i + 2];
  };
  EXPECT_TRUE(same(307, 287)) << "a black corner of the cursor shows the title behind it";
  EXPECT_TRUE(same(333, 313));
  EXPECT_FALSE(same(320, 300) && same(320, 288)) << "the reticle itself is drawn";
}

TEST_F(FormPictureTest, StrengthBarIsGreen) {
  form->full->SetCamera(form->camera);
  form->menuvrch->SetVisible(true);
  Draw("form_strength");
  size_t i = (static_cast<size_t>(130) * width + 320) * 4;
  EXPECT_GT(frame[i + 1], 200) << "green";
  EXPECT_LT(frame[i], 40);
  EXPECT_LT(frame[i + 2], 40);
}
