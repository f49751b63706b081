// Local stand-in for the hosted statistics service: serves the ASP pages the
// client uses, in GBK, over loopback; records every request it receives and can
// be told to misbehave page by page. Used in-process by end-to-end tests and as
// the standalone program lumaro-service.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lumaro::service {

// One request as the service received it.
struct RecordedRequest {
  std::string method;  // "GET", "POST"
  std::string path;    // as received, without the query ("/GetVer.asp")
  std::string query;   // raw query string, still percent-encoded ("vID=2&t=1.5")
  std::string body;    // raw body bytes (a form post is GBK, percent-encoded)
  // Query parameters, then the fields of a form-encoded body: percent-decoded
  // and converted from GBK to UTF-8. A "+" in the query stays "+" (the client
  // sends passwords raw); in a form body it is a space.
  std::multimap<std::string, std::string> params;

  // First value of a parameter, name compared without regard to case; "" when
  // absent.
  std::string Param(const std::string& name) const;
  bool HasParam(const std::string& name) const;
  // "GET /GetVer.asp?vID=2&t=1" (the query part only when there is one).
  std::string Line() const;
};

// How a page misbehaves.
struct Fault {
  enum Kind {
    None,          // answer normally
    Status,        // answer with `status` and a short error page
    EmptyBody,     // 200 with an empty body
    LoneLeadByte,  // 200, the normal body followed by one byte >= 0x80
    Silence,       // never answer: hold the connection until the service stops
                   // or the fault is lifted (then the page answers normally)
    Truncated,     // Content-Length larger than the body sent, then close
    Huge,          // 200 with a body of `bytes` bytes (default 8 MiB) of GBK text
    Reset,         // close the connection (TCP reset) half-way through the body
    CutCharacter,  // 200, the body complete as announced but ending inside a
                   // double-byte character: cut after the lead byte of its
                   // last one (an ASCII-only body gets "数据" cut that way)
    MissingFields, // the page as usual, but the form fields named in `fields`
                   // (all of them when it is empty) have lost their names and
                   // ids, so that a script looking them up finds nothing
    Attachment,    // the page's body (or `bytes` bytes of GBK text, streamed,
                   // when `bytes` is set) sent as a download: binary type and
                   // "Content-Disposition: attachment" with the file name in
                   // `fields` (as given, quoted; it may be hostile)
  };
  Kind kind = None;
  int status = 500;
  size_t bytes = 0;
  // How many requests the fault applies to; 0 = every request until cleared.
  int times = 0;
  // MissingFields: the names, separated by commas ("n,u"). Attachment: the
  // file name the answer proposes.
  std::string fields;
  // Huge: the first half of the body goes out at once, the rest only once
  // the faults change (any SetFault or ClearFaults) or the service stops:
  // the answer is still loading for as long as the test wants.
  bool pauseHalfway = false;
};

// What a page reported about itself through the test markers (see
// EnablePageMarkers): its load, its showing, a followed link, or a mark of
// its own script.
struct PageMarker {
  std::string event;   // "load", "shown", "click", or what the page's
                       // script named
  std::string detail;  // "load", "shown": "/path?query" of the page;
                       // "click": the link's href as written; else the
                       // script's text
};

// Name of a fault kind as the control endpoint spells it ("status", "empty",
// "leadbyte", "silence", "truncated", "huge", "reset", "cutchar", "nofields",
// "attachment", "none"); parsing returns false for an unknown name.
const char* FaultKindName(Fault::Kind kind);
bool ParseFaultKind(const std::string& name, Fault::Kind* kind);

// Seeded state, restored by Reset().
inline constexpr const char* kDefaultVersion = "1-51";
inline constexpr const char* kDefaultOemRecord =
    "http://www.lumaro.example.cn@@@800012345@@@800022345@@@800032345@@@LMR38615@@@3";
// Accounts present at start: {name, password}.
inline constexpr const char* kSeededAccounts[][2] = {
    {"demo", "demo123"}, {"vyrd", "vyrd123"}, {"alice", "secret"}};

class StandInService {
 public:
  // port 0 picks a free port (see Port() after Start()). host is the address to
  // listen on; BaseUrl() uses 127.0.0.1 when it is 0.0.0.0.
  explicit StandInService(int port = 18080, std::string host = "127.0.0.1");
  ~StandInService();
  StandInService(const StandInService&) = delete;
  StandInService& operator=(const StandInService&) = delete;

