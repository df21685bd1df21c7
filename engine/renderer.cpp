// One frame of the scene: clearing, projection and view, fog, lights, the tree walk with its
// drawing order, and the HUD pass; plus the caches that outlive a frame.
#include "engine/renderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/camera.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/light_source.h"
#include "engine/scene_buffer.h"

#ifndef GL_FOG_DISTANCE_MODE_NV
#define GL_FOG_DISTANCE_MODE_NV 0x855A
#define GL_EYE_RADIAL_NV 0x855B
#define GL_EYE_PLANE_ABSOLUTE_NV 0x855C
#endif

bool is_hud_object(const TGLBaseSceneObject& object) {
  return dynamic_cast<const TGLHUDSprite*>(&object) || dynamic_cast<const TGLHUDText*>(&object);
}

// Hears when an object with a cache is freed, so a new object at the same address starts clean.
class TGLRenderer::Watcher : public TComponent {
 public:
  explicit Watcher(TGLRenderer& renderer) : renderer_(renderer) {}

 protected:
  void Notification(TComponent* component) override { renderer_.forget(component); }

 private:
  TGLRenderer& renderer_;
};

TGLRenderer& TGLRenderer::Instance() {
  static TGLRenderer renderer;
  return renderer;
}

TGLRenderer::TGLRenderer() : watcher_(std::make_unique<Watcher>(*this)) {}

TGLRenderer::~TGLRenderer() = default;

void TGLRenderer::forget(const TComponent* owner) {
  watched_.erase(owner);
  caches_.erase(owner);
  // The GL names go at the next frame: no context need be current while objects are freed.
  if (auto it = pictures_.find(owner); it != pictures_.end()) {
    dead_names_.push_back(it->second.name);
    pictures_.erase(it);
  }
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (it->second.holder == owner) {
      dead_names_.push_back(it->second.name);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
}

void TGLRenderer::delete_dead_names() {
  if (dead_names_.empty()) return;
  glDeleteTextures(static_cast<GLsizei>(dead_names_.size()), dead_names_.data());
  dead_names_.clear();
}

TGLRenderCache* TGLRenderer::Cache(const TComponent* owner) const {
  auto it = caches_.find(owner);
  return it == caches_.end() ? nullptr : it->second.get();
}

void TGLRenderer::watch(const TComponent* owner) {
  if (owner && watched_.insert(owner).second)
    watcher_->FreeNotification(const_cast<TComponent*>(owner));
}

void TGLRenderer::SetCache(const TComponent* owner, std::unique_ptr<TGLRenderCache> cache) {
  watch(owner);
  caches_[owner] = std::move(cache);
}

void TGLRenderer::ensure_context() {
  // A replaced context (the window was closed and opened again) knows none of our texture
  // names; the marker texture we keep in every context we have set up tells.
  if (context_marker_ != 0 && glIsTexture(context_marker_)) return;
  textures_.clear();
  pictures_.clear();
  caches_.clear();
  dead_names_.clear();  // they died with the old context
  GLuint marker = 0;
  glGenTextures(1, &marker);
  glBindTexture(GL_TEXTURE_2D, marker);
  glBindTexture(GL_TEXTURE_2D, 0);
  context_marker_ = marker;

  const char* ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  std::string extensions = ext ? ext : "";
  auto has = [&](const char* name) {
    std::string padded = " " + extensions + " ";
    return padded.find(std::string(" ") + name + " ") != std::string::npos;
  };
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 1, minor = 0;
  if (version) std::sscanf(version, "%d.%d", &major, &minor);
  bool gl14 = major > 1 || (major == 1 && minor >= 4);
  has_fog_distance_ = has("GL_NV_fog_distance");
  has_generate_mipmap_ = gl14 || has("GL_SGIS_generate_mipmap");
  has_npot_ = major >= 2 || has("GL_ARB_texture_non_power_of_two");
  GLint max_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_size);
  max_texture_size_ = max_size > 0 ? max_size : 1024;
}

// ---------------------------------------------------------------------------------------------
// The frame

