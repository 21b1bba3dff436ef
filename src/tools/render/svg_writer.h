// Writing SVG text: numbers as the picture gives them, texts escaped for
// XML, and the pieces every element is made of.
#ifndef SB_TOOLS_RENDER_SVG_WRITER_H_
#define SB_TOOLS_RENDER_SVG_WRITER_H_

#include <string>
#include <vector>

#include "tools/render/geometry.h"

namespace sb::render {

// A coordinate or length: one decimal, none when it is zero ("12", "12.5");
// never "-0"; 0 for a value that is not finite.
std::string Num(double v);

// A UTF-8 text for an attribute value or element content: the five XML
// specials as entities, control characters (not allowed in XML) as spaces.
std::string Esc(const std::string& utf8);

// A distance as kilometres for a label: "12.35 km", without trailing zeros.
std::string Km(double metres);

// The "d" of a <path> through the points: "M x y L x y ...".
std::string PathOf(const std::vector<Pt>& pts);

// The whole document around `body`: the XML declaration, the <svg> element
// of `width` x `height` with its font, a <title> and a white background.
std::string SvgDocument(double width, double height, double fontSize, const std::string& title,
                        const std::string& body);

}  // namespace sb::render

#endif  // SB_TOOLS_RENDER_SVG_WRITER_H_
