// The agent console's pages: the welcome page, the operation log, opening
// accounts, the agents, the members with their details and days, the agent
// settings, the notices, and the version the clients are told.
#include "page_handlers.h"

#include <cstdlib>

#include "page_markup.h"
#include "text_util.h"

namespace lumaro::service {

using std::string;

namespace {

string AccountForm(const string& title, const string& action) {
  return Doc(title, "<h3>" + title + "</h3>\n<form name=\"form1\" method=\"post\" action=\"" + action +
                        "\"><table class=\"form\">" + Row("用户名：", Input("lname")) +
                        Row("密码：", Input("lPWD1", "", "password")) +
                        Row("确认密码：", Input("lPWD2", "", "password")) +
                        Row("手机号码：", Input("lmobile")) + Row("QQ号码：", Input("lqq")) +
                        Row("联系人：", Input("lman")) +
                        Row("", "<input type=\"submit\" class=\"btn\" value=\"开通\">") +
                        "</table></form>");
}

}  // namespace

void AgentWelcome(Ctx& c) {
  string b = "<h3>欢迎使用代理平台</h3><table class=\"grid\"><tr><th>会员数</th><th>网站数</th>"
             "<th>单价</th></tr><tr><td>" + std::to_string(c.st.accounts.size()) + "</td><td>" +
             std::to_string(c.st.sites.size()) + "</td><td>" + std::to_string(c.st.UnitPrice()) +
             " 元/天</td></tr></table>";
  c.Html(Doc("代理平台", b));
}

void OpLog(Ctx& c) {
  string b = "<h3>操作日志</h3><table class=\"grid\"><tr><th>记录</th></tr>";
  for (const string& line : c.st.opLog) b += "<tr><td>" + HtmlEscape(line) + "</td></tr>";
  c.Html(Doc("操作日志", b + "</table>"));
}

void AddAccountPage(Ctx& c) { c.Html(AccountForm("开通代理", "saveacount.asp")); }
void AddPayAccountPage(Ctx& c) { c.Html(AccountForm("开通付费帐号", "savepayacount.asp")); }

void SaveAccount(Ctx& c) {
  string name = c.rq.Param("lname"), p1 = c.rq.Param("lPWD1");
  if (name.empty() || p1.empty()) return c.Html(Notice("开通帐号", "用户名和密码不能为空！"));
  if (p1 != c.rq.Param("lPWD2")) return c.Html(Notice("开通帐号", "两次输入的密码不一致！"));
  if (c.st.FindAccount(name)) return c.Html(Notice("开通帐号", "该帐号已存在！"));
  c.st.AddAccount(name, p1);
  Account* a = c.st.FindAccount(name);
  a->mobile = c.rq.Param("lmobile");
  a->qq = c.rq.Param("lqq");
  a->man = c.rq.Param("lman");
  c.st.opLog.push_back(Now() + "  开通帐号 " + name);
  c.Html(Notice("开通帐号", "帐号 " + name + " 开通成功！", "manaClient.asp?t=0", "访客管理"));
}

void AgentList(Ctx& c) {
  string b = "<h3>代理管理</h3><table class=\"grid\"><tr><th>代理</th><th>联系人</th><th>单价</th>"
             "<th>操作</th></tr>"
             "<tr><td>agent01</td><td>李代理</td><td>3 元/天</td><td>"
             "<a href=\"setproxy.asp?id=1\">设置</a> | <a href=\"clientpay.asp?id=1\">开通天数</a></td></tr>"
             "<tr><td>agent02</td><td>赵代理</td><td>4 元/天</td><td>"
             "<a href=\"setproxy.asp?id=2\">设置</a> | <a href=\"clientpay.asp?id=2\">开通天数</a></td></tr>"
             "</table><p><a href=\"payacount.asp\">开通付费帐号</a></p>";
  c.Html(Doc("代理管理", b));
}

void ClientList(Ctx& c) {
  string b = "<h3>访客管理</h3><table class=\"grid\"><tr><th>帐号</th><th>QQ</th><th>手机</th>"
             "<th>剩余天数</th><th>操作</th></tr>\n";
  for (const auto& [key, a] : c.st.accounts) {
    string user = PercentEncode(a.name);
    string qq = a.qq.empty() ? string("无")
                             : "<a href=\"" + HtmlEscape(ChatLink(c.st, a.qq)) + "\">" +
                                   HtmlEscape(a.qq) + "</a>";
    b += "<tr><td>" + HtmlEscape(a.name) + "</td><td>" + qq + "</td><td>" + HtmlEscape(a.mobile) +
         "</td><td>" + std::to_string(a.days) + "</td><td><a href=\"clientpay.asp?user=" + user +
         "\">开通天数</a> | <a href=\"viewclient.asp?user=" + user +
         "\" target=\"_blank\">详细</a></td></tr>\n";
  }
  c.Html(Doc("访客管理", b + "</table>"));
}

void ClientDetails(Ctx& c) {
  Account* a = c.st.FindAccount(c.rq.Param("user"));
  if (!a) return c.Html(Notice("详细信息", "没有找到该帐号。"));
  string b = "<h3>详细信息：" + HtmlEscape(a->name) + "</h3><table class=\"grid\">"
             "<tr><th>QQ</th><td>" + HtmlEscape(a->qq) + "</td></tr><tr><th>邮箱</th><td>" +
             HtmlEscape(a->email) + "</td></tr><tr><th>手机</th><td>" + HtmlEscape(a->mobile) +
             "</td></tr><tr><th>联系人</th><td>" + HtmlEscape(a->man) +
             "</td></tr><tr><th>剩余天数</th><td>" + std::to_string(a->days) + "</td></tr></table>";
  c.Html(Doc("详细信息", b));
}

void ClientPayPage(Ctx& c) {
  string b = "<h3>开通天数</h3><form name=\"form1\" method=\"post\" action=\"saveclientpay.asp\">" +
             Input("user", c.rq.Param("user"), "hidden") + Input("pid", c.rq.Param("id"), "hidden") +
             "<table class=\"form\">" + Row("开通天数：", Input("num", "", "text", "size=\"6\"")) +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"开通\">") + "</table></form>";
  c.Html(Doc("开通天数", b));
}

