// The stand-in's page handlers, grouped by the file that holds them, and the
// context each one takes. Internal to the pages: page_routes.cpp maps the
// page names to them.
#pragma once

#include <string>

#include "pages.h"

namespace lumaro::service {

// One request being answered: the state, the request and the reply the
// handler fills in.
struct Ctx {
  ServiceState& st;
  const PageRequest& rq;
  PageReply& rp;
  void Html(const std::string& html) { rp.body = html; }
  void Text(const std::string& text) { rp.body = text; }
  Account* Session() { return rq.sessionUser.empty() ? nullptr : st.FindAccount(rq.sessionUser); }
};

// signin_pages.cpp: start-up, sign-in and registration.
void Index(Ctx& c);
void GetVer(Ctx& c);
void GetOem(Ctx& c);
// The update package "1/<file>" that the update window downloads.
void Download(Ctx& c, const std::string& file);
void NewLogin(Ctx& c);
void CheckUser(Ctx& c);
void RegistrationForm(Ctx& c);
void UserSave(Ctx& c);

// member_pages.cpp: the member console.
void Welcome(Ctx& c);
void Base(Ctx& c);
void ChangePwd(Ctx& c);
void SavePwd(Ctx& c);
void SiteList(Ctx& c);
void EditSite(Ctx& c);
void AddSite(Ctx& c);
void SaveSite(Ctx& c);
void DeleteSite(Ctx& c);
void ViewMemo(Ctx& c);
void CheckCodePage(Ctx& c);
void DoCheck(Ctx& c);
void VisitorPage(Ctx& c);
void ExportXls(Ctx& c);
void ChatPage(Ctx& c);
void KeywordList(Ctx& c);
void UpPos(Ctx& c);
void KeywordForm(Ctx& c);
void SaveWord(Ctx& c);
void AdForm(Ctx& c);
void SaveAd(Ctx& c);
void Ok(Ctx& c);
void PayPage(Ctx& c);
void SavePay(Ctx& c);
void ChargeList(Ctx& c);
void MemberDetails(Ctx& c);
void SaveUser(Ctx& c);

// site_check_pages.cpp: the site check.
void GetNet(Ctx& c);
void QueryFlag(Ctx& c);
void Count(Ctx& c);
// The page "site/<id>.html" of a member's site, with its counting script.
void SitePage(Ctx& c, const std::string& id);

// agent_pages.cpp: the agent console.
void AgentWelcome(Ctx& c);
void OpLog(Ctx& c);
void AddAccountPage(Ctx& c);
void AddPayAccountPage(Ctx& c);
void SaveAccount(Ctx& c);
void AgentList(Ctx& c);
void ClientList(Ctx& c);
void ClientDetails(Ctx& c);
void ClientPayPage(Ctx& c);
void SaveClientPay(Ctx& c);
void SetProxyPage(Ctx& c);
void SaveSet(Ctx& c);
void AddInfoPage(Ctx& c);
void InfoList(Ctx& c);
void SaveInfo(Ctx& c);
void SetVer(Ctx& c);

}  // namespace lumaro::service
