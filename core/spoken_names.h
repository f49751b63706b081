// The names assistive tools (screen readers) speak for the windows'
// controls. `given` is the name the form gave the control
// (ControlStyle::accessibleName), `control` its own name ("txtuser").
#pragma once

#include <string>

namespace lumaro {

// A label: the given name, else its caption with each run of blanks made
// one and the blanks at either end removed ("" for a caption of blanks).
std::string LabelSpokenName(const std::string& caption, const std::string& given);

// A text box, check box or browser: the given name, else the control's own.
std::string FieldSpokenName(const std::string& control, const std::string& given);

// A drawn button: its caption as it shows it (WithoutAccessKeyMarks), else
// the given name, else the control's own.
std::string DrawnButtonSpokenName(const std::string& control, const std::string& caption,
                                  const std::string& given);

// A caption as a drawn button shows it: "&" marks the next character as the
// access key and is not shown, "&&" shows one "&", a final "&" nothing.
std::string WithoutAccessKeyMarks(const std::string& caption);

}  // namespace lumaro