void TGLRenderer::RenderFrame(TGLSceneBuffer& buffer, TGLRenderContextInfo& rci) {
  ensure_context();
  sweep_library_textures();
  delete_dead_names();
  ++frames_;
  rci.renderer = this;
  rci.buffer = &buffer;

  TVector bg = ConvertWinColor(buffer.BackgroundColor(), buffer.BackgroundAlpha());
  glClearColor(bg.X, bg.Y, bg.Z, bg.W);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  // The platform's scissor box keeps this clear off the letterbox bars.
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!rci.camera || !rci.scene) return;

  glShadeModel(GL_SMOOTH);
  glEnable(GL_NORMALIZE);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  glDepthFunc(GL_LEQUAL);
  if (buffer.DepthTest())
    glEnable(GL_DEPTH_TEST);
  else
    glDisable(GL_DEPTH_TEST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

  setup_projection(rci);
  setup_view(rci);
  setup_fog(buffer);
  setup_lights(rci);

  hud_queue_.clear();
  in_hud_pass_ = false;
  inherited_sorting_ = rci.scene->ObjectsSorting();
  RenderChildren(rci.scene->Objects(), identity_matrix(), rci);
  draw_hud(rci);

  // Leave the context plain for whoever draws next (the platform's letterbox bars).
  glDisable(GL_LIGHTING);
  glDisable(GL_FOG);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_TRUE);
}

void TGLRenderer::setup_projection(TGLRenderContextInfo& rci) {
  TGLCamera& camera = *rci.camera;
  int w = std::max(1, rci.viewPortWidth), h = std::max(1, rci.viewPortHeight);
  TGLCameraProjection p = camera.Projection(w, h, rci.dpi);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  switch (camera.CameraStyle()) {
    case csOrtho2D:
      glOrtho(0, w, 0, h, -1, 1);
      break;
    case csOrthogonal: {
      // The near plane's extents taken out to the middle of the depth of view.
      double f = (p.nearPlane + camera.DepthOfView() * 0.5) / p.nearPlane;
      glOrtho(p.left * f, p.right * f, p.bottom * f, p.top * f, p.nearPlane, p.farPlane);
      break;
    }
    case csInfinitePerspective:
      glFrustum(p.left, p.right, p.bottom, p.top, p.nearPlane, p.nearPlane * 1e6);
      break;
    default:
      glFrustum(p.left, p.right, p.bottom, p.top, p.nearPlane, p.farPlane);
      break;
  }
  glMatrixMode(GL_MODELVIEW);
}

void TGLRenderer::setup_view(TGLRenderContextInfo& rci) {
  if (rci.camera->CameraStyle() == csOrtho2D) {
    rci.viewMatrix = identity_matrix();
    rci.cameraPosition = {0, 0, 0, 1};
    rci.cameraDirection = {0, 0, -1, 0};
    rci.cameraUp = {0, 1, 0, 0};
    return;
  }
  TGLCameraView v = rci.camera->View();
  TVector f = normalize3(v.center - v.eye);
  if (length3(f) == 0) f = {0, 0, -1, 0};
  TVector s = normalize3(cross3(f, v.up));
  if (length3(s) == 0) s = normalize3(cross3(f, TVector{0, 0, 1, 0}));
  if (length3(s) == 0) s = normalize3(cross3(f, TVector{1, 0, 0, 0}));
  TVector u = cross3(s, f);
  // Row vectors: eye space = (p − eye) · [s u −f].
  TMatrix m = identity_matrix();
  for (int i = 0; i < 3; ++i) {
    m[i][0] = s[i];
    m[i][1] = u[i];
    m[i][2] = -f[i];
    m[i][3] = 0;
  }
  m[3] = {-dot3(s, v.eye), -dot3(u, v.eye), dot3(f, v.eye), 1};
  rci.viewMatrix = m;
  rci.cameraPosition = {v.eye.X, v.eye.Y, v.eye.Z, 1};
  rci.cameraDirection = f;
  rci.cameraUp = u;
}

void TGLRenderer::setup_fog(TGLSceneBuffer& buffer) {
  glDisable(GL_FOG);
  if (!buffer.FogEnable()) return;
  TGLFogEnvironment& fog = buffer.FogEnvironment();
  GLint mode = fog.FogMode() == fmExp ? GL_EXP : fog.FogMode() == fmExp2 ? GL_EXP2 : GL_LINEAR;
  glFogi(GL_FOG_MODE, mode);
  glFogf(GL_FOG_START, fog.FogStart());
  glFogf(GL_FOG_END, fog.FogEnd());
  // The exponential modes reach 1/e at the end distance.
  float range = fog.FogEnd() > 0 ? fog.FogEnd() : 1;
  glFogf(GL_FOG_DENSITY, 1.0f / range);
  const TVector& c = fog.FogColor().Color();
  GLfloat color[4] = {c.X, c.Y, c.Z, c.W};
  glFogfv(GL_FOG_COLOR, color);
  glHint(GL_FOG_HINT, GL_NICEST);
  if (has_fog_distance_) {
    GLint distance = fog.FogDistance() == fdEyeRadial ? GL_EYE_RADIAL_NV : GL_EYE_PLANE_ABSOLUTE_NV;
    glFogi(GL_FOG_DISTANCE_MODE_NV, distance);
  }
}

