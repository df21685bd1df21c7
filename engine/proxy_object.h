// A proxy shows another object's geometry at its own place (the shot pools draw their shot
// meshes this way); it forgets its master when the master is freed.
#pragma once

#include <cstdint>

#include "engine/scene_object.h"

enum TGLProxyObjectOption : uint32_t {
  pooEffects = 1u << 0,
  pooObjects = 1u << 1,
  pooTransformation = 1u << 2,
};
using TGLProxyObjectOptions = uint32_t;
constexpr TGLProxyObjectOptions cDefaultProxyOptions = pooEffects | pooObjects | pooTransformation;

class TGLProxyObject : public TGLBaseSceneObject {
 public:
  explicit TGLProxyObject(TComponent* owner = nullptr);
  ~TGLProxyObject() override;

  TGLBaseSceneObject* MasterObject() const { return master_; }
  void SetMasterObject(TGLBaseSceneObject* master);
  TGLProxyObjectOptions ProxyOptions() const { return options_; }
  void SetProxyOptions(TGLProxyObjectOptions options);

  // The master's extents, or the base object's without a master.
  TVector HalfExtents() override;
  // The ray is taken into the master's space (as the master is drawn here), tested there, and
  // the hit brought back.
  bool RayIntersect(const TVector& rayStart, const TVector& rayVector, TVector* intersectPoint,
                    TVector* intersectNormal) override;
  void Assign(const TGLBaseSceneObject& source) override;
  // The master's geometry at our place, then its children (engine/render_objects.cpp).
  void Render(TGLRenderContextInfo& rci) override;
  void EmitGeometry(TGLRenderContextInfo& rci) override;
  // As blended as the master it shows (a chain that comes back to us is not).
  bool IsBlended() override;

  // Set while the proxy draws its master, so a proxy reached again through it draws nothing.
  bool Rendering() const { return rendering_; }
  void SetRendering(bool v) { rendering_ = v; }

 protected:
  void Notification(TComponent* component) override;

 private:
  TGLBaseSceneObject* master_ = nullptr;
  TComponent* master_component_ = nullptr;  // the same object, compared while it is being freed
  TGLProxyObjectOptions options_ = cDefaultProxyOptions;
  bool rendering_ = false;
};
