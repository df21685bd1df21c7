// Drawing of the small scene nodes: proxies (their master's geometry at their place), the
// dummy cube's wire frame when asked for, and camera-facing sprites.
#include <GL/gl.h>

#include <cmath>

#include "engine/dummy_cube.h"
#include "engine/proxy_object.h"
#include "engine/renderer.h"
#include "engine/sprite.h"

void TGLProxyObject::Render(TGLRenderContextInfo& rci) {
  if (rendering_ || !master_ || !(options_ & pooObjects) || !rci.renderer) return;
  rendering_ = true;
  TGLRenderer& renderer = *rci.renderer;
  TMatrix world = rci.modelMatrix;
  if (options_ & pooTransformation) world = matrix_multiply(master_->LocalMatrix(), world);
  renderer.LoadModelMatrix(world, rci);
  // The master is drawn whatever its own Visible says: hidden shot models live on as proxies.
  master_->Render(rci);
  if (options_ & pooEffects) {
    TGLObjectEffects& effects = master_->Effects();
    for (int i = 0; i < effects.Count(); ++i) {
      renderer.LoadModelMatrix(world, rci);
      effects[i].Render(rci);
    }
  }
  if (rci.drawChildren) renderer.RenderChildren(*master_, world, rci);
  rendering_ = false;
}

bool TGLProxyObject::IsBlended() {
  if (rendering_ || !master_) return false;
  rendering_ = true;
  bool blended = master_->IsBlended();
  rendering_ = false;
  return blended;
}

void TGLProxyObject::EmitGeometry(TGLRenderContextInfo& rci) {
  if (rendering_ || !master_) return;
  rendering_ = true;
  master_->EmitGeometry(rci);
  rendering_ = false;
}

void TGLDummyCube::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!visible_at_run_time_ || !rci.renderer) return;
  rci.renderer->ApplyPlain(bmOpaque, true, true, rci);
  const TVector& c = edge_color_.Color();
  glColor4f(c.X, c.Y, c.Z, c.W);
  float h = std::fabs(cube_size_) * 0.5f;
  static const int kEdges[12][2] = {{0, 1}, {1, 3}, {3, 2}, {2, 0}, {4, 5}, {5, 7},
                                    {7, 6}, {6, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  auto corner = [h](int i) {
    return TAffineVector{(i & 1) ? h : -h, (i & 2) ? h : -h, (i & 4) ? h : -h};
  };
  glBegin(GL_LINES);
  for (const auto& e : kEdges) {
    for (int end : e) {
      TAffineVector p = corner(end);
      glVertex3f(p.X, p.Y, p.Z);
    }
  }
  glEnd();
}

void TGLSprite::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer) return;
  TGLRenderer& renderer = *rci.renderer;
  renderer.ApplyMaterial(Material(), rci, alpha_channel_ != 1 ? alpha_channel_ : -1);
  if (no_z_write_) glDepthMask(GL_FALSE);
  // Billboard: the centre in eye space, the rectangle in the view's own axes, scaled as the
  // object is.
  const TMatrix& w = rci.modelMatrix;
  TVector centre = vector_transform(w[3], rci.viewMatrix);
  float sx = length3(w[0]), sy = length3(w[1]);
  TMatrix m = identity_matrix();
  m[3] = {centre.X, centre.Y, centre.Z, 1};
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&m[0][0]);
  float hw = width_ * 0.5f * sx, hh = height_ * 0.5f * sy;
  float c = 1, s = 0;
  if (rotation_ != 0) {
    double a = deg_to_rad(rotation_);
    c = static_cast<float>(std::cos(a));
    s = static_cast<float>(std::sin(a));
  }
  auto vertex = [&](float u, float v, float x, float y) {
    glTexCoord2f(u, v);
    glVertex3f(x * c - y * s, x * s + y * c, 0);
  };
  glNormal3f(0, 0, 1);
  glBegin(GL_QUADS);
  vertex(0, 0, -hw, -hh);
  vertex(1, 0, hw, -hh);
  vertex(1, 1, hw, hh);
  vertex(0, 1, -hw, hh);
  glEnd();
  glDepthMask(GL_TRUE);
}
