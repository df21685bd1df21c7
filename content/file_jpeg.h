// JPEG writer through libjpeg: the menu picture and the larger stored pictures.
#pragma once

#include "content/bytes.h"
#include "content/image.h"

namespace content {

// Baseline JPEG of the picture's colour (alpha dropped); quality 1..100.
Bytes write_jpeg(const Image& image, int quality = 90);

}  // namespace content
