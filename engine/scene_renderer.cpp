// The frame drawing behind the viewer's paint: the scene renderer draws the whole frame.
#include "engine/scene_renderer.h"

#include "engine/renderer.h"

void RenderScene(TGLSceneBuffer& buffer, TGLRenderContextInfo& rci) {
  TGLRenderer::Instance().RenderFrame(buffer, rci);
}
