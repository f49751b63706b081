// The markup the stand-in's pages share: the document with its style sheet,
// a notice page, form inputs, labelled form rows and the messenger's chat
// link. Texts are UTF-8.
#pragma once

#include <string>

#include "service_state.h"

namespace lumaro::service {

// A whole page: the GB2312 content type, the title (escaped), the style
// sheet and `body` as given.
std::string Doc(const std::string& title, const std::string& body);

// A page with one message and an optional link back.
std::string Notice(const std::string& title, const std::string& message,
                   const std::string& backHref = "", const std::string& backText = "返回");

// An input whose name and id are `name`, with `value` escaped and `extra`
// attributes as given.
std::string Input(const std::string& name, const std::string& value = "",
                  const std::string& type = "text", const std::string& extra = "");

// A form row: the caption is the label of the row's first control, so that
// screen readers (and the tests, through the accessibility tree) name the
// control after it.
std::string Row(const std::string& caption, const std::string& control);

// The messenger's chat link for a QQ number, on the state's chat host.
std::string ChatLink(const ServiceState& st, const std::string& qq);

}  // namespace lumaro::service
