// A material's texture: its picture (loaded from JPEG or Windows bitmap files or bytes), the
// filtering and combining settings, and the texels prepared for upload with ImageAlpha applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/coordinates.h"
#include "platform/platform.h"

enum TGLTextureImageAlpha {
  tiaDefault,
  tiaAlphaFromIntensity,
  tiaSuperBlackTransparent,
  tiaLuminance,
  tiaLuminanceSqrt,
  tiaOpaque,
  tiaTopLeftPointColorTransparent,
  tiaInverseLuminance,
  tiaInverseLuminanceSqrt,
};
enum TGLMagFilter { maNearest, maLinear };
enum TGLMinFilter {
  miNearest,
  miLinear,
  miNearestMipmapNearest,
  miLinearMipmapNearest,
  miNearestMipmapLinear,
  miLinearMipmapLinear,
};
enum TGLTextureMode { tmDecal, tmModulate, tmBlend, tmReplace };
enum TGLTextureWrap { twBoth, twNone, twVertical, twHorizontal };

// The picture of a texture: RGBA rows, top row first.
class TGLPersistentImage : public TGLUpdateAbleObject {
 public:
  explicit TGLPersistentImage(IGLNotifyAble* owner) : TGLUpdateAbleObject(owner) {}

  int Width() const { return picture_.width; }
  int Height() const { return picture_.height; }
  int Bits() const { return picture_.bits; }  // bits per pixel of the source
  bool Empty() const { return picture_.width <= 0 || picture_.height <= 0; }
  const std::vector<uint8_t>& Pixels() const { return picture_.rgba; }
  const platform::Picture& Picture() const { return picture_; }

  // A missing file clears the picture and fails with "Could not open file: <name>"; otherwise
  // the file is decoded by its extension (.jpg/.jpeg JPEG, .bmp bitmap, else by content).
  // A decoder error leaves the picture as it was.
  void LoadFromFile(const std::string& file_name);
  // A complete Windows bitmap file; its bytes are kept so that saving writes them back as read.
  void LoadFromBitmap(const std::vector<uint8_t>& bmp);
  void Assign(const platform::Picture& picture);
  void Clear();
  // A complete Windows bitmap file of the picture: the bytes it was read from, if it came from
  // a bitmap, or a new 32-bit bitmap otherwise; empty for an empty picture.
  std::vector<uint8_t> SaveToBitmap() const;

 private:
  void changed();
  platform::Picture picture_;
  std::vector<uint8_t> bitmap_;  // the source bitmap, when there was one
};

class TGLTexture : public TGLUpdateAbleObject {
 public:
  explicit TGLTexture(IGLNotifyAble* owner);

  TGLPersistentImage& Image() { return image_; }
  const TGLPersistentImage& Image() const { return image_; }
  const std::string& ImageClassName() const { return image_class_name_; }
  void SetImageClassName(const std::string& v) { image_class_name_ = v; }
  TGLTextureImageAlpha ImageAlpha() const { return image_alpha_; }
  void SetImageAlpha(TGLTextureImageAlpha v);
  float ImageBrightness() const { return image_brightness_; }
  void SetImageBrightness(float v);
  float ImageGamma() const { return image_gamma_; }
  void SetImageGamma(float v);
  TGLMagFilter MagFilter() const { return mag_filter_; }
  void SetMagFilter(TGLMagFilter v);
  TGLMinFilter MinFilter() const { return min_filter_; }
  void SetMinFilter(TGLMinFilter v);
  TGLTextureMode TextureMode() const { return texture_mode_; }
  void SetTextureMode(TGLTextureMode v);
  TGLTextureWrap TextureWrap() const { return texture_wrap_; }
  void SetTextureWrap(TGLTextureWrap v);
  bool Disabled() const { return disabled_; }
  void SetDisabled(bool v);
  bool Enabled() const { return !disabled_; }

  // The picture's texels as they are uploaded: brightness and gamma, then the ImageAlpha rule.
  std::vector<uint8_t> PreparedTexels() const;

  // Set whenever the picture or a setting that shapes the uploaded texture changed; the
  // renderer rebuilds the texture object and calls mark_built().
  bool rebuild_pending() const { return rebuild_pending_; }
  void mark_built() { rebuild_pending_ = false; }
  // Counts those changes, for renderers that keep several copies.
  uint64_t revision() const { return revision_; }

  void NotifyChange(IGLNotifyAble* sender) override;

 private:
  void rebuild();

  TGLPersistentImage image_;
  std::string image_class_name_ = "TGLPersistentImage";
  TGLTextureImageAlpha image_alpha_ = tiaDefault;
  float image_brightness_ = 1;
  float image_gamma_ = 1;
  TGLMagFilter mag_filter_ = maLinear;
  TGLMinFilter min_filter_ = miLinearMipmapLinear;
  TGLTextureMode texture_mode_ = tmDecal;
  TGLTextureWrap texture_wrap_ = twBoth;
  bool disabled_ = true;
  bool rebuild_pending_ = true;
  uint64_t revision_ = 0;
};

// Applies an ImageAlpha rule to RGBA texels in place.
void apply_image_alpha(std::vector<uint8_t>& rgba, TGLTextureImageAlpha rule);
// Encodes RGBA rows (top first) as a 32-bit uncompressed Windows bitmap file.
std::vector<uint8_t> encode_bmp32(const platform::Picture& picture);
