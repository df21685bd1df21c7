// Texture pictures, settings and the preparation of their texels.
#include "engine/texture.h"

#include <algorithm>
#include <cmath>

namespace {

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  put_u16(out, v & 0xFFFF);
  put_u16(out, v >> 16);
}

}  // namespace

// --- picture

void TGLPersistentImage::changed() { NotifyChange(this); }

void TGLPersistentImage::Assign(const platform::Picture& picture) {
  picture_ = picture;
  bitmap_.clear();
  changed();
}

void TGLPersistentImage::Clear() {
  picture_ = {};
  bitmap_.clear();
  changed();
}

std::vector<uint8_t> TGLPersistentImage::SaveToBitmap() const {
  if (Empty()) return {};
  if (!bitmap_.empty()) return bitmap_;
  return encode_bmp32(picture_);
}

std::vector<uint8_t> encode_bmp32(const platform::Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const uint64_t w = static_cast<uint64_t>(picture.width);
  const uint64_t h = static_cast<uint64_t>(picture.height);
  // A bitmap's sizes are 32-bit; a picture that does not fit has no bitmap.
  if (w * h * 4 > 0xFFFFFFFFull - 54 || picture.rgba.size() < w * h * 4) return {};
  const uint32_t pixels = static_cast<uint32_t>(w * h * 4);
  std::vector<uint8_t> out;
  out.reserve(54 + size_t{pixels});
  out.push_back('B');
  out.push_back('M');
  put_u32(out, 54 + pixels);
  put_u32(out, 0);
  put_u32(out, 54);
  put_u32(out, 40);  // BITMAPINFOHEADER
  put_u32(out, static_cast<uint32_t>(w));
  put_u32(out, static_cast<uint32_t>(h));  // positive height: rows bottom-up
  put_u16(out, 1);
  put_u16(out, 32);
  put_u32(out, 0);  // BI_RGB
  put_u32(out, pixels);
  put_u32(out, 2835);
  put_u32(out, 2835);
  put_u32(out, 0);
  put_u32(out, 0);
  for (uint64_t row = h; row-- > 0;) {
    const uint8_t* p = picture.rgba.data() + row * w * 4;
    for (uint64_t x = 0; x < w; ++x, p += 4) {
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
      out.push_back(p[3]);
    }
  }
  return out;
}

// --- texture

TGLTexture::TGLTexture(IGLNotifyAble* owner) : TGLUpdateAbleObject(owner), image_(this) {}

void TGLTexture::rebuild() {
  rebuild_pending_ = true;
  ++revision_;
  NotifyChange(this);
}

// The picture tells us through here; any other part of ours calls rebuild() itself.
void TGLTexture::NotifyChange(IGLNotifyAble* sender) {
  if (sender == &image_) {
    rebuild_pending_ = true;
    ++revision_;
  }
  TGLUpdateAbleObject::NotifyChange(sender);
}

void TGLTexture::SetImageAlpha(TGLTextureImageAlpha v) {
  if (v == image_alpha_) return;
  image_alpha_ = v;
  rebuild();
}

void TGLTexture::SetImageBrightness(float v) {
  if (v == image_brightness_) return;
  image_brightness_ = v;
  rebuild();
}

void TGLTexture::SetImageGamma(float v) {
  if (v == image_gamma_) return;
  image_gamma_ = v;
  rebuild();
}

void TGLTexture::SetMagFilter(TGLMagFilter v) {
  if (v == mag_filter_) return;
  mag_filter_ = v;
  rebuild();
}

void TGLTexture::SetMinFilter(TGLMinFilter v) {
  if (v == min_filter_) return;
  min_filter_ = v;
  rebuild();
}

void TGLTexture::SetTextureMode(TGLTextureMode v) {
  if (v == texture_mode_) return;
  texture_mode_ = v;
  rebuild();
}

void TGLTexture::SetTextureWrap(TGLTextureWrap v) {
  if (v == texture_wrap_) return;
  texture_wrap_ = v;
  rebuild();
}

void TGLTexture::SetDisabled(bool v) {
  if (v == disabled_) return;
  disabled_ = v;
  NotifyChange(this);
}

std::vector<uint8_t> TGLTexture::PreparedTexels() const {
  std::vector<uint8_t> texels = image_.Pixels();
  const size_t count = texels.size() / 4;
  texels.resize(count * 4);
  if (image_brightness_ != 1 || image_gamma_ != 1) {
    // A table per channel value; a gamma of 0 or below (or NaN) would divide by nothing.
    uint8_t table[256];
    bool gamma = image_gamma_ > 0 && image_gamma_ != 1;
    for (int i = 0; i < 256; ++i) {
      double v = i / 255.0;
      if (gamma) v = std::pow(v, 1.0 / image_gamma_);
      v *= image_brightness_;
      v = std::isfinite(v) ? std::clamp(v, 0.0, 1.0) : (v > 0 ? 1.0 : 0.0);
      table[i] = static_cast<uint8_t>(std::lround(v * 255));
    }
    for (size_t i = 0; i < count; ++i)
      for (int c = 0; c < 3; ++c) texels[i * 4 + c] = table[texels[i * 4 + c]];
  }
  apply_image_alpha(texels, image_alpha_);
  return texels;
}

void apply_image_alpha(std::vector<uint8_t>& rgba, TGLTextureImageAlpha rule) {
  const size_t count = rgba.size() / 4;
  auto mean = [&](size_t i) { return (rgba[i * 4] + rgba[i * 4 + 1] + rgba[i * 4 + 2]) / 3; };
  auto sqrt_scaled = [](int v) {
    return static_cast<uint8_t>(std::lround(std::sqrt(v / 255.0) * 255));
  };
  switch (rule) {
    case tiaDefault:
      break;
    case tiaAlphaFromIntensity:
    case tiaLuminance:
      for (size_t i = 0; i < count; ++i) rgba[i * 4 + 3] = static_cast<uint8_t>(mean(i));
      break;
    case tiaLuminanceSqrt:
      for (size_t i = 0; i < count; ++i) rgba[i * 4 + 3] = sqrt_scaled(mean(i));
      break;
    case tiaInverseLuminance:
      for (size_t i = 0; i < count; ++i) rgba[i * 4 + 3] = static_cast<uint8_t>(255 - mean(i));
      break;
    case tiaInverseLuminanceSqrt:
      for (size_t i = 0; i < count; ++i)
        rgba[i * 4 + 3] = static_cast<uint8_t>(255 - sqrt_scaled(mean(i)));
      break;
    case tiaSuperBlackTransparent:
      for (size_t i = 0; i < count; ++i) {
        bool black = rgba[i * 4] == 0 && rgba[i * 4 + 1] == 0 && rgba[i * 4 + 2] == 0;
        rgba[i * 4 + 3] = black ? 0 : 255;
      }
      break;
    case tiaOpaque:
      for (size_t i = 0; i < count; ++i) rgba[i * 4 + 3] = 255;
      break;
    case tiaTopLeftPointColorTransparent:
      if (count == 0) break;
      for (size_t i = 0; i < count; ++i)
        if (rgba[i * 4] == rgba[0] && rgba[i * 4 + 1] == rgba[1] && rgba[i * 4 + 2] == rgba[2])
          rgba[i * 4 + 3] = 0;
      break;
  }
}
