// Windows bitmap writer: uncompressed 24-bit pictures, as the material library and the form's
// stored pictures carry them.
#pragma once

#include "content/bytes.h"
#include "content/image.h"

namespace content {

Bytes write_bmp(const Image& image);

}  // namespace content
