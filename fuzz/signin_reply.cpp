// SignInAccepted: the reading of the service's answer to the sign-in request
// (fields split on "||", field 0 "ok" accepts).
//
// Properties: an answer is accepted exactly when it is "ok" or starts with
// "ok||" (case-sensitive, nothing trimmed); whatever follows "ok||" keeps it
// accepted, and anything put in front of an answer makes it a refusal.
#include "fuzz/fuzz_checks.h"
#include "signin/frmlogin.h"

using lumaro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string reply = lumaro::fuzz::Bytes(data, size);
  const bool accepted = lumaro::SignInAccepted(reply);
  Require(accepted == (reply == "ok" || reply.rfind("ok||", 0) == 0),
          "accepted exactly for \"ok\" alone or before \"||\"");
  Require(lumaro::SignInAccepted("ok||" + reply), "anything after ok|| is accepted");
  Require(!lumaro::SignInAccepted(" " + reply), "anything in front of ok is a refusal");
  Require(lumaro::SignInAccepted(reply + "\r\n") == (reply.rfind("ok||", 0) == 0),
          "a line break after ok is not trimmed");
  return 0;
}
