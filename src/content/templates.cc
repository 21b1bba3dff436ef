#include "content/templates.h"

#include <cstddef>

namespace sb::content {
namespace embedded {
extern const unsigned char template_linea_data[];
extern const std::size_t template_linea_size;
extern const unsigned char template_treno_data[];
extern const std::size_t template_treno_size;
extern const unsigned char template_project_data[];
extern const std::size_t template_project_size;
extern const unsigned char example_project_data[];
extern const std::size_t example_project_size;
}  // namespace embedded

std::string_view TemplateLineBytes() {
  return {reinterpret_cast<const char*>(embedded::template_linea_data),
          embedded::template_linea_size};
}

std::string_view TemplateTrainBytes() {
  return {reinterpret_cast<const char*>(embedded::template_treno_data),
          embedded::template_treno_size};
}

std::string_view TemplateProjectBytes() {
  return {reinterpret_cast<const char*>(embedded::template_project_data),
          embedded::template_project_size};
}

std::string_view ExampleProjectBytes() {
  return {reinterpret_cast<const char*>(embedded::example_project_data),
          embedded::example_project_size};
}

}  // namespace sb::content
