#pragma once
// One line per event on stderr, whole lines even when threads log at once.
#include <string>

namespace nimbo::phonesim {

void Log(const std::string& line);

}  // namespace nimbo::phonesim
