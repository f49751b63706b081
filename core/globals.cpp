#include "core/globals.h"

#include "core/desktop.h"

namespace lumaro {

std::string gUserName;
std::string gAppCaption;
std::string gOemSupportQQ;
std::string gOemCode;
int32_t gOemUnitPrice = 0;
std::string gHttpResult;
std::shared_ptr<IHttpRequest> gHttpRequest;
bool gStopWaiting = false;
std::string gMemoTarget;
std::string gVisitorTarget;
std::string gCheckTarget;
std::string gOpenTarget;
std::string gInfoTarget;

void ResetGlobals() {
  gUserName.clear();
  gAppCaption.clear();
  gOemSupportQQ.clear();
  gOemCode.clear();
  gOemUnitPrice = 0;
  gHttpResult.clear();
  gHttpRequest.reset();
  gStopWaiting = false;
  gMemoTarget.clear();
  gVisitorTarget.clear();
  gCheckTarget.clear();
  gOpenTarget.clear();
  gInfoTarget.clear();
}

}  // namespace lumaro
