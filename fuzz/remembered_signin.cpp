// ReadRememberedSignIn and RememberedSignInLine: the remembered sign-in file
// "ini.txt" (GBK: user, password and flag separated by ten at signs).
//
// The input is read twice. As the file's bytes: what is read is well-formed
// UTF-8 without the separator or a line break, is the start of the first
// line, and nothing after the first line break matters. As a sign-in typed in
// the window (user and password separated by a NUL byte, a second NUL for
// "do not remember"): the line written ends in CR LF and reads back to the
// same user, the password only when it is remembered, and the same flag; a
// character that GBK cannot hold comes back as "?", every other one as it was.
// The format cannot hold a user name that ends in "@" or a remembered
// password that ends in "@" (the separator would move), nor one that holds
// the separator; those are left out of the round trip.
#include "core/ansi.h"
#include "core/form_text.h"
#include "core/startup.h"
#include "fuzz/fuzz_checks.h"
#include "signin/frmlogin.h"

using lumaro::fuzz::Require;

namespace {

const std::string kSeparator = lumaro::kIniSeparator;

bool SameRead(const std::optional<lumaro::RememberedSignIn>& a,
              const std::optional<lumaro::RememberedSignIn>& b) {
  if (a.has_value() != b.has_value()) return false;
  return !a || (a->user == b->user && a->password == b->password && a->remembered == b->remembered);
}

void CheckFileBytes(const std::string& bytes) {
  const std::optional<lumaro::RememberedSignIn> read = lumaro::ReadRememberedSignIn(bytes);
  const std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  Require(SameRead(read, lumaro::ReadRememberedSignIn(line + "\r\n" + bytes)),
          "only the first line is read");
  if (!read) return;
  for (const std::string* field : {&read->user, &read->password}) {
    Require(lumaro::fuzz::IsUtf8(*field), "the fields are well-formed UTF-8");
    Require(field->find(kSeparator) == std::string::npos, "no field holds the separator");
    Require(field->find_first_of("\r\n") == std::string::npos, "no field holds a line break");
  }
  const std::string text = lumaro::AnsiToUtf8(line);
  const std::string front = read->user + kSeparator + read->password + kSeparator;
  Require(text.compare(0, front.size(), front) == 0, "user and password start the line");
  const std::string flag = text.substr(front.size());
  Require(flag.find(kSeparator) == std::string::npos, "the line has exactly three fields");
  double value = 0;
  const bool number = lumaro::ReadWholeNumber(flag, &value);
  Require(read->remembered.has_value() == number, "the flag is read when it is a number");
  if (number) Require(*read->remembered == (value == 1), "the flag 1 remembers");
}

// Text as the window would show it after a trip through GBK: each character
// kept, or "?" where GBK has none.
bool KeptOrQuestionMark(const std::string& typed, const std::string& read) {
  std::vector<char32_t> a, b;
  if (!lumaro::fuzz::DecodeUtf8(typed, &a) || !lumaro::fuzz::DecodeUtf8(read, &b)) return false;
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && b[i] != U'?') return false;
  return true;
}

bool EndsWithAt(const std::string& text) { return !text.empty() && text.back() == '@'; }

void CheckRoundTrip(const std::string& input) {
  std::vector<std::string> parts = lumaro::SplitText(input, std::string(1, '\0'));
  const std::string& user = parts[0];
  const std::string password = parts.size() > 1 ? parts[1] : "";
  const bool remember = parts.size() < 3;
  // What the window can hold: well-formed UTF-8 on one line.
  for (const std::string* typed : {&user, &password})
    if (!lumaro::fuzz::IsUtf8(*typed) || typed->find_first_of("\r\n") != std::string::npos) return;

  const std::string line = lumaro::RememberedSignInLine(user, password, remember);
  Require(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0,
          "the line ends in CR LF");
  Require(line.find_first_of("\r\n") == line.size() - 2, "the file holds one line");

  if (user.find(kSeparator) != std::string::npos || EndsWithAt(user)) return;
  if (remember && (password.find(kSeparator) != std::string::npos || EndsWithAt(password))) return;
  const std::optional<lumaro::RememberedSignIn> read = lumaro::ReadRememberedSignIn(line);
  Require(read.has_value(), "a written line reads back");
  Require(KeptOrQuestionMark(user, read->user), "the user name reads back");
  Require(read->remembered == remember, "the flag reads back");
  if (remember)
    Require(KeptOrQuestionMark(password, read->password), "a remembered password reads back");
  else
    Require(read->password.empty(), "a password not remembered is not written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = lumaro::fuzz::Bytes(data, size);
  CheckFileBytes(input);
  CheckRoundTrip(input);
  return 0;
}
