// The build: gathers the products of every module, makes them on a few worker threads (each
// product depends on nothing but its own code, so the order of making does not change a byte)
// and writes each file whole.
#include "content/build.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace content {

std::vector<Product> all_products() {
  std::vector<Product> out;
  add_data_products(out);
  add_sound_products(out);
  add_music_products(out);
  add_picture_products(out);
  add_material_products(out);
  add_model_products(out);
  add_level_products(out);
  add_actor_products(out);
  return out;
}

bool in_working_dir(const std::string& path) {
  return path.rfind("modely/", 0) == 0 || path.rfind("data/", 0) == 0;
}

bool stored_with_form(const std::string& path) { return path.rfind("form/", 0) == 0; }

namespace {

void write_whole(const std::filesystem::path& path, const Bytes& data) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  f.close();
  if (!f) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

void build(const std::string& outdir, int threads,
           const std::function<bool(const std::string&)>& filter, std::ostream* log) {
  std::vector<Product> todo;
  for (Product& p : all_products()) {
    if (filter && !filter(p.path)) continue;
    if (p.keep_existing && std::filesystem::exists(std::filesystem::path(outdir) / p.path))
      continue;
    todo.push_back(std::move(p));
  }
  std::stable_sort(todo.begin(), todo.end(),
                   [](const Product& a, const Product& b) { return a.cost > b.cost; });

  std::atomic<size_t> next{0};
  std::mutex guard;
  std::exception_ptr failure;
  auto worker = [&]() {
    for (;;) {
      size_t i = next++;
      if (i >= todo.size()) return;
      {
        std::lock_guard<std::mutex> lock(guard);
        if (failure) return;
      }
      try {
        auto start = std::chrono::steady_clock::now();
        Bytes data = todo[i].make();
        write_whole(std::filesystem::path(outdir) / todo[i].path, data);
        if (log) {
          double ms =
              std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                  .count();
          std::lock_guard<std::mutex> lock(guard);
          *log << todo[i].path << " " << data.size() << " bytes " << static_cast<int>(ms)
               << " ms\n";
        }
      } catch (...) {
        std::lock_guard<std::mutex> lock(guard);
        if (!failure) failure = std::current_exception();
        return;
      }
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < std::max(threads, 1); ++t) pool.emplace_back(worker);
  worker();
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace content
