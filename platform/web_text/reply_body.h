// The body of a reply as it arrives.
#pragma once

#include <cstddef>
#include <string>

namespace lumaro::gtk {

// Appends `size` bytes to `body` unless that would make it longer than
// `cap`; false (and `body` unchanged) when it would, or when there is no
// memory for it. Nothing is reserved ahead of what arrives.
bool AppendCapped(std::string& body, const char* data, size_t size, size_t cap) noexcept;

}  // namespace lumaro::gtk
