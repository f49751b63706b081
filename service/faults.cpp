// The fault catalogue: the kinds' names as the control endpoint spells them,
// and what the faults do to an answer's bytes.
#include "faults.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gbk.h"
#include "stand_in.h"
#include "text_util.h"

namespace lumaro::service {

namespace {

struct KindName {
  Fault::Kind kind;
  const char* name;
};
constexpr KindName kKindNames[] = {
    {Fault::None, "none"},           {Fault::Status, "status"},   {Fault::EmptyBody, "empty"},
    {Fault::LoneLeadByte, "leadbyte"}, {Fault::Silence, "silence"}, {Fault::Truncated, "truncated"},
    {Fault::Huge, "huge"},           {Fault::Reset, "reset"},     {Fault::CutCharacter, "cutchar"},
    {Fault::MissingFields, "nofields"}, {Fault::Attachment, "attachment"},
};

// GBK text for the Huge fault: whole characters only, with every double-byte
// pair starting at an even offset, so that a cut at an odd length can end on
// an ASCII byte instead of a lone lead byte.
const std::string& HugePattern() {
  static const std::string pattern = ToGbk("统计数据Lumaro访客记录0123456789\r\n");
  return pattern;
}

}  // namespace

const char* FaultKindName(Fault::Kind kind) {
  for (const auto& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "none";
}

bool ParseFaultKind(const std::string& name, Fault::Kind* kind) {
  for (const auto& k : kKindNames) {
    if (EqualsNoCase(name, k.name)) {
      *kind = k.kind;
      return true;
    }
  }
  return false;
}

std::string AttachmentHeader(const std::string& fileName) {
  std::string name;
  for (char c : fileName)
    if (c != '\r' && c != '\n') name += c;
  return "attachment; filename=\"" + name + "\"";
}

char HugeByte(size_t offset, size_t total) {
  const std::string& p = HugePattern();
  if (offset + 1 == total && total % 2 == 1) return '.';
  return p[offset % p.size()];
}

std::string CutInsideCharacter(std::string bytes) {
  size_t lastLead = std::string::npos;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) {
      lastLead = i;
      ++i;  // its trail byte
    }
  }
  if (lastLead != std::string::npos && lastLead + 1 < bytes.size()) {
    bytes.resize(lastLead + 1);
    return bytes;
  }
  std::string word = ToGbk("数据");
  word.pop_back();
  return bytes + word;
}

std::string WithoutFieldNames(const std::string& html, const std::string& fields) {
  std::vector<std::string> wanted;
  for (size_t start = 0; start <= fields.size();) {
    size_t comma = fields.find(',', start);
    if (comma == std::string::npos) comma = fields.size();
    std::string name = fields.substr(start, comma - start);
    if (!name.empty()) wanted.push_back(LowerAscii(name));
    start = comma + 1;
  }
  auto chosen = [&](const std::string& value) {
    return wanted.empty() ||
           std::find(wanted.begin(), wanted.end(), LowerAscii(value)) != wanted.end();
  };
  // Value of attribute `attr` (" name=") inside a tag, with its extent.
  struct Attr {
    size_t begin = std::string::npos, end = 0;
    std::string value;
  };
  auto find = [](const std::string& tag, const char* attr) {
    Attr a;
    std::string lower = LowerAscii(tag);
    size_t at = lower.find(attr);
    if (at == std::string::npos) return a;
    size_t quote = at + std::strlen(attr);
    if (quote >= tag.size() || (tag[quote] != '"' && tag[quote] != '\'')) return a;
    size_t close = tag.find(tag[quote], quote + 1);
    if (close == std::string::npos) return a;
    a.begin = at;
    a.end = close + 1;
    a.value = tag.substr(quote + 1, close - quote - 1);
    return a;
  };

  std::string out;
  size_t pos = 0;
  while (pos < html.size()) {
    size_t open = html.find('<', pos);
    if (open == std::string::npos) break;
    size_t close = html.find('>', open);
    if (close == std::string::npos) break;
    std::string tag = html.substr(open, close + 1 - open);
    std::string lower = LowerAscii(tag);
    bool field = false;
    for (const char* kind : {"<input", "<select", "<textarea"}) {
      size_t n = std::strlen(kind);
      if (lower.compare(0, n, kind) == 0 && (lower[n] == ' ' || lower[n] == '>')) field = true;
    }
    if (field) {
      Attr name = find(tag, " name=");
      Attr id = find(tag, " id=");
      if ((name.begin != std::string::npos && chosen(name.value)) ||
          (id.begin != std::string::npos && chosen(id.value))) {
        // The later attribute first, so that the earlier one's place holds.
        Attr* parts[] = {&name, &id};
        if (id.begin != std::string::npos &&
            (name.begin == std::string::npos || id.begin > name.begin))
          std::swap(parts[0], parts[1]);
        for (Attr* a : parts)
          if (a->begin != std::string::npos) tag.erase(a->begin, a->end - a->begin);
      }
    } else if (lower.compare(0, 7, "<label ") == 0) {
      // A caption that named a field by its id names nothing now.
      Attr target = find(tag, " for=");
      if (target.begin != std::string::npos && chosen(target.value))
        tag.erase(target.begin, target.end - target.begin);
    }
    out.append(html, pos, open - pos);
    out += tag;
    pos = close + 1;
  }
  out.append(html, pos, std::string::npos);
  return out;
}

std::string ErrorPage(int status) {
  return ToGbk(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
      "<title>HTTP " + std::to_string(status) + "</title></head><body><h3>HTTP " +
      std::to_string(status) + " 服务器错误</h3><p>无法显示该网页，请稍后再试。</p></body></html>");
}

}  // namespace lumaro::service
