// The main form's composition: the components and the scene tree with their stored settings,
// one block per object in stored order, and the pictures and clips stored with them.
#include "game/form/form1.h"

#include <cstdio>
#include <vector>

#include "game/form/stored_assets.h"

TForm1* Form1 = nullptr;

namespace {

// Shots and the bonus are stored already turned by 90 degrees: the direction is the turned one
// (with the rounding it had) and the turn is kept only as the stored angle.
constexpr float kTurnedDirX = 1;
constexpr float kTurnedDirZ = -4.371139e-08f;

constexpr TVector kYellow = {1, 1, 0, 1};
constexpr TVector kRed = {1, 0, 0, 1};
constexpr TVector kGreen = {0, 1, 0, 1};
constexpr TVector kBrickRed = {0.6471f, 0.1647f, 0.1647f, 1};
constexpr TColor clYellow = 0x00FFFF;

// A component owned by the form, named, loading until the form has read everything.
template <class T>
T* component(TComponent* form, const char* name) {
  T* c = make_owned<T>(form);
  c->SetName(name);
  c->BeginLoading();
  return c;
}

// A scene object owned by the form, placed as the last child of `parent`.
template <class T>
T* place(TComponent* form, TGLBaseSceneObject& parent, const char* name) {
  T* object = component<T>(form, name);
  parent.AddChild(object);
  return object;
}

// Every mesh of the form but the walls and their decoration centres on loading.
constexpr TMeshAutoCenterings kCentred = macCenterX | macCenterY | macCenterZ;

template <class T>
T* mesh(TComponent* form, TGLBaseSceneObject& parent, const char* name,
        TMeshAutoCenterings centring = kCentred) {
  T* m = place<T>(form, parent, name);
  m->SetAutoCentering(centring);
  return m;
}

// The stored picture `asset` as the enabled texture of `material`.
void stored_texture(TGLMaterial& material, const std::string& asset) {
  const std::vector<uint8_t>& bytes = storedAsset(asset);
  TGLTexture& texture = material.Texture();
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
    texture.Image().LoadFromBitmap(bytes);
  else
    texture.Image().Assign(platform::decode_picture(bytes));
  texture.SetDisabled(false);
}

void turned(TGLBaseSceneObject& object) {
  object.Direction().SetVector(kTurnedDirX, 0, kTurnedDirZ);
  object.SetTurnAngle(90);  // the form is loading: only stored
}

TGLHUDSprite* sprite(TComponent* form, TGLBaseSceneObject& parent, const char* name, float x,
                     float y, float width, float height) {
  auto* s = place<TGLHUDSprite>(form, parent, name);
  s->Position().SetPoint(x, y, 0);
  s->SetSize(width, height);
  return s;
}

TGLHUDText* text(TComponent* form, TGLBaseSceneObject& parent, const char* name, float x, float y,
                 TGLCustomBitmapFont* font, const char* caption, const TVector& colour) {
  auto* t = place<TGLHUDText>(form, parent, name);
  t->Position().SetPoint(x, y, 0);
  t->SetBitmapFont(font);
  t->SetText(caption);
  t->ModulateColor().SetColor(colour);
  return t;
}

void fire_effect(TGLBaseSceneObject& object, TGLFireFXManager* manager) {
  object.Effects().Add<TGLBFireFX>().SetManager(manager);
}

void particle_source(TGLBaseSceneObject& object, TGLParticleFXManager* manager, float interval) {
  auto& source = object.Effects().Add<TGLSourcePFXEffect>();
  source.SetManager(manager);
  source.SetParticleInterval(interval);
}

// A hit effect's manager: bursts only, red rims.
void hit_fire(TGLFireFXManager& fire, float burst) {
  fire.OuterColor().SetColor(kRed);
  fire.SetFireDensity(1);
  fire.SetFireEvaporation(1);
  fire.SetFireBurst(burst);
  fire.SetFireRadius(1);
  fire.SetDisabled(true);
  fire.SetParticleInterval(0.1f);
}

struct StoredWave {
  const char* name;
  bool looped;
};
// The game plays these by index (0 hit explosion, 1..4 the weapons' lasers, 5 pick-up, 6 life,
// 7..9 the levels' ambient loops, 10 menu click).
constexpr StoredWave kWaves[] = {
    {"vybuch", false}, {"laser1", true}, {"laser2", true}, {" laser3", true},
    {"laser4", true},  {"dobij", false}, {"zivot", false}, {"voda", true},
    {"vitr", true},    {"krypt", true},  {"klap", false},
};

struct StoredMaterial {
  const char* name;
  TVector diffuse;
};
// The menu's preview pictures (levels 1 to 6, then the settings screen).
constexpr StoredMaterial kPreviewMaterials[] = {
    {"m8", {0.98f, 0.98f, 0.96f, 1}},  {"m9", {0.97f, 0.98f, 0.98f, 1}},
    {"m10", {0.98f, 0.97f, 0.96f, 1}}, {"m11", {0.96f, 0.97f, 0.98f, 1}},
    {"m12", {0.97f, 0.97f, 0.97f, 1}}, {"m13", {0.98f, 0.96f, 0.98f, 1}},
    {"m14", {0.98f, 0.98f, 0.98f, 1}},
};

}  // namespace

