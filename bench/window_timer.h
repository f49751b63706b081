// Measures the time from starting a program to the first map of a top-level
// window whose title matches, on the X display (no window manager needed).
#pragma once

#include <string>
#include <vector>

namespace bench {

// Seconds from spawn to the window being mapped, or a negative value when
// it did not appear within `timeout` seconds. The program is killed after.
double TimeToWindow(const std::vector<std::string>& argv, const std::string& titleSubstring,
                    double timeout);

double Median(std::vector<double> v);

}  // namespace bench
