// The drawing of one frame of a viewer's buffer: the one hook between the viewer and the
// scene's drawing. Called with the GL context current and the picture's viewport set.
#pragma once

#include "engine/render_context.h"

class TGLSceneBuffer;

void RenderScene(TGLSceneBuffer& buffer, TGLRenderContextInfo& rci);
