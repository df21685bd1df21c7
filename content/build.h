// The generator's products: every file of the game's working directory and of the form's stored
// assets, each made by a function of its own, and the build that writes them.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "content/bytes.h"

namespace content {

struct Product {
  std::string path;  // relative to the output folder, with "/" ("modely/lod.3ds")
  std::function<Bytes()> make;
  int cost = 1;  // rough relative cost; the build starts the dear ones first
  // A file the game rewrites (the player's progress): made only where there is none yet, so a
  // rebuild keeps what the player reached.
  bool keep_existing = false;
};

// Every product, in a fixed order.
std::vector<Product> all_products();

// The assets stored with the form, listed in form/index.txt as "name file" lines.
struct FormAsset {
  std::string name;  // object or wave name ("menustart", "wave03")
  std::string file;  // within form/ ("menustart.jpg")
};
std::vector<FormAsset> form_assets();

// The two halves of the products: the game's working directory holds only modely/ and data/;
// the form's stored assets (form/) are compiled into the game and never go there.
bool in_working_dir(const std::string& path);
bool stored_with_form(const std::string& path);

// Makes the products whose path passes `filter` (all when empty) and writes them under `outdir`,
// creating folders, with `threads` workers; a product kept when it exists is left alone then.
// Throws on the first failure.
void build(const std::string& outdir, int threads,
           const std::function<bool(const std::string&)>& filter = {}, std::ostream* log = nullptr);

// The product groups, one per module.
void add_data_products(std::vector<Product>& out);
void add_sound_products(std::vector<Product>& out);
void add_music_products(std::vector<Product>& out);
void add_picture_products(std::vector<Product>& out);
void add_material_products(std::vector<Product>& out);
void add_model_products(std::vector<Product>& out);
void add_level_products(std::vector<Product>& out);
void add_actor_products(std::vector<Product>& out);

}  // namespace content
