// The frame drawing: the background for now; the scene and the HUD are drawn over it here.
#include "engine/scene_renderer.h"

#include <GL/gl.h>

#include "engine/scene_buffer.h"

void RenderScene(TGLSceneBuffer& buffer, TGLRenderContextInfo& /*rci*/) {
  TVector bg = ConvertWinColor(buffer.BackgroundColor(), buffer.BackgroundAlpha());
  glClearColor(bg.X, bg.Y, bg.Z, bg.W);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
