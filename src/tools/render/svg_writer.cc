#include "tools/render/svg_writer.h"

#include <cmath>
#include <cstdio>

namespace sb::render {

std::string Num(double v) {
  if (!std::isfinite(v)) v = 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  if (s == "-0") s = "0";
  return s;
}

std::string Esc(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters are not allowed in an XML document.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string Km(double metres) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", metres / 1000.0);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s + " km";
}

std::string PathOf(const std::vector<Pt>& pts) {
  std::string d;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    d += i == 0 ? 'M' : 'L';
    d += Num(pts[i].x);
    d += ' ';
    d += Num(pts[i].y);
  }
  return d;
}

std::string SvgDocument(double width, double height, double fontSize, const std::string& title,
                        const std::string& body) {
  std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(width) + "\" height=\"" +
         Num(height) + "\" viewBox=\"0 0 " + Num(width) + " " + Num(height) +
         "\" font-family=\"DejaVu Sans, Verdana, Arial, sans-serif\" font-size=\"" + Num(fontSize) +
         "\">\n";
  svg += "<title>" + Esc(title) + "</title>\n";
  svg += "<rect x=\"0\" y=\"0\" width=\"" + Num(width) + "\" height=\"" + Num(height) +
         "\" fill=\"#ffffff\"/>\n";
  svg += body;
  svg += "</svg>\n";
  return svg;
}

}  // namespace sb::render
