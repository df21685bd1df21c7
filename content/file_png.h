// PNG writer through libpng, for the preview pictures people look at (the game reads none).
#pragma once

#include "content/bytes.h"
#include "content/image.h"

namespace content {

Bytes write_png(const Image& image);

}  // namespace content