void SaveClientPay(Ctx& c) {
  string num = c.rq.Param("num");
  char* end = nullptr;
  long days = std::strtol(num.c_str(), &end, 10);
  if (num.empty() || *end != '\0') return c.Html(Notice("开通天数", "请输入数字!"));
  if (Account* a = c.st.FindAccount(c.rq.Param("user"))) a->days += static_cast<int>(days);
  c.st.opLog.push_back(Now() + "  开通 " + num + " 天 " + c.rq.Param("user"));
  c.Html(Notice("开通天数", "开通成功！", "manaClient.asp?t=0", "访客管理"));
}

void SetProxyPage(Ctx& c) {
  string b = "<h3>代理设置</h3><form name=\"form1\" method=\"post\" action=\"saveset.asp\">" +
             Input("pid", c.rq.Param("id"), "hidden") + "<table class=\"form\">" +
             Row("单价(元/天)：", Input("price", "3", "text", "size=\"6\"")) +
             Row("试用天数：", Input("num", "7", "text", "size=\"6\"")) +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"保存\">") + "</table></form>";
  c.Html(Doc("代理设置", b));
}

void SaveSet(Ctx& c) {
  c.st.opLog.push_back(Now() + "  设置单价 " + c.rq.Param("price") + " 元/天，试用 " +
                       c.rq.Param("num") + " 天");
  c.Html(Notice("代理设置", "设置成功！", "manaproxy.asp?t=0", "代理管理"));
}

void AddInfoPage(Ctx& c) {
  string b = "<h3>新增信息</h3><form name=\"form1\" method=\"post\" action=\"saveinfo.asp\">"
             "<table class=\"form\">" + Row("标题：", Input("title", "", "text", "size=\"40\"")) +
             Row("内容：", "<textarea name=\"content\" id=\"content\" rows=\"5\" cols=\"50\"></textarea>") +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"发布\">") + "</table></form>";
  c.Html(Doc("新增信息", b));
}

void InfoList(Ctx& c) {
  string b = "<h3>管理信息</h3><table class=\"grid\"><tr><th>标题</th><th>内容</th></tr>";
  for (const auto& [title, content] : c.st.infos)
    b += "<tr><td>" + HtmlEscape(title) + "</td><td>" + HtmlEscape(content) + "</td></tr>";
  c.Html(Doc("管理信息", b + "</table>"));
}

void SaveInfo(Ctx& c) {
  if (c.rq.Param("title").empty()) return c.Html(Notice("新增信息", "标题不能为空！", "addinfo.asp"));
  c.st.infos.emplace_back(c.rq.Param("title"), c.rq.Param("content"));
  c.Html(Notice("新增信息", "信息已发布。", "manainfo.asp?t=0", "管理信息"));
}

void SetVer(Ctx& c) {
  string ver = c.rq.Param("ver");
  if (ver.empty()) return c.Text("error");
  c.st.version = ver;
  c.st.opLog.push_back(Now() + "  版本设定为 " + ver);
  c.Text("ok");
}

}  // namespace lumaro::service
