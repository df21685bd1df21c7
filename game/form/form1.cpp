// The main form's composition: the components and the scene tree with their stored settings.
#include "game/form/form1.h"

TForm1* Form1 = nullptr;

TForm1::TForm1() {
  Form1 = this;
  SetName("Form1");
  BeginLoading();
  compose();
  EndLoading();
}

TForm1::~TForm1() {
  if (full) full->SetFullScreen(false);
  Form1 = nullptr;
}

namespace {

// A scene object owned by the form, placed as the last child of `parent`, named.
template <class T>
T* place(TComponent* form, TGLBaseSceneObject& parent, const char* name) {
  T* object = make_owned<T>(form);
  object->SetName(name);
  parent.AddChild(object);
  return object;
}

}  // namespace

void TForm1::compose() {
  GLScene1 = make_owned<TGLScene>(this);
  GLScene1->SetName("GLScene1");
  TGLBaseSceneObject& objects = GLScene1->Objects();
  TGLBaseSceneObject& cameras = GLScene1->Cameras();

  max = place<TGLSprite>(this, objects, "max");
  max->SetSize(600, 8);

  camera2 = place<TGLCamera>(this, cameras, "camera2");
  camera2->SetDepthOfView(2000);
  camera2->SetFocalLength(100);
  camera2->Position().SetPoint(5000, 1000, 0);
  camera2->Direction().SetVector(0, 0, 1);
  camera2->Up().SetVector(0, 1, 0);

  camera = place<TGLCamera>(this, cameras, "camera");
  camera->SetDepthOfView(20000);
  camera->SetFocalLength(100);
  camera->Position().SetPoint(0, 0, 1);
  camera->Direction().SetVector(0, 0, 1);
  camera->Up().SetVector(0, 1, 0);

  GLCadencer1 = make_owned<TGLCadencer>(this);
  GLCadencer1->SetName("GLCadencer1");
  GLCadencer1->SetScene(GLScene1);
  GLCadencer1->OnProgress = [this](TComponent* sender, double deltaTime, double newTime) {
    kadencer(sender, deltaTime, newTime);
  };

  full = make_owned<TGLFullScreenViewer>(this);
  full->SetName("full");
  full->SetCamera(camera2);
  full->SetWidth(800);
  full->SetHeight(600);
  full->SetStayOnTop(true);
  full->SetRefreshRate(0);
  auto& buffer = full->Buffer();
  buffer.SetBackgroundColor(clBlack);
  buffer.AmbientColor().SetColor(0.6471f, 0.1647f, 0.1647f, 1);
  buffer.SetFogEnable(true);
  buffer.FogEnvironment().FogColor().SetColor(0, 0, 0, 0);
  buffer.FogEnvironment().SetFogStart(50);
  buffer.FogEnvironment().SetFogEnd(1200);
  buffer.FogEnvironment().SetFogDistance(fdEyeRadial);
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
  full->SetCursor(crAppStart);
}
