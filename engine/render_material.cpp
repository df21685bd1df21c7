// Materials as GL state (colours, blending, lighting, fog, culling, texture combining) and the
// texture objects: uploaded once with ImageAlpha applied, rebuilt when the texture says so,
// deleted when their object or library material is freed.
#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "engine/material_library.h"
#include "engine/renderer.h"
#include "engine/scene_buffer.h"
#include "engine/texture.h"

#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif

namespace {

void material_color(GLenum face, GLenum what, const TVector& c, float alpha = -1) {
  GLfloat v[4] = {c.X, c.Y, c.Z, alpha >= 0 ? alpha : c.W};
  glMaterialfv(face, what, v);
}

void face_properties(GLenum face, const TGLFaceProperties& p, float alpha) {
  material_color(face, GL_AMBIENT, p.Ambient().Color());
  material_color(face, GL_DIFFUSE, p.Diffuse().Color(), alpha);
  material_color(face, GL_EMISSION, p.Emission().Color());
  material_color(face, GL_SPECULAR, p.Specular().Color());
  glMaterialf(face, GL_SHININESS, static_cast<float>(std::clamp(p.Shininess(), 0, 128)));
}

GLenum polygon_mode(TGLPolygonMode m) {
  return m == pmLines ? GL_LINE : m == pmPoints ? GL_POINT : GL_FILL;
}

void blending(TBlendingMode mode) {
  switch (mode) {
    case bmOpaque:
      glDisable(GL_BLEND);
      break;
    case bmTransparency:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case bmAdditive:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
  }
}

GLint texture_env(TGLTextureMode mode) {
  switch (mode) {
    case tmModulate:
      return GL_MODULATE;
    case tmBlend:
      return GL_BLEND;
    case tmReplace:
      return GL_REPLACE;
    default:
      return GL_DECAL;
  }
}

GLint min_filter(TGLMinFilter f) {
  switch (f) {
    case miNearest:
      return GL_NEAREST;
    case miLinear:
      return GL_LINEAR;
    case miNearestMipmapNearest:
      return GL_NEAREST_MIPMAP_NEAREST;
    case miLinearMipmapNearest:
      return GL_LINEAR_MIPMAP_NEAREST;
    case miNearestMipmapLinear:
      return GL_NEAREST_MIPMAP_LINEAR;
    default:
      return GL_LINEAR_MIPMAP_LINEAR;
  }
}

int next_power_of_two(int v) {
  int p = 1;
  while (p < v) p <<= 1;
  return p;
}

// Nearest-texel resampling, for contexts that take only power-of-two sizes.
std::vector<uint8_t> resample(const std::vector<uint8_t>& rgba, int w, int h, int nw, int nh) {
  std::vector<uint8_t> out(static_cast<size_t>(nw) * nh * 4);
  for (int y = 0; y < nh; ++y) {
    int sy = static_cast<int>(static_cast<long>(y) * h / nh);
    for (int x = 0; x < nw; ++x) {
      int sx = static_cast<int>(static_cast<long>(x) * w / nw);
      std::memcpy(&out[(static_cast<size_t>(y) * nw + x) * 4],
                  &rgba[(static_cast<size_t>(sy) * w + sx) * 4], 4);
    }
  }
  return out;
}

}  // namespace