  // Listens and serves on a background thread; returns once listening, false
  // when the address cannot be bound.
  bool Start();
  // Stops serving, releases held (silenced) connections without an answer and
  // joins the server thread. Safe to call twice.
  void Stop();
  bool Running() const;

  int Port() const;
  std::string BaseUrl() const;  // "http://127.0.0.1:PORT/"

  // Requests received since the start or the last ClearRequests(), oldest first
  // (the newest 20000 at most). Control requests (/__control/...) are not
  // recorded.
  std::vector<RecordedRequest> Requests() const;
  void ClearRequests();
  // Recorded requests whose path (case-insensitive) contains `pathSubstring`.
  size_t CountRequests(const std::string& pathSubstring) const;
  // True as soon as a recorded request (also one that arrived before the call)
  // has `pathSubstring` in its path or "path?query", case-insensitively; false
  // after `seconds`.
  bool WaitForRequest(std::string pathSubstring, double seconds) const;

  // Answers the service has finished sending (a held answer counts once it
  // has gone out), for requests whose "path?query" contains `pathSubstring`
  // (case-insensitive); waits until there are at least `count`.
  size_t CountAnswered(const std::string& pathSubstring) const;
  bool WaitForAnswered(const std::string& pathSubstring, size_t count, double seconds) const;

  // Reply of GetVer.asp (default kDefaultVersion). SetVer.asp changes it too.
  void SetVersion(std::string versionText);
  std::string Version() const;
  // Reply of GetOEM.asp (default kDefaultOemRecord). Field 4 is the reseller
  // code whose DigestToken the sign-in and the registration must carry.
  void SetOemRecord(std::string record);
  std::string OemRecord() const;
  // Host of the messenger chat links on the visitor page (default: the build's
  // chat-link host).
  void SetChatHost(std::string host);

  // pageName is matched without regard to case against the request path
  // without its leading "/" ("GetVer.asp", "site/101.html"); "*" matches every
  // page. A later fault for the same page replaces the earlier one.
  void SetFault(std::string pageName, Fault fault);
  void ClearFaults();

  // Test markers. When on, every HTML page the service sends carries a small
  // script that reports, with a request to /__marker (not recorded among the
  // requests): the page's load event, its pageshow event ("shown": after
  // the load, and also when going back or forward shows the page kept in
  // the browser's cache, without a load), every click on a link (before the
  // browser follows it), and the calls of the page's own scripts to
  // __lumaroMark(event, detail). Off by default; the end-to-end tests turn
  // it on to see a page's load without looking at the screen.
  void EnablePageMarkers(bool on);
  std::vector<PageMarker> Markers() const;
  // Markers of that event whose detail contains `detailPart`
  // (case-insensitive).
  size_t CountMarkers(const std::string& event, const std::string& detailPart) const;
  // True once there are at least `count` such markers; false after `seconds`.
  bool WaitForMarkers(const std::string& event, const std::string& detailPart, size_t count,
                      double seconds) const;

  // Sends `html` (UTF-8; sent in GBK like every page) as the body of a page,
  // matched like a fault's page name, instead of the page's own. The page's
  // own work is still done (its cookies, its changes to the accounts and
  // sites); a page the service does not have is answered with 200 too.
  // Faults apply as usual. Until ClearServedInstead() or Reset().
  void ServeInstead(std::string pageName, std::string html);
  void ClearServedInstead();

  void AddAccount(std::string user, std::string password);
  bool HasAccount(const std::string& user) const;  // case-insensitive
  std::string PasswordOf(const std::string& user) const;  // "" when absent
  // True once the counting script of a site page reported (count.asp?id=...).
  bool Counted(const std::string& siteId) const;

  // Accounts, sites, counts, version, OEM record, chat host and faults back to
  // their seeded values, no page served instead; the request log and the
  // markers are cleared.
  void Reset();

  // /__control/... endpoints for shell scripts and manual demos (off by
  // default): version?v=, oem?r=, chathost?host=,
  // fault?page=&kind=&status=&bytes=&times=&fields= (kind as FaultKindName),
  // account?user=&pwd=, clear (faults and request log), reset, requests (plain
  // text, one request per line). Their own requests are not recorded.
  void EnableControlEndpoints(bool on);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace lumaro::service
