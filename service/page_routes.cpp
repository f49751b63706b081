// Which handler answers which page: the table of page names, the pages whose
// names carry a value (a site's page, the update package) or share a name
// (the registration form and the member's details), and the lookup of a
// request's parameters.
#include "pages.h"

#include <map>

#include "page_handlers.h"
#include "text_util.h"

namespace lumaro::service {

using std::string;

std::string PageRequest::Param(const std::string& name) const {
  return ParamOrEmpty(params, name);
}

bool PageRequest::Has(const std::string& name) const { return FindParam(params, name); }

namespace {

using Handler = void (*)(Ctx&);

const std::map<string, Handler>& Handlers() {
  static const std::map<string, Handler> handlers = {
      {"", Index},
      {"getver.asp", GetVer},
      {"getoem.asp", GetOem},
      {"newlogin.asp", NewLogin},
      {"checkuser.asp", CheckUser},
      {"usersave.asp", UserSave},
      {"default.asp", Welcome},
      {"base.asp", Base},
      {"changepwd.asp", ChangePwd},
      {"savepwd.asp", SavePwd},
      {"mananet.asp", SiteList},
      {"editnet.asp", EditSite},
      {"saveadd2.asp", AddSite},
      {"savenet.asp", SaveSite},
      {"delnet.asp", DeleteSite},
      {"viewmemo.asp", ViewMemo},
      {"checkcode.asp", CheckCodePage},
      {"docheck.asp", DoCheck},
      {"viewqq.asp", VisitorPage},
      {"exportxls.asp", ExportXls},
      {"msgrd", ChatPage},
      {"listword.asp", KeywordList},
      {"uppos.asp", UpPos},
      {"addword.asp", KeywordForm},
      {"saveword.asp", SaveWord},
      {"addad.asp", AdForm},
      {"savead.asp", SaveAd},
      {"savemodule.asp", Ok},
      {"delmodule.asp", Ok},
      {"hand.asp", Ok},
      {"pay.asp", PayPage},
      {"savepay.asp", SavePay},
      {"listcharge.asp", ChargeList},
      {"saveuser.asp", SaveUser},
      {"getnet.asp", GetNet},
      {"queryflag.asp", QueryFlag},
      {"count.asp", Count},
      {"proxydefault.asp", AgentWelcome},
      {"listlog.asp", OpLog},
      {"addacount.asp", AddAccountPage},
      {"payacount.asp", AddPayAccountPage},
      {"saveacount.asp", SaveAccount},
      {"savepayacount.asp", SaveAccount},
      {"manaproxy.asp", AgentList},
      {"manaclient.asp", ClientList},
      {"viewclient.asp", ClientDetails},
      {"clientpay.asp", ClientPayPage},
      {"saveclientpay.asp", SaveClientPay},
      {"setproxy.asp", SetProxyPage},
      {"saveset.asp", SaveSet},
      {"addinfo.asp", AddInfoPage},
      {"manainfo.asp", InfoList},
      {"saveinfo.asp", SaveInfo},
      {"setver.asp", SetVer},
  };
  return handlers;
}

bool EndsWith(const string& s, const string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

bool ServePage(ServiceState& state, const PageRequest& request, PageReply& reply) {
  Ctx c{state, request, reply};
  const string& page = request.page;
  // "edituser.asp" (the registration form, loaded without a stamp) and
  // "editUser.asp?t=..." (the member's details) are one name to a
  // case-insensitive server: the stamp tells them apart.
  if (page == "edituser.asp") {
    if (request.Has("t"))
      MemberDetails(c);
    else
      RegistrationForm(c);
    return true;
  }
  if (page.rfind("site/", 0) == 0 && EndsWith(page, ".html")) {
    SitePage(c, request.path.substr(5, request.path.size() - 10));
    return true;
  }
  if (page.rfind("1/", 0) == 0 && EndsWith(page, ".rar") && page.find('/', 2) == string::npos) {
    Download(c, request.path.substr(2));
    return true;
  }
  auto it = Handlers().find(page);
  if (it == Handlers().end()) return false;
  it->second(c);
  return true;
}

}  // namespace lumaro::service
