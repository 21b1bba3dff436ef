// The side and the curvature of a curve are read from its keyword loosely:
// any 's' in it turns the curve left, and the lowest of the digits 1 to 6
// in it names the class. Authors read the letter after "curva" as the side
// and the digit as the class; this check tells where the two readings part.
#ifndef SB_COMPILER_CURVE_KEYWORD_H_
#define SB_COMPILER_CURVE_KEYWORD_H_

#include <string>

#include "compiler/description.h"
#include "compiler/scenario.h"

namespace sb {

// curve-keyword, for the curve record just read with `keyword`, when its
// side is not told by an 's' or a 'd' right after "curva" or it holds more
// than one digit. Quiet for a keyword that names no curvature (an error).
void CheckCurveKeyword(Scenario& s, const Description& d, const std::string& keyword);

}  // namespace sb

#endif  // SB_COMPILER_CURVE_KEYWORD_H_
