#include "tools/render/html_page.h"

#include <nlohmann/json.hpp>
#include <string_view>

#include "tools/render/svg_writer.h"
#include "tools/render/viewer_data.h"

// The page's script and style, embedded at build time.
namespace sb::render::embedded {
extern const unsigned char viewer_js_data[];
extern const std::size_t viewer_js_size;
extern const unsigned char viewer_css_data[];
extern const std::size_t viewer_css_size;
}  // namespace sb::render::embedded

namespace sb::render {
namespace {

std::string_view Embedded(const unsigned char* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// JSON inside a <script> element. The HTML parser reads the element's text
// before any script does: "</script" ends it, and "<!--" followed by
// "<script" makes the parser skip the end tag that follows, so that the
// rest of the page is swallowed. With no '<' left the parser sees neither.
// These characters only occur inside JSON strings, where an escape reads
// back as the same text. U+2028 and U+2029 end a line in older scripts.
std::string ScriptSafe(const nlohmann::json& value) {
  const std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '<') {
      out += "\\u003c";
    } else if (c == '>') {
      out += "\\u003e";
    } else if (c == '&') {
      out += "\\u0026";
    } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
               (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
      out += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

// The relative URL of the file `name` beside the page, byte for byte.
std::string RelativeUrl(std::string_view name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~') {
      url += c;
    } else {
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0xF];
    }
  }
  return url;
}

std::string Document(const std::string& title, const nlohmann::json& data,
                     const PageOptions& options) {
  nlohmann::json watch = nullptr;
  if (!options.sidecar.empty()) {
    watch = {{"generation", options.generation}, {"sidecarUrl", RelativeUrl(options.sidecar)}};
  }
  std::string s = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  s += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n";
  s += "<title>" + Esc(title) + "</title>\n<style>\n";
  s += Embedded(embedded::viewer_css_data, embedded::viewer_css_size);
  s += "</style>\n</head>\n<body>\n";
  s += "<script type=\"application/json\" id=\"sb-data\">" + ScriptSafe(data) + "</script>\n";
  s += "<script type=\"application/json\" id=\"sb-watch\">" + ScriptSafe(watch) + "</script>\n";
  s += "<script>\n";
  s += Embedded(embedded::viewer_js_data, embedded::viewer_js_size);
  s += "</script>\n</body>\n</html>\n";
  return s;
}

}  // namespace

std::string RenderHtml(const RenderInput& in, const PageOptions& options,
                       const std::vector<std::string>& warnings) {
  nlohmann::json data = ViewerData(in);
  if (!warnings.empty()) data["warnings"] = warnings;
  return Document(in.lineId + ", train " + in.trainNumber, data, options);
}

std::string DiagnosticsHtml(const std::string& title, const std::vector<std::string>& diagnostics,
                            const PageOptions& options) {
  return Document(title, {{"title", title}, {"diagnostics", diagnostics}}, options);
}

std::string SidecarScript(int64_t generation) {
  return "window.sbGeneration && window.sbGeneration(" + std::to_string(generation) + ");\n";
}

}  // namespace sb::render
