// Tokens that tell callbacks whether the object they were made for is still
// there.
#pragma once

#include <memory>

namespace lumaro::gtk {

// Expires with its owner; callbacks that may outlive the owner hold a
// weak_ptr to it and do nothing once it has expired.
using AliveToken = std::shared_ptr<bool>;
inline AliveToken NewAliveToken() { return std::make_shared<bool>(true); }

}  // namespace lumaro::gtk
