// What the faults do to an answer's bytes: the download header, the text of
// a huge answer, a body cut inside a character, form fields that have lost
// their names, and the error page. The kinds and their names are in
// stand_in.h.
#pragma once

#include <cstddef>
#include <string>

namespace lumaro::service {

inline constexpr size_t kDefaultHugeBytes = 8u << 20;
inline constexpr const char* kDownloadType = "application/octet-stream";

// The header of an answer sent as a download. The name goes out as given
// (only line breaks, which would end the header, are left out): a test may
// propose any name a hostile server could.
std::string AttachmentHeader(const std::string& fileName);

// Byte `offset` of a Huge answer of `total` bytes: GBK text, ending on an
// ASCII byte when `total` is odd.
char HugeByte(size_t offset, size_t total);

// The GBK body cut just after the lead byte of its last double-byte
// character; an ASCII-only body gets a Chinese word cut that way instead.
std::string CutInsideCharacter(std::string bytes);

// Removes the name and id attributes of the form fields (input, select,
// textarea) whose name or id is in `fields` (comma-separated, letter case
// ignored; every field's when `fields` is empty), and the labels' references
// to them. Attribute values are quoted, as on every page of the service.
std::string WithoutFieldNames(const std::string& html, const std::string& fields);

// The short GBK error page of a Status fault.
std::string ErrorPage(int status);

}  // namespace lumaro::service
