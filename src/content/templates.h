// The template an author starts a scenario from: a small line and train
// description that compile without error or warning and use every kind of
// record once. Kept as data files and embedded at build time, like the
// scenario's documents.
#ifndef SB_CONTENT_TEMPLATES_H_
#define SB_CONTENT_TEMPLATES_H_

#include <string_view>

namespace sb::content {

// The line description (<ID>_linea.txt), byte for byte (CR LF line ends).
std::string_view TemplateLineBytes();
// The train description (<ID>_<N>-.txt), byte for byte (CR LF line ends).
std::string_view TemplateTrainBytes();
// The project file (scenario.toml) beside them, with "@LINE@" and
// "@TRAIN@" where the line identifier and the train number go, each as a
// TOML string.
std::string_view TemplateProjectBytes();

// The built-in scenario's project file: the values its documents print that
// its descriptions do not hold.
std::string_view ExampleProjectBytes();

}  // namespace sb::content

#endif  // SB_CONTENT_TEMPLATES_H_
