// The program's global variables. They live for the whole run, are touched
// only by the user-interface thread and are never cleared once set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "build_config.h"

namespace lumaro {

class IHttpRequest;

extern std::string gUserName;
extern std::string gAppCaption;
extern std::string gOemSupportQQ;
extern std::string gOemCode;
extern int32_t gOemUnitPrice;
extern std::string gHttpResult;
extern std::shared_ptr<IHttpRequest> gHttpRequest;
extern bool gStopWaiting;

// Hand-off variables: set just before a window is created, read at its load.
extern std::string gMemoTarget;
extern std::string gVisitorTarget;
extern std::string gCheckTarget;
extern std::string gOpenTarget;
extern std::string gInfoTarget;

// Puts every global back to its initial value (tests only).
void ResetGlobals();

}  // namespace lumaro
