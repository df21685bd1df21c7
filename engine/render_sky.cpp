// The sky dome around the camera: colour bands as gradient strips over their stacks and slices
// and the stars as points, tessellated once per change on a unit sphere and drawn at nearly the
// far distance without writing depth, fog or light.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "engine/camera.h"
#include "engine/renderer.h"
#include "engine/sky_dome.h"

namespace {

struct SkyCache : TGLRenderCache {
  uint64_t bands_revision = ~0ull;
  uint64_t stars_revision = ~0ull;
  // Triangles of all bands: 3 floats of place, 4 of colour per corner.
  std::vector<float> band_positions, band_colors;
  std::vector<float> star_positions, star_colors;
};

// A point of the unit sphere at an elevation and an azimuth (radians); +Y is straight up.
void sphere_point(double elevation, double azimuth, std::vector<float>& out) {
  double ce = std::cos(elevation);
  out.push_back(static_cast<float>(ce * std::sin(azimuth)));
  out.push_back(static_cast<float>(std::sin(elevation)));
  out.push_back(static_cast<float>(ce * std::cos(azimuth)));
}

void push_color(const TVector& c, std::vector<float>& out) {
  out.insert(out.end(), {c.X, c.Y, c.Z, c.W});
}

void build_bands(TGLSkyDome& sky, SkyCache& cache) {
  cache.band_positions.clear();
  cache.band_colors.clear();
  TSkyDomeBands& bands = sky.Bands();
  for (int b = 0; b < bands.Count(); ++b) {
    TSkyDomeBand& band = bands[b];
    double start = deg_to_rad(band.StartAngle()), stop = deg_to_rad(band.StopAngle());
    const TVector c0 = band.StartColor().Color(), c1 = band.StopColor().Color();
    int stacks = std::max(1, band.Stacks()), slices = std::max(3, band.Slices());
    for (int s = 0; s < stacks; ++s) {
      double t0 = static_cast<double>(s) / stacks, t1 = static_cast<double>(s + 1) / stacks;
      double e0 = start + (stop - start) * t0, e1 = start + (stop - start) * t1;
      TVector k0 = c0 + (c1 - c0) * static_cast<float>(t0);
      TVector k1 = c0 + (c1 - c0) * static_cast<float>(t1);
      for (int i = 0; i < slices; ++i) {
        double a0 = 2 * 3.14159265358979323846 * i / slices;
        double a1 = 2 * 3.14159265358979323846 * (i + 1) / slices;
        // Two triangles per cell, lower ring then upper ring.
        sphere_point(e0, a0, cache.band_positions);
        sphere_point(e0, a1, cache.band_positions);
        sphere_point(e1, a1, cache.band_positions);
        sphere_point(e0, a0, cache.band_positions);
        sphere_point(e1, a1, cache.band_positions);
        sphere_point(e1, a0, cache.band_positions);
        for (const TVector* k : {&k0, &k0, &k1, &k0, &k1, &k1}) push_color(*k, cache.band_colors);
      }
    }
  }
  cache.bands_revision = sky.BandsRevision();
}

// Magnitude 1 and brighter at full colour, fading by a fifth per magnitude down to a floor.
float star_brightness(float magnitude) {
  return std::clamp(1.0f - (magnitude - 1.0f) * 0.2f, 0.15f, 1.0f);
}

void build_stars(TGLSkyDome& sky, SkyCache& cache) {
  cache.star_positions.clear();
  cache.star_colors.clear();
  TSkyDomeStars& stars = sky.Stars();
  cache.star_positions.reserve(static_cast<size_t>(stars.Count()) * 3);
  cache.star_colors.reserve(static_cast<size_t>(stars.Count()) * 4);
  for (int i = 0; i < stars.Count(); ++i) {
    TSkyDomeStar& star = stars[i];
    sphere_point(deg_to_rad(star.Dec()), deg_to_rad(star.RA()), cache.star_positions);
    TVector c = ConvertWinColor(star.Color());
    float k = star_brightness(star.Magnitude());
    push_color({c.X * k, c.Y * k, c.Z * k, 1}, cache.star_colors);
  }
  cache.stars_revision = sky.StarsRevision();
}

}  // namespace

void TGLSkyDome::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer || !rci.camera) return;
  TGLRenderer& renderer = *rci.renderer;
  auto* cache = static_cast<SkyCache*>(renderer.Cache(this));
  if (!cache) {
    auto fresh = std::make_unique<SkyCache>();
    cache = fresh.get();
    renderer.SetCache(this, std::move(fresh));
  }
  if (cache->bands_revision != BandsRevision()) build_bands(*this, *cache);
  if (cache->stars_revision != StarsRevision()) build_stars(*this, *cache);

  TGLCameraProjection p = rci.camera->Projection(rci.viewPortWidth, rci.viewPortHeight, rci.dpi);
  float radius = static_cast<float>(0.95 * (p.nearPlane + rci.camera->DepthOfView()));
  // Our own orientation on the camera's place; our position plays no part.
  TMatrix world = rci.modelMatrix;
  for (int i = 0; i < 3; ++i) world[i] = normalize3(world[i]) * radius;
  world[3] = rci.cameraPosition;
  renderer.LoadModelMatrix(world, rci);

  renderer.ApplyPlain(bmOpaque, false, false, rci);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  if (!cache->band_positions.empty()) {
    glVertexPointer(3, GL_FLOAT, 0, cache->band_positions.data());
    glColorPointer(4, GL_FLOAT, 0, cache->band_colors.data());
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(cache->band_positions.size() / 3));
  }
  if (!cache->star_positions.empty()) {
    glPointSize(1.0f);
    glVertexPointer(3, GL_FLOAT, 0, cache->star_positions.data());
    glColorPointer(4, GL_FLOAT, 0, cache->star_colors.data());
    glDrawArrays(GL_POINTS, 0, static_cast<GLsizei>(cache->star_positions.size() / 3));
  }
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDepthMask(GL_TRUE);
}
