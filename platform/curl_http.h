// HTTP requests over libcurl's multi interface, driven by the GLib main loop:
// the requests' sockets and curl's timer are GLib sources, so a blocking
// main-loop iteration wakes as soon as a reply arrives.
#pragma once

#include <memory>

#include "core/desktop.h"

namespace lumaro::gtk {

class CurlHttpFactory : public IHttpFactory {
 public:
  CurlHttpFactory();
  ~CurlHttpFactory() override;
  std::shared_ptr<IHttpRequest> CreateRequest() override;

  struct Multi;

 private:
  std::shared_ptr<Multi> multi_;
};

}  // namespace lumaro::gtk
