// karmund-content: "build OUTDIR" writes the game's working directory (modely/ and data/),
// "form OUTDIR" the form's stored assets (OUTDIR/form/, compiled into the game by its build);
// "inspect FILE" prints what the engine's readers make of a data file.
#include <chrono>
#include <cstring>
#include <exception>
#include <iostream>
#include <string>

#include "content/build.h"
#include "content/file_report.h"
#include "content/preview.h"

namespace {

int usage() {
  std::cerr
      << "usage: karmund-content build OUTDIR [-v]   (the working directory: modely/, data/)\n"
         "       karmund-content form OUTDIR [-v]    (the form's stored assets: OUTDIR/form/)\n"
         "       karmund-content inspect FILE\n"
         "       karmund-content preview OUTDIR   (PNG pictures of the levels and textures)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string verb = argv[1];
  if (verb == "build" || verb == "form") {
    bool verbose = argc > 3 && std::strcmp(argv[3], "-v") == 0;
    auto start = std::chrono::steady_clock::now();
    try {
      content::build(argv[2], 2,
                     verb == "build" ? content::in_working_dir : content::stored_with_form,
                     verbose ? &std::cout : nullptr);
    } catch (const std::exception& e) {
      std::cerr << "karmund-content: " << e.what() << "\n";
      return 1;
    }
    double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::cout << "built " << argv[2] << " in " << s << " s\n";
    return 0;
  }
  if (verb == "preview") {
    try {
      content::write_previews(argv[2]);
    } catch (const std::exception& e) {
      std::cerr << "karmund-content: " << e.what() << "\n";
      return 1;
    }
    return 0;
  }
  if (verb == "inspect") return inspect_file(argv[2]);
  return usage();
}
