// The small data files of the working directory: the progress file and the form's asset index.
#include <cstdio>

#include "content/build.h"
#include "content/sounds.h"

namespace content {

void add_data_products(std::vector<Product>& out) {
  // Only level 1 open; the game records each level reached here, so a rebuild keeps the file.
  out.push_back({"data/volno.dtt", []() { return Bytes{'1', '\r', '\n'}; }, 1, true});
  out.push_back({"form/index.txt", []() {
                   std::string s;
                   for (const FormAsset& a : form_assets()) s += a.name + " " + a.file + "\n";
                   return Bytes(s.begin(), s.end());
                 }});
}

std::vector<FormAsset> form_assets() {
  std::vector<FormAsset> out;
  for (Product& p : all_products()) {
    if (!stored_with_form(p.path) || p.path == "form/index.txt") continue;
    std::string file = p.path.substr(5);
    out.push_back({file.substr(0, file.find('.')), file});
  }
  return out;
}

}  // namespace content
