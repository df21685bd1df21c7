// What a drawing pass hands down the scene tree: the scene, the camera, the view's size in
// pixels and the display's dpi. The renderer adds what its passes need.
#pragma once

#include "engine/vector_math.h"

class TGLScene;
class TGLCamera;
class TGLRenderer;
class TGLSceneBuffer;

struct TGLRenderContextInfo {
  TGLScene* scene = nullptr;
  TGLCamera* camera = nullptr;
  int viewPortWidth = 0;
  int viewPortHeight = 0;
  float dpi = 96;
  TVector cameraPosition = {0, 0, 0, 1};
  TVector cameraDirection = {0, 0, -1, 0};
  TVector cameraUp = {0, 1, 0, 0};
  bool drawChildren = true;  // false while a proxy draws only its master's own geometry
  // Filled by the renderer (engine/renderer.h) for the objects' drawing.
  TGLRenderer* renderer = nullptr;
  TGLSceneBuffer* buffer = nullptr;
  TMatrix viewMatrix = identity_matrix();   // scene space to eye space
  TMatrix modelMatrix = identity_matrix();  // the drawn object's world matrix
};
