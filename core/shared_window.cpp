#include "core/shared_window.h"

#include <algorithm>
#include <vector>

namespace lumaro {

namespace {

std::vector<SharedWindowBase*>& Listed() {
  static std::vector<SharedWindowBase*> listed;
  return listed;
}

}  // namespace

SharedWindowBase::SharedWindowBase() { Listed().push_back(this); }

SharedWindowBase::~SharedWindowBase() { std::erase(Listed(), this); }

void ReleaseSharedWindows() {
  for (SharedWindowBase* shared : Listed()) shared->Release();
}

}  // namespace lumaro
