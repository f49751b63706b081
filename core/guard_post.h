// What the consoles' guards read from a form post: the values they check,
// taken from the post text the browser hands over.
#pragma once

#include <string>

namespace lumaro {

// The values a guard checks, read from the post text with GetUrlParam and
// kept as written.
struct GuardPost {
  std::string transtype;  // the action code
  std::string types;      // the form or query variant
};
GuardPost ReadGuardPost(const std::string& postText);

// A post value read as the number written ("1.5" is 1.5, neither 1 nor 2);
// throws std::runtime_error when it is none: empty, text, or too large to
// hold.
double GuardPostNumber(const std::string& text);

}  // namespace lumaro