TForm1::TForm1() {
  Form1 = this;
  SetName("Form1");
  BeginLoading();
  try {
    compose();
    // Everything is read: each component finishes its set-up in creation order (the sound
    // device opens, effects and behaviours find their managers, the frame clock is ready).
    std::vector<TComponent*> loading = Components();
    for (TComponent* c : loading) c->EndLoading();
  } catch (...) {
    // What was made is freed with the base; nobody may reach the half-made form.
    Form1 = nullptr;
    throw;
  }
  EndLoading();
}

TForm1::~TForm1() {
  if (full) full->SetFullScreen(false);
  Form1 = nullptr;
}

void TForm1::compose() {
  TComponent* form = this;

  // ---- the form itself
  BorderStyle = bsNone;
  WindowState = wsMaximized;
  Color = clGray;
  Cursor = crHandPoint;
  Hint = "klik to start";
  ShowHint = true;
  KeyPreview = true;
  Visible = true;
  OnCreate = [this](TComponent* s) { create(s); };
  OnMouseMove = [this](TComponent* s, uint32_t shift, int x, int y) { mousemove(s, shift, x, y); };
  OnMouseWheel = [this](TComponent* s, uint32_t shift, int delta, TPoint at, bool& handled) {
    kolecko(s, shift, delta, at, handled);
  };

  // ---- non-visual components
  GLScene1 = component<TGLScene>(form, "GLScene1");
  TGLBaseSceneObject& objects = GLScene1->Objects();
  TGLBaseSceneObject& cameras = GLScene1->Cameras();

  GLCadencer1 = component<TGLCadencer>(form, "GLCadencer1");
  GLCadencer1->SetScene(GLScene1);
  GLCadencer1->OnProgress = [this](TComponent* sender, double deltaTime, double newTime) {
    kadencer(sender, deltaTime, newTime);
  };

  full = component<TGLFullScreenViewer>(form, "full");
  // (its camera is set once the cameras exist, below)
  full->SetWidth(800);
  full->SetHeight(600);
  full->SetStayOnTop(true);
  full->SetRefreshRate(0);
  full->SetCursor(crAppStart);
  {
    TGLSceneBuffer& buffer = full->Buffer();
    buffer.SetBackgroundColor(clBlack);
    buffer.AmbientColor().SetColor(kBrickRed);
    buffer.SetFogEnable(true);
    buffer.FogEnvironment().FogColor().SetColor(0, 0, 0, 0);
    buffer.FogEnvironment().SetFogStart(50);
    buffer.FogEnvironment().SetFogEnd(1200);
    buffer.FogEnvironment().SetFogDistance(fdEyeRadial);
  }
  full->OnKeyDown = [this](TComponent* s, int& key, uint32_t shift) { keydown(s, key, shift); };
  full->OnMouseDown = [this](TComponent* s, platform::MouseButton b, uint32_t shift, int x, int y) {
    mousedown(s, b, shift, x, y);
  };
  full->OnMouseMove = [this](TComponent* s, uint32_t shift, int x, int y) {
    mousemove(s, shift, x, y);
  };
  full->OnMouseWheel = [this](TComponent* s, uint32_t shift, int delta, TPoint at, bool& handled) {
    kolecko(s, shift, delta, at, handled);
  };

  GLWindowsBitmapFont1 = component<TGLWindowsBitmapFont>(form, "GLWindowsBitmapFont1");
  {
    TGLFont& font = GLWindowsBitmapFont1->Font();
    font.SetName("Arial Black");
    font.SetHeight(-15);
    font.SetColor(clYellow);
    font.SetCharset(ANSI_CHARSET);
  }

  mat1 = component<TGLMaterialLibrary>(form, "mat1");
  compose_materials();

  CollisionManager1 = component<TCollisionManager>(form, "CollisionManager1");
  CollisionManager1->OnCollision = [this](TComponent* s, TGLBaseSceneObject* o1,
                                          TGLBaseSceneObject* o2) { kolize(s, o1, o2); };

  DXSound1 = component<TDXSound>(form, "DXSound1");
  DXSound1->SetAutoInitialize(true);
  DXSound1->SetOptions(0);

  list = component<TDXWaveList>(form, "list");
  list->SetDXSound(DXSound1);
  for (size_t i = 0; i < std::size(kWaves); ++i) {
    TDXWaveListItem& wave = list->Add();
    wave.SetName(kWaves[i].name);
    wave.SetLooped(kWaves[i].looped);
    wave.SetMaxPlayingCount(0);
    char asset[16];
    std::snprintf(asset, sizeof asset, "wave%02zu", i);
    wave.SetWave(storedAsset(asset));
  }

  hudba = component<TMediaPlayer>(form, "hudba");
  hudba->SetVisible(false);
  hudba->SetAutoOpen(false);
  hudba->SetAutoRewind(true);
  hudba->OnNotify = [this](TComponent* s) { notify(s); };

  // Effect managers; their references are scene objects, set once the tree stands.
  raketa_hori = component<TGLFireFXManager>(form, "raketa_hori");
  raketa_hori->SetCadencer(GLCadencer1);
  raketa_hori->FireDir().SetVector(2, 0, 0);
  raketa_hori->SetMaxParticles(500);
  raketa_hori->SetParticleSize(6);
  raketa_hori->InnerColor().SetColor(0, 1, 1, 1);
  raketa_hori->OuterColor().SetColor(0, 0, 0.61f, 1);
  raketa_hori->SetFireDensity(5);
  raketa_hori->SetFireEvaporation(0.8f);
  raketa_hori->SetFireCrown(1);
  raketa_hori->SetParticleLife(5);
  raketa_hori->SetFireBurst(35);
  raketa_hori->SetFireRadius(10);
  raketa_hori->SetDisabled(true);
  raketa_hori->SetParticleInterval(0.01f);
  raketa_hori->SetUseInterval(true);
  raketa_hori->SetNoZWrite(false);

  auto hit_manager = [&](const char* name, float burst) {
    TGLFireFXManager* fire = component<TGLFireFXManager>(form, name);
    fire->SetCadencer(GLCadencer1);
    hit_fire(*fire, burst);
    return fire;
  };
  zasah1 = hit_manager("zasah1", 6);
  zasah2 = hit_manager("zasah2", 15);
  zasah3 = hit_manager("zasah3", 15);
  zasah4 = hit_manager("zasah4", 15);
  zasah5 = hit_manager("zasah5", 15);

  vybuch_sud = component<TGLFireFXManager>(form, "vybuch_sud");
  vybuch_sud->SetCadencer(GLCadencer1);
  vybuch_sud->InnerColor().SetColor(0.1961f, 0.8f, 0.1961f, 1);
  vybuch_sud->OuterColor().SetColor(0, 1, 0, 1);
  vybuch_sud->SetFireDensity(1);
  vybuch_sud->SetFireEvaporation(0.86f);
  vybuch_sud->SetFireBurst(8);
  vybuch_sud->SetFireRadius(1);
  vybuch_sud->SetDisabled(true);
  vybuch_sud->SetParticleInterval(0.1f);

  motor = component<TGLPolygonPFXManager>(form, "motor");
  motor->SetCadencer(GLCadencer1);
  motor->SetNbSides(12);
  motor->SetParticleSize(6);
  motor->LifeColors()[0].SetLifeTime(0.2);

  pridej_zbran = component<TGLPolygonPFXManager>(form, "pridej_zbran");
  pridej_zbran->SetCadencer(GLCadencer1);
  pridej_zbran->SetParticleSize(4);
  pridej_zbran->LifeColors()[0].ColorInner().SetColor(0.3f, 0.3f, 1, 1);
  pridej_zbran->LifeColors()[0].SetLifeTime(0.6);

  // ---- the scene tree
  auto freeform = [&](TGLBaseSceneObject& parent, const char* name,
                      TMeshAutoCenterings centring = kCentred) {
    return mesh<TGLFreeForm>(form, parent, name, centring);
  };
  // A mesh wearing the picture stored under its own name.
  auto textured = [&](TGLBaseSceneObject& parent, const char* name,
                      TMeshAutoCenterings centring = kCentred) {
    TGLFreeForm* m = freeform(parent, name, centring);
    stored_texture(m->Material(), name);
    return m;
  };
  auto dummy = [&](TGLBaseSceneObject& parent, const char* name, float size) {
    TGLDummyCube* cube = place<TGLDummyCube>(form, parent, name);
    cube->SetCubeSize(size);
    return cube;
  };
  // A wall probe: a flat cube looking along (dx, dy), registered with the collision manager.
  auto probe = [&](const char* name, float dx, float dy) {
    TGLDummyCube* cube = place<TGLDummyCube>(form, objects, name);
    cube->Direction().SetVector(dx, dy, 0);
    cube->SetCubeSize(1);
    auto& registration = cube->Behaviours().Add<TGLBCollision>();
    registration.SetManager(CollisionManager1);
    registration.SetBoundingMode(cbmCube);
    registration.SetGroupIndex(0);
    return cube;
  };
  auto shot = [&](const char* name, TMeshAutoCenterings centring = kCentred) {
    TGLFreeForm* m = textured(*lod, name, centring);
    turned(*m);
    return m;
  };
  auto hud_picture = [&](TGLBaseSceneObject& parent, const char* name, float x, float y,
                         float width, float height) {
    TGLHUDSprite* s = sprite(form, parent, name, x, y, width, height);
    stored_texture(s->Material(), name);
    return s;
  };
  auto heart = [&](const char* name, float x) {
    TGLHUDSprite* s = sprite(form, *menuvrch, name, x, 32, 35, 25);
    s->Material().SetBlendingMode(bmAdditive);
    stored_texture(s->Material(), name);
    return s;
  };
  auto bar = [&](const char* name, float y, const TVector& colour) {
    TGLHUDSprite* s = sprite(form, *menuvrch, name, 97, y, 150, 2);
    s->Material().SetBlendingMode(bmAdditive);
    s->Material().FrontProperties().Emission().SetColor(colour);
    return s;
  };
  // Menu buttons are laid out when the menu is first shown.
  auto button = [&](const char* name) {
    TGLHUDSprite* s = place<TGLHUDSprite>(form, *obrazovka, name);
    stored_texture(s->Material(), name);
    return s;
  };

  sky = place<TGLSkyDome>(form, objects, "sky");
  sky->SetVisible(false);
  sky->Direction().SetVector(0, 1, 0);
  sky->Up().SetVector(0, 0, -1);
  sky->Bands().Clear();
  {
    TSkyDomeBand& below = sky->Bands().Add();
    below.SetStartAngle(-10);
    below.SetStopAngle(0);
    below.StartColor().SetColor(clrBlack);
    below.StopColor().SetColor(kBrickRed);
    below.SetSlices(20);
    TSkyDomeBand& above = sky->Bands().Add();
    above.SetStartAngle(0);
    above.SetStopAngle(10);
    above.StartColor().SetColor(kBrickRed);
    above.StopColor().SetColor(clrBlack);
    above.SetSlices(20);
  }

  ali_anim1 = mesh<TGLActor>(form, objects, "ali_anim1");
  ali_anim1->SetAnimationMode(aamLoop);
  ali_anim1->SetInterval(100);

  ali_anim2 = mesh<TGLActor>(form, objects, "ali_anim2");
  ali_anim2->SetAnimationMode(aamLoop);
  ali_anim2->SetInterval(100);

  blok = freeform(objects, "blok");
  blok->SetVisible(false);

  steny1 = freeform(objects, "steny1", 0);

  n_palivo = textured(objects, "n_palivo");
  ohen_palivo = dummy(*n_palivo, "ohen_palivo", 1);
  n_zbrane = textured(objects, "n_zbrane");
  ohen_zbrane = dummy(*n_zbrane, "ohen_zbrane", 4);
  n_energie = textured(objects, "n_energie");
  ohen_energie = dummy(*n_energie, "ohen_energie", 1);

  sud1 = textured(objects, "sud1");
  sud2 = textured(objects, "sud2");
  sud3 = textured(objects, "sud3");
  sud4 = textured(objects, "sud4");

  GLParticleFXRenderer2 = place<TGLParticleFXRenderer>(form, objects, "GLParticleFXRenderer2");

  kamen1 = freeform(objects, "kamen1");
  kamen2 = freeform(objects, "kamen2");
  kamen2->Scale().SetVector(0.8f, 0.6f, 1);
  kamen3 = freeform(objects, "kamen3");
  kamen3->Scale().SetVector(1, 0.7f, 0.5f);
  kamen4 = freeform(objects, "kamen4");
  kamen4->Scale().SetVector(1, 0.8f, 0.9f);

  ob1 = freeform(objects, "ob1");

  ali1 = freeform(objects, "ali1");
  ali1->Position().SetPoint(60, 0, 0);
  ali2 = freeform(objects, "ali2");
  ali3 = freeform(objects, "ali3");

  zasah_sud = dummy(objects, "zasah_sud", 1);

  obluda = place<TGLDummyCube>(form, objects, "obluda");
  obluda->SetVisible(false);
  hyb1 = mesh<TGLActor>(form, *obluda, "hyb1");
  hyb1->SetVisible(false);
  hyb1->SetInterval(100);
  hyb2 = mesh<TGLActor>(form, *obluda, "hyb2");
  hyb2->SetVisible(false);
  hyb2->SetAnimationMode(aamLoop);
  hyb2->SetInterval(100);
  oci = textured(*obluda, "oci");
  oci->SetVisible(false);
  trup = freeform(*obluda, "trup", kCentred | macUseBarycenter);
  trup->SetVisible(false);
  trup->Up().SetVector(0, 1, 0);

  pbok = probe("pbok", -1, 0);
  pbok->Scale().SetVector(16, 4, 0.1f);
  lbok = probe("lbok", 1, 0);
  lbok->Scale().SetVector(16, 4, 0.1f);
  spodek = probe("spodek", 0, -1);
  spodek->Up().SetVector(0, 0, -1);
  vrch = probe("vrch", 0, 1);
  vrch->Up().SetVector(0, 0, -1);

  cek = dummy(objects, "cek", 1);

  muz = dummy(objects, "muz", 1);
  muz->Position().SetPoint(100, 100, 170);

  strela5 = textured(*muz, "strela5");
  turned(*strela5);
  strela5->Material().FrontProperties().Emission().SetColor(kYellow);

  GLParticleFXRenderer1 = place<TGLParticleFXRenderer>(form, *muz, "GLParticleFXRenderer1");

  lod = textured(*muz, "lod");
  zbran1 = textured(*lod, "zbran1");
  zbran2 = textured(*lod, "zbran2");
  zbran3 = textured(*lod, "zbran3");
  zbran3->Material().SetBlendingMode(bmAdditive);
  zbran4 = textured(*lod, "zbran4");
  zbran4->Material().SetBlendingMode(bmAdditive);
  zbran5 = textured(*lod, "zbran5");
  zbran6 = textured(*lod, "zbran6");
  zbran7 = textured(*lod, "zbran7");
  strela1 = shot("strela1");
  strela1->SetVisible(false);
  strela2 = shot("strela2");
  strela3 = shot("strela3");
  strela3->SetVisible(false);
  strela4 = shot("strela4", kCentred | macUseBarycenter);
  strela4->Material().SetBlendingMode(bmAdditive);
  strela4->Material().FrontProperties().Emission().SetColor(0.01569f, 0.3804f, 1, 1);
  svetlo = dummy(*lod, "svetlo", 1);
  zarovka = place<TGLLightSource>(form, *svetlo, "zarovka");
  zarovka->SetLightStyle(lsOmni);
  zarovka->Ambient().SetColor(clrWhite);
  zarovka->Specular().SetColor(clrWhite);
  zarovka->SetConstAttenuation(1);

  zas1 = dummy(objects, "zas1", 10);
  zas2 = dummy(objects, "zas2", 15);
  zas3 = dummy(objects, "zas3", 1);
  zas4 = dummy(objects, "zas4", 1);
  zas5 = dummy(objects, "zas5", 1);

  steny2 = freeform(objects, "steny2");
  ruzne = freeform(objects, "ruzne", 0);

  // The play HUD: the top bar and what sits on it.
  menuvrch = hud_picture(objects, "menuvrch", 315, 42, 640, 76);
  menuvrch->SetVisible(false);
  zi = text(form, *menuvrch, "zi", 333, 19, GLWindowsBitmapFont1, "0", kYellow);
  srdce3 = heart("srdce3", 480);
  srdce2 = heart("srdce2", 530);
  srdce1 = heart("srdce1", 580);
  energie = bar("energie", 50, kYellow);
  palivo = bar("palivo", 40, {0.09412f, 0.8431f, 1, 1});
  havarie = hud_picture(*menuvrch, "havarie", 520, 27, 156, 26);
  havarie->SetVisible(false);
  super = hud_picture(*menuvrch, "super", -100, 200, 100, 59);
  dole = text(form, *menuvrch, "dole", 470, 460, GLWindowsBitmapFont1, "P=pause  ESC= konec hry",
              {0, 1, 1, 1});
  dole->Scale().SetVector(0.7f, 0.7f, 0.7f);
  // A plain green bar, unlit like the picture sprites look.
  max = sprite(form, *menuvrch, "max", 320, 130, 600, 8);
  max->Material().FrontProperties().Diffuse().SetColor(kGreen);
  max->Material().SetMaterialOptions(moNoLighting);

  bonus = textured(objects, "bonus");
  turned(*bonus);

  // The title and the menu: the picture, the preview panel with its buttons, the cursor.
  menustart = hud_picture(objects, "menustart", 315, 243, 640, 480);
  menustart->SetVisible(false);
  obrazovka = place<TGLHUDSprite>(form, *menustart, "obrazovka");
  obrazovka->SetVisible(false);
  d6 = button("d6");
  d5 = button("d5");
  d4 = button("d4");
  d3 = button("d3");
  d2 = button("d2");
  d1 = button("d1");
  nastav = button("nastav");
  ex = button("ex");
  kur = place<TGLHUDSprite>(form, *menustart, "kur");
  kur->SetVisible(false);
  kur->SetSize(30, 30);
  // The cursor's picture as it is, its black see-through (a decal would show the lit colour
  // there).
  kur->Material().SetBlendingMode(bmTransparency);
  kur->Material().Texture().SetImageAlpha(tiaSuperBlackTransparent);
  kur->Material().Texture().SetTextureMode(tmReplace);
  stored_texture(kur->Material(), "kur");
  // The highlight is a white ring tinted yellow, added over the menu; unlit, so the yellow is
  // the one seen whatever light the scene has.
  kur2 = place<TGLHUDSprite>(form, *kur, "kur2");
  kur2->SetSize(30, 30);
  kur2->Material().FrontProperties().Diffuse().SetColor(kYellow);
  kur2->Material().SetMaterialOptions(moNoLighting);
  kur2->Material().SetBlendingMode(bmAdditive);
  kur2->Material().Texture().SetTextureMode(tmModulate);
  stored_texture(kur2->Material(), "kur2");

  informace = text(form, objects, "informace", 150, 200, GLWindowsBitmapFont1, "", kYellow);

  camera2 = place<TGLCamera>(form, cameras, "camera2");
  camera2->SetDepthOfView(2000);
  camera2->SetFocalLength(100);
  camera2->SetTargetObject(menustart);
  camera2->Position().SetPoint(5000, 1000, 0);

  camera = place<TGLCamera>(form, cameras, "camera");
  camera->SetDepthOfView(20000);
  camera->SetFocalLength(100);
  camera->Position().SetPoint(0, 0, 1);
  camera->Direction().SetVector(0, 0, 1);
  camera->Up().SetVector(0, 1, 0);

  full->SetCamera(camera2);

  // ---- what the effect managers and the effects on the objects refer to
  raketa_hori->SetReference(lod);
  zasah1->SetReference(zas1);
  zasah2->SetReference(zas2);
  zasah3->SetReference(zas3);
  zasah4->SetReference(zas4);
  zasah5->SetReference(zas5);
  vybuch_sud->SetReference(zasah_sud);
  motor->SetRenderer(GLParticleFXRenderer1);
  pridej_zbran->SetRenderer(GLParticleFXRenderer2);

  fire_effect(*lod, raketa_hori);
  fire_effect(*ali1, zasah1);
  fire_effect(*ali2, zasah1);
  fire_effect(*ali3, zasah1);
  fire_effect(*zas1, zasah1);
  fire_effect(*zas2, zasah2);
  fire_effect(*zas3, zasah3);
  fire_effect(*zas4, zasah4);
  fire_effect(*zas5, zasah5);
  fire_effect(*zasah_sud, vybuch_sud);

  particle_source(*muz, motor, 0.03f);
  particle_source(*ohen_palivo, pridej_zbran, 0.1f);
  particle_source(*ohen_zbrane, pridej_zbran, 0.03f);
  particle_source(*ohen_energie, pridej_zbran, 0.03f);
}

