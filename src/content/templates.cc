#include "content/templates.h"

#include <cstddef>

namespace sb::content {
namespace embedded {
extern const unsigned char template_linea_data[];
extern const std::size_t template_linea_size;
extern const unsigned char template_treno_data[];
extern const std::size_t template_treno_size;
}  // namespace embedded

std::string_view TemplateLineBytes() {
  return {reinterpret_cast<const char*>(embedded::template_linea_data),
          embedded::template_linea_size};
}

std::string_view TemplateTrainBytes() {
  return {reinterpret_cast<const char*>(embedded::template_treno_data),
          embedded::template_treno_size};
}

}  // namespace sb::content
