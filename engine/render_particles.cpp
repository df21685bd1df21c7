// Drawing of particles: the fire effect's camera-facing fans and the particle renderer's
// polygons, sorted farthest first and blended without writing depth.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "engine/fire_fx.h"
#include "engine/particle_fx.h"
#include "engine/renderer.h"

namespace {

// The view's right and up axes and its direction in scene space.
void view_axes(const TGLRenderContextInfo& rci, TAffineVector& right, TAffineVector& up,
               TAffineVector& forward) {
  forward = to_affine(normalize3(rci.cameraDirection));
  up = to_affine(normalize3(rci.cameraUp));
  right = normalize(cross(forward, up));
}

void draw_triangles(const std::vector<TGLParticleVertex>& v) {
  if (v.empty()) return;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(TGLParticleVertex), &v[0].X);
  glColorPointer(4, GL_FLOAT, sizeof(TGLParticleVertex), &v[0].R);
  glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(v.size()));
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

}  // namespace

void TGLBFireFX::Render(TGLRenderContextInfo& rci) {
  if (!manager_ || !rci.renderer || manager_->ParticleCount() == 0) return;
  TGLRenderer& renderer = *rci.renderer;
  TGLFireFXManager& m = *manager_;
  TAffineVector right, up, forward;
  view_axes(rci, right, up, forward);
  TAffineVector eye = to_affine(rci.cameraPosition);
  if (m.Reference()) {
    // Scene-space particles: every object showing this manager shows the same cloud.
    renderer.LoadModelMatrix(identity_matrix(), rci);
  } else {
    // Particles about our object: the view's axes taken into the object's space.
    TMatrix inv = matrix_invert(rci.modelMatrix);
    right = normalize(to_affine(vector_transform(to_vector(right), inv)));
    up = normalize(to_affine(vector_transform(to_vector(up), inv)));
    forward = normalize(to_affine(vector_transform(to_vector(forward), inv)));
    eye = to_affine(vector_transform(rci.cameraPosition, inv));
  }

  // The fan's rim, built once for all particles: ParticleSize up and down, the width by
  // FireEvaporation.
  constexpr int kRim = 8;
  TAffineVector rim[kRim];
  float size = m.ParticleSize();
  for (int k = 0; k < kRim; ++k) {
    double a = 2 * 3.14159265358979323846 * k / kRim;
    rim[k] = right * static_cast<float>(std::cos(a) * size * m.FireEvaporation()) +
             up * static_cast<float>(std::sin(a) * size);
  }

  static std::vector<std::pair<float, int32_t>> order;
  order.clear();
  for (int32_t i = 0; i < m.ParticleCount(); ++i)
    order.emplace_back(dot(to_affine(m.Particles(i).Position) - eye, forward), i);
  if (order.size() > 1)
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first > b.first; });

  const TVector inner = m.InnerColor().Color(), outer = m.OuterColor().Color();
  static std::vector<TGLParticleVertex> triangles;
  triangles.clear();
  triangles.reserve(order.size() * kRim * 3);
  for (const auto& entry : order) {
    const TFireParticle& p = m.Particles(entry.second);
    float life = p.LifeLength != 0 ? p.LifeLength : 1;
    float alpha = p.Alpha * p.TimeToLive / (life * life);
    // Too faint to change an 8-bit pixel even at its centre: not worth the fill.
    if (alpha < 0.5f / 255) continue;
    TAffineVector c = to_affine(p.Position);
    TGLParticleVertex centre{c.X, c.Y, c.Z, inner.X, inner.Y, inner.Z, alpha};
    for (int k = 0; k < kRim; ++k) {
      TAffineVector a = c + rim[k], b = c + rim[(k + 1) % kRim];
      triangles.push_back(centre);
      triangles.push_back({a.X, a.Y, a.Z, outer.X, outer.Y, outer.Z, 0});
      triangles.push_back({b.X, b.Y, b.Z, outer.X, outer.Y, outer.Z, 0});
    }
  }
  renderer.ApplyPlain(bmAdditive, !m.NoZWrite(), true, rci);
  draw_triangles(triangles);
  glDepthMask(GL_TRUE);
}

void TGLParticleFXRenderer::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer || managers_.empty()) return;
  TGLRenderer& renderer = *rci.renderer;
  TAffineVector right, up, forward;
  view_axes(rci, right, up, forward);
  TAffineVector eye = to_affine(rci.cameraPosition);

  struct Entry {
    float depth;
    TGLParticleFXManager* manager;
    int32_t index;
  };
  static std::vector<Entry> order;
  order.clear();
  for (TGLParticleFXManager* m : managers_)
    for (int32_t i = 0; i < m->ParticleCount(); ++i)
      order.push_back({dot(m->Particles(i).Position - eye, forward), m, i});
  if (order.empty()) return;
  std::stable_sort(order.begin(), order.end(),
                   [](const Entry& a, const Entry& b) { return a.depth > b.depth; });

  static std::vector<TGLParticleVertex> triangles;
  triangles.clear();
  for (const Entry& e : order) e.manager->AppendParticle(e.index, right, up, triangles);
  renderer.LoadModelMatrix(identity_matrix(), rci);
  renderer.ApplyPlain(blending_mode_, z_write_, true, rci);
  draw_triangles(triangles);
  glDepthMask(GL_TRUE);
}