// The library as the form stores it; the game replaces it from "data\data.mat" at asset
// loading, keeping the order m0..m14 the game addresses by position.
void TForm1::compose_materials() {
  auto add = [this](const char* name) -> TGLMaterial& {
    TGLLibMaterial& item = mat1->Materials().Add();
    item.SetName(name);
    item.Material().Texture().SetDisabled(false);
    return item.Material();
  };
  auto nearest = [](TGLMaterial& m) {
    m.Texture().SetMagFilter(maNearest);
    m.Texture().SetMinFilter(miNearest);
  };

  TGLMaterial& m0 = add("m0");
  m0.Texture().SetTextureMode(tmModulate);
  nearest(m0);

  TGLMaterial& m1 = add("m1");
  m1.SetBlendingMode(bmAdditive);
  m1.FrontProperties().Ambient().SetColor(0, 0.9373f, 0, 1);
  m1.FrontProperties().Diffuse().SetColor(0.9059f, 0.9529f, 0, 1);
  m1.BackProperties().Ambient().SetColor(clrBlack);
  m1.BackProperties().Diffuse().SetColor(clrBlack);

  TGLMaterial& m2 = add("m2");
  m2.FrontProperties().Diffuse().SetColor(clrWhite);
  m2.FrontProperties().Emission().SetColor(0, 0.1765f, 0, 1);
  m2.Texture().SetMinFilter(miLinear);

  TGLMaterial& m3 = add("m3");
  m3.FrontProperties().Diffuse().SetColor(0.9059f, 0.7451f, 0.3333f, 1);
  m3.Texture().SetMinFilter(miNearestMipmapNearest);

  add("m4").FrontProperties().Diffuse().SetColor(0.8824f, 0.9451f, 0.9294f, 1);

  TGLMaterial& m5 = add("m5");
  m5.FrontProperties().Ambient().SetColor(0.102f, 0.08627f, 0.04706f, 1);
  m5.FrontProperties().Diffuse().SetColor(0.9922f, 0.9451f, 0.9608f, 1);

  add("m6").FrontProperties().Diffuse().SetColor(0.7373f, 0.9608f, 0.9451f, 1);

  TGLMaterial& m7 = add("m7");
  m7.FrontProperties().Diffuse().SetColor(0.9294f, 0.898f, 0.8f, 1);
  m7.FrontProperties().Emission().SetColor(0, 0.1843f, 0, 1);

  for (const StoredMaterial& preview : kPreviewMaterials) {
    TGLMaterial& m = add(preview.name);
    m.FrontProperties().Diffuse().SetColor(preview.diffuse);
    nearest(m);
  }
}