unsigned TGLRenderer::upload(std::vector<uint8_t> rgba, int width, int height, int magFilter,
                             int minFilter, int wrapS, int wrapT, bool* transparent) {
  ++uploads_;
  // A short picture is padded rather than read past its end.
  rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
  // GL counts rows from the bottom: the picture's last row goes first, so t = 0 is its foot.
  size_t row = static_cast<size_t>(width) * 4;
  std::vector<uint8_t> tmp(row);
  for (int y = 0; y < height / 2; ++y) {
    uint8_t* a = rgba.data() + static_cast<size_t>(y) * row;
    uint8_t* b = rgba.data() + static_cast<size_t>(height - 1 - y) * row;
    std::memcpy(tmp.data(), a, row);
    std::memcpy(a, b, row);
    std::memcpy(b, tmp.data(), row);
  }
  bool clear_texel = false;
  for (size_t i = 3; i < rgba.size(); i += 4)
    if (rgba[i] < 255) {
      clear_texel = true;
      break;
    }
  if (transparent) *transparent = clear_texel;

  int w = width, h = height;
  if (!has_npot_) {
    w = next_power_of_two(w);
    h = next_power_of_two(h);
  }
  w = std::min(w, max_texture_size_);
  h = std::min(h, max_texture_size_);
  if (w != width || h != height) rgba = resample(rgba, width, height, w, h);

  bool mipmaps = minFilter != GL_NEAREST && minFilter != GL_LINEAR;
  if (mipmaps && !has_generate_mipmap_) {
    minFilter = (minFilter == GL_NEAREST_MIPMAP_NEAREST || minFilter == GL_NEAREST_MIPMAP_LINEAR)
                    ? GL_NEAREST
                    : GL_LINEAR;
    mipmaps = false;
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT);
  if (mipmaps) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  return name;
}

bool TGLRenderer::BindTexture(const TGLTexture& texture, bool* transparent) {
  const TGLPersistentImage& image = texture.Image();
  if (image.Empty() || image.Pixels().size() < static_cast<size_t>(image.Width()) *
                                                   static_cast<size_t>(image.Height()) * 4)
    return false;
  auto it = textures_.find(&texture);
  if (it == textures_.end() || texture.rebuild_pending() ||
      it->second.revision != texture.revision()) {
    if (it != textures_.end()) {
      glDeleteTextures(1, &it->second.name);
    } else {
      it = textures_.emplace(&texture, Texture{}).first;
    }
    // Looked up again on every upload: a new texture may sit where a freed one was.
    find_holder(texture, it->second);
    TGLTextureWrap wrap = texture.TextureWrap();
    GLint ws = (wrap == twBoth || wrap == twHorizontal) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    GLint wt = (wrap == twBoth || wrap == twVertical) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    it->second.name = upload(texture.PreparedTexels(), image.Width(), image.Height(),
                             texture.MagFilter() == maNearest ? GL_NEAREST : GL_LINEAR,
                             min_filter(texture.MinFilter()), ws, wt, &it->second.transparent);
    it->second.revision = texture.revision();
    // The pending flag is the texture's note to us; clearing it changes nothing it shows.
    const_cast<TGLTexture&>(texture).mark_built();
  } else {
    glBindTexture(GL_TEXTURE_2D, it->second.name);
  }
  if (transparent) *transparent = it->second.transparent;
  return true;
}

void TGLRenderer::find_holder(const TGLTexture& texture, Texture& entry) {
  entry.holder = nullptr;
  entry.lib_material = nullptr;
  const auto* material = dynamic_cast<const TGLMaterial*>(texture.Owner());
  if (!material) return;
  IGLNotifyAble* owner = material->Owner();
  if (const auto* lib_material = dynamic_cast<const TGLLibMaterial*>(owner)) {
    entry.lib_material = lib_material;
    entry.holder = lib_material->Library();
  } else {
    entry.holder = dynamic_cast<const TComponent*>(owner);
  }
  watch(entry.holder);
}

void TGLRenderer::sweep_library_textures() {
  // A reloaded library frees its materials while it lives on: the textures it still has are
  // gathered, and the entries of the others go. Libraries hold tens of materials: cheap.
  std::vector<const TComponent*> libraries;
  for (const auto& [texture, entry] : textures_)
    if (entry.lib_material && entry.holder &&
        std::find(libraries.begin(), libraries.end(), entry.holder) == libraries.end())
      libraries.push_back(entry.holder);
  if (libraries.empty()) return;
  live_scratch_.clear();
  for (const TComponent* holder : libraries) {
    const auto* library = dynamic_cast<const TGLMaterialLibrary*>(holder);
    if (!library) continue;
    const TGLLibMaterials& items = library->Materials();
    for (int32_t i = 0; i < items.Count(); ++i)
      if (const TGLTexture* t = items[i].Material().TextureIfCreated()) live_scratch_.insert(t);
  }
  for (auto it = textures_.begin(); it != textures_.end();) {
    if (it->second.lib_material && it->second.holder && !live_scratch_.count(it->first)) {
      dead_names_.push_back(it->second.name);
      it = textures_.erase(it);
    } else {
      ++it;
    }
  }
}

