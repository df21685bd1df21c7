// The scene renderer over OpenGL 1.x: one frame of a viewer's buffer (background, fog, ambient
// light, the lights, the camera's projection and view, the object tree in its drawing order,
// the HUD on top) and the shared drawing services the objects' Render overrides use: model
// matrices, materials, textures and the per-object caches of prepared geometry.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/material.h"
#include "engine/render_context.h"
#include "engine/scene_object.h"
#include "engine/vector_math.h"
#include "platform/platform.h"

class TGLLibMaterial;
class TGLSceneBuffer;
class TGLTexture;

// What the renderer keeps for one object between frames (mesh arrays, sky tessellation).
class TGLRenderCache {
 public:
  virtual ~TGLRenderCache() = default;
};

class TGLRenderer {
 public:
  // The renderer of the program's one GL context.
  static TGLRenderer& Instance();
  ~TGLRenderer();

  // Draws one frame into the current context; rci carries the camera, scene and view size.
  void RenderFrame(TGLSceneBuffer& buffer, TGLRenderContextInfo& rci);

  // --- the tree walk
  // Draws a visible object and its subtree; `parentWorld` is the parent's world matrix.
  void RenderObject(TGLBaseSceneObject& object, const TMatrix& parentWorld,
                    TGLRenderContextInfo& rci);
  // The children of `object` (whose world matrix is `world`) in the drawing order.
  void RenderChildren(TGLBaseSceneObject& object, const TMatrix& world, TGLRenderContextInfo& rci);
  // GL modelview := world · view; remembered in rci.modelMatrix.
  void LoadModelMatrix(const TMatrix& world, TGLRenderContextInfo& rci);
  // True while the HUD objects are drawn (orthographic, in pixels).
  bool InHUDPass() const { return in_hud_pass_; }

  // --- state for the objects' drawing
  // The effective material (the library's when the name resolves): colours, blending,
  // lighting, fog, culling and texture. `alpha` ≥ 0 replaces the front alpha.
  void ApplyMaterial(const TGLMaterial& material, TGLRenderContextInfo& rci, float alpha = -1);
  // Unlit, untextured, unculled colour drawing with the given blending (effects, wire frames).
  void ApplyPlain(TBlendingMode blending, bool depthWrite, bool fog, TGLRenderContextInfo& rci);
  // Binds the texture, uploading it when it is new here or marked changed; false without a
  // picture. `transparent` tells whether some texel is not fully opaque.
  bool BindTexture(const TGLTexture& texture, bool* transparent = nullptr);
  // The same for a picture someone else owns (the font's glyphs), rebuilt when `revision` moves;
  // the alpha rule is applied to the uploaded copy.
  bool BindPicture(const TComponent* owner, uint64_t revision, const platform::Picture& picture,
                   bool linearMag, bool linearMin, TGLTextureImageAlpha alpha = tiaDefault);

  // The cache slot of an object (null until set); dropped when the object is freed or the GL
  // context is replaced.
  TGLRenderCache* Cache(const TComponent* owner) const;
  void SetCache(const TComponent* owner, std::unique_ptr<TGLRenderCache> cache);

  // Extensions of the current context.
  bool HasFogDistance() const { return has_fog_distance_; }

  // Frame counters for tests and the benchmark.
  uint64_t FramesDrawn() const { return frames_; }
  uint64_t TextureUploads() const { return uploads_; }
  // GL texture objects made for textures and pictures and not yet deleted.
  size_t TextureObjects() const { return textures_.size() + pictures_.size() + dead_names_.size(); }

 private:
  TGLRenderer();
  struct Texture {
    unsigned name = 0;
    uint64_t revision = 0;
    bool transparent = false;
    // Who frees the texture: the object whose own material holds it, or the library of the
    // library material that does (`lib_material`); null when neither is known.
    const TComponent* holder = nullptr;
    const TGLLibMaterial* lib_material = nullptr;
  };
  class Watcher;

  void ensure_context();
  void forget(const TComponent* owner);
  // Where a texture's entry is dropped from: its holder, found through its material's owner.
  void find_holder(const TGLTexture& texture, Texture& entry);
  // Drops the entries of library materials that a library no longer has (it was reloaded).
  void sweep_library_textures();
  // Deletes the GL names of freed textures (in the current context; they may go while none is).
  void delete_dead_names();
  // Asks to hear when `owner` is freed (once per owner).
  void watch(const TComponent* owner);
  void setup_projection(TGLRenderContextInfo& rci);
  void setup_view(TGLRenderContextInfo& rci);
  void setup_fog(TGLSceneBuffer& buffer);
  void setup_lights(TGLRenderContextInfo& rci);
  void draw_hud(TGLRenderContextInfo& rci);
  unsigned upload(std::vector<uint8_t> rgba_top_first, int width, int height, int magFilter,
                  int minFilter, int wrapS, int wrapT, bool* transparent);
  TGLObjectsSorting sorting_of(TGLBaseSceneObject& object) const;

  std::unique_ptr<Watcher> watcher_;
  unsigned context_marker_ = 0;
  bool has_fog_distance_ = false;
  bool has_generate_mipmap_ = false;
  bool has_npot_ = false;
  int max_texture_size_ = 1024;
  std::unordered_map<const TGLTexture*, Texture> textures_;
  std::unordered_map<const TComponent*, Texture> pictures_;
  std::unordered_map<const TComponent*, std::unique_ptr<TGLRenderCache>> caches_;
  std::unordered_set<const TComponent*> watched_;
  std::vector<unsigned> dead_names_;
  std::unordered_set<const TGLTexture*> live_scratch_;

  TGLObjectsSorting inherited_sorting_ = osRenderBlendedLast;
  bool in_hud_pass_ = false;
  std::vector<TGLBaseSceneObject*> hud_queue_;
  std::vector<std::pair<float, TGLBaseSceneObject*>> depth_scratch_;
  TVector hud_ambient_ = {0, 0, 0, 1};
  uint64_t frames_ = 0;
  uint64_t uploads_ = 0;
};

// HUD objects are drawn in the last pass, in pixels, over everything else.
bool is_hud_object(const TGLBaseSceneObject& object);