namespace {

void collect_lights(TGLBaseSceneObject& object, std::vector<TGLLightSource*>& lights) {
  for (int i = 0; i < object.Count(); ++i) {
    TGLBaseSceneObject* child = object.Children(i);
    if (auto* light = dynamic_cast<TGLLightSource*>(child); light && light->Shining())
      lights.push_back(light);
    collect_lights(*child, lights);
  }
}

void gl_color(GLenum light, GLenum what, const TVector& c) {
  GLfloat v[4] = {c.X, c.Y, c.Z, c.W};
  glLightfv(light, what, v);
}

}  // namespace

void TGLRenderer::setup_lights(TGLRenderContextInfo& rci) {
  TGLSceneBuffer& buffer = *rci.buffer;
  const TVector& ambient = buffer.AmbientColor().Color();
  GLfloat model_ambient[4] = {ambient.X, ambient.Y, ambient.Z, ambient.W};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, model_ambient);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
  hud_ambient_ = ambient;

  std::vector<TGLLightSource*> lights;
  collect_lights(rci.scene->Objects(), lights);
  collect_lights(rci.scene->Cameras(), lights);
  GLint max_lights = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &max_lights);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&rci.viewMatrix[0][0]);
  int used = 0;
  for (TGLLightSource* light : lights) {
    if (used >= max_lights) break;
    GLenum id = GL_LIGHT0 + used++;
    const TMatrix& world = light->AbsoluteMatrix();
    TVector spot = normalize3(vector_transform(light->SpotDirection().AsVector(), world));
    if (light->LightStyle() == lsParallel) {
      GLfloat dir[4] = {-spot.X, -spot.Y, -spot.Z, 0};
      glLightfv(id, GL_POSITION, dir);
    } else {
      TVector p = world[3];
      GLfloat pos[4] = {p.X, p.Y, p.Z, 1};
      glLightfv(id, GL_POSITION, pos);
    }
    gl_color(id, GL_AMBIENT, light->Ambient().Color());
    gl_color(id, GL_DIFFUSE, light->Diffuse().Color());
    gl_color(id, GL_SPECULAR, light->Specular().Color());
    glLightf(id, GL_CONSTANT_ATTENUATION, light->ConstAttenuation());
    glLightf(id, GL_LINEAR_ATTENUATION, light->LinearAttenuation());
    glLightf(id, GL_QUADRATIC_ATTENUATION, light->QuadraticAttenuation());
    bool spot_light = light->LightStyle() == lsSpot && light->SpotCutOff() < 180;
    glLightf(id, GL_SPOT_CUTOFF, spot_light ? std::max(0.0f, light->SpotCutOff()) : 180.0f);
    glLightf(id, GL_SPOT_EXPONENT, std::clamp(light->SpotExponent(), 0.0f, 128.0f));
    GLfloat sd[3] = {spot.X, spot.Y, spot.Z};
    glLightfv(id, GL_SPOT_DIRECTION, sd);
    glEnable(id);
    const TVector& la = light->Ambient().Color();
    hud_ambient_ = {hud_ambient_.X + la.X, hud_ambient_.Y + la.Y, hud_ambient_.Z + la.Z,
                    hud_ambient_.W};
  }
  for (int i = used; i < max_lights; ++i) glDisable(GL_LIGHT0 + i);
}

