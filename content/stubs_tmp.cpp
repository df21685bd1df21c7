// Product groups that have not been written yet.
#include "content/build.h"
namespace content {
void add_picture_products(std::vector<Product>&) {}
void add_material_products(std::vector<Product>&) {}
void add_model_products(std::vector<Product>&) {}
void add_actor_products(std::vector<Product>&) {}
}  // namespace content
