// The pictures: the menu's level previews and settings picture (library materials m8..m14), the
// menu background "data\menu1.jpg", and the pictures stored with the form: the title, the top
// bar, hearts, banners, buttons, cursors and the textures of the fixed objects.
#pragma once

#include <string>

#include "content/image.h"

namespace content {

Image level_picture(int level);  // 256 x 256
Image settings_picture();        // 256 x 256
Image title_picture();           // 640 x 480, menustart
Image menu_picture();            // 640 x 480, data\menu1.jpg
Image top_bar_picture();         // 640 x 76, menuvrch
// The stored texture of a fixed object ("lod", "sud1", "strela4", ...); empty when none.
Image object_texture(const std::string& object);

}  // namespace content