void TGLRenderer::draw_hud(TGLRenderContextInfo& rci) {
  if (hud_queue_.empty()) return;
  int w = std::max(1, rci.viewPortWidth), h = std::max(1, rci.viewPortHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, w, h, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  // A flat picture on the screen has no side facing a light: it takes the ambient light only
  // (the scene's and the lights' own), so a HUD colour does not change as the ship moves.
  GLint max_lights = 8;
  glGetIntegerv(GL_MAX_LIGHTS, &max_lights);
  for (int i = 0; i < max_lights; ++i) glDisable(GL_LIGHT0 + i);
  GLfloat ambient[4] = {std::min(hud_ambient_.X, 1.0f), std::min(hud_ambient_.Y, 1.0f),
                        std::min(hud_ambient_.Z, 1.0f), hud_ambient_.W};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);

  in_hud_pass_ = true;
  std::vector<TGLBaseSceneObject*> queue;
  queue.swap(hud_queue_);
  for (TGLBaseSceneObject* object : queue) RenderObject(*object, identity_matrix(), rci);
  in_hud_pass_ = false;
  if (rci.buffer->DepthTest()) glEnable(GL_DEPTH_TEST);
}

// ---------------------------------------------------------------------------------------------
// The tree walk

void TGLRenderer::LoadModelMatrix(const TMatrix& world, TGLRenderContextInfo& rci) {
  rci.modelMatrix = world;
  TMatrix mv = matrix_multiply(world, rci.viewMatrix);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(&mv[0][0]);
}

TGLObjectsSorting TGLRenderer::sorting_of(TGLBaseSceneObject& object) const {
  TGLObjectsSorting s = object.ObjectsSorting();
  return s == osInherited ? inherited_sorting_ : s;
}

void TGLRenderer::RenderObject(TGLBaseSceneObject& object, const TMatrix& parentWorld,
                               TGLRenderContextInfo& rci) {
  if (!object.Visible()) return;
  bool hud = is_hud_object(object);
  if (hud && !in_hud_pass_) {
    // HUD trees wait for the last pass.
    hud_queue_.push_back(&object);
    return;
  }
  if (!hud && in_hud_pass_) {
    // A 3D object inside a HUD tree is not drawn there, but HUD objects under it still are;
    // they ignore their parents' places, so no matrix is handed down.
    if (rci.drawChildren && object.Count() > 0) RenderChildren(object, identity_matrix(), rci);
    return;
  }
  TMatrix world = matrix_multiply(object.LocalMatrix(), parentWorld);
  if (!hud) LoadModelMatrix(world, rci);
  TGLObjectEffects& effects = object.Effects();
  for (int i = 0; i < effects.Count(); ++i)
    if (dynamic_cast<TGLObjectPreEffect*>(&effects[i])) effects[i].Render(rci);
  object.Render(rci);
  for (int i = 0; i < effects.Count(); ++i) {
    if (dynamic_cast<TGLObjectPostEffect*>(&effects[i])) {
      if (!hud) LoadModelMatrix(world, rci);
      effects[i].Render(rci);
    }
  }
  if (rci.drawChildren && object.Count() > 0) RenderChildren(object, world, rci);
}

void TGLRenderer::RenderChildren(TGLBaseSceneObject& object, const TMatrix& world,
                                 TGLRenderContextInfo& rci) {
  int n = object.Count();
  if (n == 0) return;
  TGLObjectsSorting saved = inherited_sorting_;
  TGLObjectsSorting sorting = sorting_of(object);
  inherited_sorting_ = sorting;
  switch (sorting) {
    case osRenderBlendedLast:
      // Opaque first, then the blended ones, each in list order.
      for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < n; ++i) {
          TGLBaseSceneObject* child = object.Children(i);
          if (!child->Visible() || child->IsBlended() != (pass == 1)) continue;
          RenderObject(*child, world, rci);
        }
      }
      break;
    case osRenderFarthestFirst: {
      size_t base = depth_scratch_.size();
      for (int i = 0; i < n; ++i) {
        TGLBaseSceneObject* child = object.Children(i);
        if (!child->Visible()) continue;
        TVector p = vector_transform(child->LocalMatrix()[3], world);
        TVector d = p - rci.cameraPosition;
        depth_scratch_.emplace_back(dot3(d, d), child);
      }
      std::stable_sort(depth_scratch_.begin() + static_cast<ptrdiff_t>(base), depth_scratch_.end(),
                       [](const auto& a, const auto& b) { return a.first > b.first; });
      std::vector<TGLBaseSceneObject*> order;
      for (size_t i = base; i < depth_scratch_.size(); ++i)
        order.push_back(depth_scratch_[i].second);
      depth_scratch_.resize(base);
      for (TGLBaseSceneObject* child : order) RenderObject(*child, world, rci);
      break;
    }
    default:
      for (int i = 0; i < n; ++i) RenderObject(*object.Children(i), world, rci);
      break;
  }
  inherited_sorting_ = saved;
}