bool TGLRenderer::BindPicture(const TComponent* owner, uint64_t revision,
                              const platform::Picture& picture, bool linearMag, bool linearMin,
                              TGLTextureImageAlpha alpha) {
  if (picture.width <= 0 || picture.height <= 0 ||
      picture.rgba.size() < static_cast<size_t>(picture.width) * picture.height * 4)
    return false;
  auto it = pictures_.find(owner);
  if (it != pictures_.end() && it->second.revision == revision) {
    glBindTexture(GL_TEXTURE_2D, it->second.name);
    return true;
  }
  if (it != pictures_.end()) {
    glDeleteTextures(1, &it->second.name);
  } else {
    watch(owner);
    it = pictures_.emplace(owner, Texture{}).first;
  }
  std::vector<uint8_t> rgba = picture.rgba;
  apply_image_alpha(rgba, alpha);
  it->second.name = upload(std::move(rgba), picture.width, picture.height,
                           linearMag ? GL_LINEAR : GL_NEAREST, linearMin ? GL_LINEAR : GL_NEAREST,
                           GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE, &it->second.transparent);
  it->second.revision = revision;
  return true;
}

void TGLRenderer::ApplyMaterial(const TGLMaterial& own, TGLRenderContextInfo& rci, float alpha) {
  const TGLMaterial& m = own.Effective();
  const TGLFaceProperties& front = m.FrontProperties();
  TGLSceneBuffer& buffer = *rci.buffer;
  TMaterialOptions options = m.MaterialOptions();

  bool cull =
      m.FaceCulling() == fcCull || (m.FaceCulling() == fcBufferDefault && buffer.FaceCulling());
  if (cull)
    glEnable(GL_CULL_FACE);
  else
    glDisable(GL_CULL_FACE);

  bool lit = buffer.Lighting() && !(options & moNoLighting);
  const TGLFaceProperties* back = m.BackPropertiesIfCreated();
  if (lit) {
    glEnable(GL_LIGHTING);
    if (back && !cull) {
      face_properties(GL_FRONT, front, alpha);
      face_properties(GL_BACK, *back, alpha);
      glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    } else {
      face_properties(GL_FRONT_AND_BACK, front, alpha);
      glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    }
  } else {
    glDisable(GL_LIGHTING);
    const TVector& c = front.Diffuse().Color();
    glColor4f(c.X, c.Y, c.Z, alpha >= 0 ? alpha : c.W);
  }
  glPolygonMode(GL_FRONT_AND_BACK, polygon_mode(front.PolygonMode()));

  blending(m.BlendingMode());
  glDepthMask(GL_TRUE);
  if (buffer.FogEnable() && !(options & moIgnoreFog) && !in_hud_pass_)
    glEnable(GL_FOG);
  else
    glDisable(GL_FOG);

  const TGLTexture* texture = m.TextureIfCreated();
  bool transparent = false;
  if (texture && texture->Enabled() && BindTexture(*texture, &transparent)) {
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, texture_env(texture->TextureMode()));
    // Fully transparent texels (super-black, the top-left colour) leave no mark, not even in
    // the depth buffer, whatever the blending.
    if (transparent) {
      glEnable(GL_ALPHA_TEST);
      glAlphaFunc(GL_GREATER, 0.0f);
    } else {
      glDisable(GL_ALPHA_TEST);
    }
  } else {
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_ALPHA_TEST);
  }
}

void TGLRenderer::ApplyPlain(TBlendingMode mode, bool depthWrite, bool fog,
                             TGLRenderContextInfo& rci) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_CULL_FACE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  blending(mode);
  glDepthMask(depthWrite ? GL_TRUE : GL_FALSE);
  if (fog && rci.buffer->FogEnable() && !in_hud_pass_)
    glEnable(GL_FOG);
  else
    glDisable(GL_FOG);
}
