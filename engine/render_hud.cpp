// Drawing of the HUD objects in view pixels (the renderer's HUD pass has set the projection,
// with Y downwards and no depth test) and of bitmap-font strings.
#include <GL/gl.h>

#include <cmath>

#include "engine/bitmap_font.h"
#include "engine/hud_sprite.h"
#include "engine/hud_text.h"
#include "engine/renderer.h"

namespace {

// Screen placement: translate to (x, y), turn by `degrees` (counter-clockwise as seen), scale.
void load_screen_matrix(float x, float y, float degrees, float sx, float sy) {
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(x, y, 0);
  // Y runs down the screen, so a turn that looks counter-clockwise is a negative one here.
  if (degrees != 0) glRotatef(-degrees, 0, 0, 1);
  glScalef(sx, sy, 1);
}

float dpi_factor(const TGLRenderContextInfo& rci) { return rci.dpi / 96.0f; }

}  // namespace

void TGLHUDSprite::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer) return;
  float f = dpi_factor(rci);
  rci.renderer->ApplyMaterial(Material(), rci, AlphaChannel() != 1 ? AlphaChannel() : -1);
  glDisable(GL_CULL_FACE);
  glDepthMask(GL_FALSE);
  load_screen_matrix(Position().X() * f, Position().Y() * f, Rotation(), f, f);
  float hw = Width() * 0.5f, hh = Height() * 0.5f;
  float u = static_cast<float>(x_tiles_), v = static_cast<float>(y_tiles_);
  // The picture upright: its top row (t = YTiles) at the rectangle's top edge.
  const float corners[4][4] = {{-hw, -hh, 0, v}, {hw, -hh, u, v}, {hw, hh, u, 0}, {-hw, hh, 0, 0}};
  glNormal3f(0, 0, 1);
  glBegin(GL_QUADS);
  for (const auto& c : corners) {
    glTexCoord2f(c[2], c[3]);
    glVertex2f(c[0], c[1]);
  }
  glEnd();
  glDepthMask(GL_TRUE);
}

void TGLHUDText::EmitGeometry(TGLRenderContextInfo& rci) {
  if (!rci.renderer || !font_ || text_.empty()) return;
  float f = dpi_factor(rci);
  // The font lays out with Y up; the screen's Y runs down.
  load_screen_matrix(Position().X() * f, Position().Y() * f, rotation_, Scale().X() * f,
                     -Scale().Y() * f);
  font_->RenderString(rci, text_, alignment_, layout_, modulate_color_.Color());
}

void TGLCustomBitmapFont::RenderString(TGLRenderContextInfo& rci, const std::string& text,
                                       TAlignment alignment, TTextLayout layout,
                                       const TVector& color) {
  if (!rci.renderer) return;
  std::vector<TGLGlyphQuad> quads = LayoutText(text, alignment, layout);
  if (quads.empty()) return;
  TGLRenderer& renderer = *rci.renderer;
  renderer.ApplyPlain(bmTransparency, false, false, rci);
  bool linear_min = min_filter_ != miNearest && min_filter_ != miNearestMipmapNearest &&
                    min_filter_ != miNearestMipmapLinear;
  // The glyph alpha rule is applied to the uploaded copy, so changing it never loses the
  // picture's own alpha.
  if (!renderer.BindPicture(this, glyphs_revision_, glyphs_, mag_filter_ == maLinear, linear_min,
                            glyphs_alpha_))
    return;
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glColor4f(color.X, color.Y, color.Z, color.W);
  std::vector<float> positions, texcoords;
  positions.reserve(quads.size() * 8);
  texcoords.reserve(quads.size() * 8);
  for (const TGLGlyphQuad& q : quads) {
    // The picture is stored foot first: a row measured from its top sits at t = 1 − that.
    float t0 = 1 - q.T0, t1 = 1 - q.T1;
    positions.insert(positions.end(), {q.X0, q.Y0, q.X1, q.Y0, q.X1, q.Y1, q.X0, q.Y1});
    texcoords.insert(texcoords.end(), {q.S0, t0, q.S1, t0, q.S1, t1, q.S0, t1});
  }
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, positions.data());
  glTexCoordPointer(2, GL_FLOAT, 0, texcoords.data());
  glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(quads.size() * 4));
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisable(GL_TEXTURE_2D);
}
