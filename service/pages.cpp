#include "pages.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <sstream>

#include "gbk.h"
#include "text_util.h"

namespace lumaro::service {

// ---------------------------------------------------------------------------
// Request and state helpers

std::string PageRequest::Param(const std::string& name) const {
  for (const auto& [key, value] : params)
    if (EqualsNoCase(key, name)) return value;
  return "";
}

bool PageRequest::Has(const std::string& name) const {
  for (const auto& entry : params)
    if (EqualsNoCase(entry.first, name)) return true;
  return false;
}

namespace {

std::vector<std::string> SplitRecord(const std::string& record) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t at = record.find("@@@", start);
    if (at == std::string::npos) {
      fields.push_back(record.substr(start));
      return fields;
    }
    fields.push_back(record.substr(start, at - start));
    start = at + 3;
  }
}

std::string Now() {
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
  return buf;
}

}  // namespace

void ServiceState::Seed(std::string versionText, std::string record,
                        std::string chatLinkHost) {
  version = std::move(versionText);
  oemRecord = std::move(record);
  chatHost = std::move(chatLinkHost);
  accounts.clear();
  AddAccount("demo", "demo123");
  AddAccount("vyrd", "vyrd123");
  AddAccount("alice", "secret");
  accounts["demo"].qq = "12345678";
  accounts["demo"].email = "demo@example.com";
  accounts["demo"].mobile = "13800138000";
  accounts["demo"].man = "王演示";
  accounts["demo"].company = "演示科技有限公司";
  accounts["vyrd"].qq = "87654321";
  accounts["vyrd"].days = 365;
  accounts["alice"].qq = "11223344";
  accounts["alice"].days = 3;
  sites = {
      {"101", "我的小店", "http://shop.example.cn/", "主站，2026年开通",
       {"网站统计", "访客统计软件", "在线客服"}},
      {"102", "技术博客", "http://blog.example.cn/", "", {}},
  };
  nextSiteId = 103;
  counted.clear();
  opLog = {"2026-12-01 09:30:12  开通帐号 demo",
           "2026-12-03 14:05:47  为 alice 开通 3 天试用",
           "2026-12-05 10:11:02  修改单价为 3 元/天"};
  charges = {"2026-11-20 10:02:11|正式开通 12 个月|1080|已到帐",
             "2026-12-01 16:45:30|申请试用|0|已开通"};
  infos = {{"系统升级通知", "本周六凌晨 2:00-4:00 系统升级维护。"},
           {"新功能上线", "访客详情页支持导出 Excel。"}};
}

std::string ServiceState::OemCode() const {
  auto fields = SplitRecord(oemRecord);
  return fields.size() > 4 ? fields[4] : "";
}

int ServiceState::UnitPrice() const {
  auto fields = SplitRecord(oemRecord);
  if (fields.size() <= 5) return 0;
  return static_cast<int>(std::lround(std::strtod(fields[5].c_str(), nullptr)));
}

Account* ServiceState::FindAccount(const std::string& name) {
  auto it = accounts.find(LowerAscii(name));
  return it == accounts.end() ? nullptr : &it->second;
}

void ServiceState::AddAccount(const std::string& name, const std::string& password) {
  Account& a = accounts[LowerAscii(name)];
  a.name = name;
  a.password = password;
}

Site* ServiceState::FindSite(const std::string& id) {
  for (Site& s : sites)
    if (s.id == id) return &s;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Markup

namespace {

using std::string;

const char* kStyle =
    "<style type=\"text/css\">"
    "body{font:12px \"宋体\",SimSun,\"Noto Sans CJK SC\",sans-serif;margin:10px;"
    "color:#333;background:#fff}"
    "td,th,input,select,textarea{font-size:12px}"
    "table.grid td{white-space:nowrap}"
    "h3{color:#0a3d8f;font-size:14px;border-bottom:2px solid #8fb3e3;"
    "padding-bottom:4px;margin:4px 0 10px}"
    "table.grid{border-collapse:collapse;margin:6px 0}"
    "table.grid td,table.grid th{border:1px solid #a9c4e8;padding:4px 8px}"
    "table.grid th{background:#e4eefb;color:#0a3d8f}"
    "table.form td{padding:4px 6px}"
    "a{color:#0653b6;text-decoration:none}a:hover{text-decoration:underline}"
    ".tip{color:#c00}.note{color:#777}.ok{color:#080;font-weight:bold}"
    "input.btn{background:#2d6fc4;color:#fff;border:1px solid #1c4f92;"
    "padding:2px 10px}"
    "</style>";

string Doc(const string& title, const string& body) {
  return "<html><head>"
         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
         "<title>" + HtmlEscape(title) + "</title>" + kStyle +
         "</head><body>\n" + body + "\n</body></html>";
}

// A page with one message and an optional link back.
string Notice(const string& title, const string& message, const string& backHref = "",
              const string& backText = "返回") {
  string body = "<h3>" + HtmlEscape(title) + "</h3><p class=\"ok\">" +
                HtmlEscape(message) + "</p>";
  if (!backHref.empty())
    body += "<p><a href=\"" + HtmlEscape(backHref) + "\">" + HtmlEscape(backText) + "</a></p>";
  return Doc(title, body);
}

string Input(const string& name, const string& value = "", const string& type = "text",
             const string& extra = "") {
  return "<input type=\"" + type + "\" name=\"" + name + "\" id=\"" + name + "\" value=\"" +
         HtmlEscape(value) + "\"" + (extra.empty() ? "" : " " + extra) + ">";
}

// The id of the first form control (input, select, textarea) in `html`; ""
// when there is none.
string FirstControlId(const string& html) {
  for (size_t at = 0;;) {
    size_t best = string::npos;
    for (const char* tag : {"<input ", "<select ", "<textarea "})
      best = std::min(best, html.find(tag, at));
    if (best == string::npos) return "";
    size_t end = html.find('>', best);
    if (end == string::npos) return "";
    at = end;
    const string tag = html.substr(best, end - best);
    if (tag.find("type=\"hidden\"") != string::npos) continue;  // nothing to label
    size_t id = tag.find(" id=\"");
    if (id == string::npos) return "";
    size_t from = id + 5;
    return tag.substr(from, tag.find('"', from) - from);
  }
}

// A form row: the caption is the label of the row's first control, so that
// screen readers (and the tests, through the accessibility tree) name the
// control after it.
string Row(const string& caption, const string& control) {
  const string id = caption.empty() ? "" : FirstControlId(control);
  const string label = id.empty() ? caption : "<label for=\"" + id + "\">" + caption + "</label>";
  return "<tr><td align=\"right\">" + label + "</td><td>" + control + "</td></tr>\n";
}

string ActionButton(const string& caption, const string& transtype) {
  return "<input type=\"submit\" class=\"btn\" value=\"" + caption +
         "\" onclick=\"this.form.transtype.value='" + transtype + "'\"> ";
}

// Module template choice and the 24 hourly switches shared by the keyword and
// ad forms.
string ScheduleBlock() {
  string s =
      "<p><label for=\"ttype\">投放模板：</label><select name=\"ttype\" id=\"ttype\">"
      "<option value=\"s1\">系统模板一</option>"
      "<option value=\"s2\">系统模板二</option>"
      "<option value=\"c12\">我的模板</option></select></p>"
      "<table class=\"grid\"><tr><th colspan=\"6\">投放时段</th></tr>\n";
  for (int row = 0; row < 4; ++row) {
    s += "<tr>";
    for (int col = 0; col < 6; ++col) {
      int h = row * 6 + col;
      string name = "tmr" + std::to_string(h);
      s += "<td><label for=\"" + name + "\">" + std::to_string(h) + "点</label> <select name=\"" +
           name + "\" id=\"" + name +
           "\"><option value=\"1\">开</option><option value=\"0\">关</option></select></td>";
    }
    s += "</tr>\n";
  }
  return s + "</table>";
}

string ChatLink(const ServiceState& st, const string& qq) {
  return "http://" + st.chatHost + "/msgrd?v=3&uin=" + qq + "&site=qq&menu=yes";
}

int Hash(const string& s) {
  unsigned h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return static_cast<int>(h % 1000);
}

struct Visitor {
  const char* time;
  const char* ip;
  const char* region;
  const char* source;
  const char* keyword;
  const char* page;
  const char* qq;
};

const Visitor kVisitors[] = {
    {"2026-12-10 09:12:33", "61.135.169.121", "北京", "百度搜索", "网站统计软件", "/index.html", "12345678"},
    {"2026-12-10 09:40:05", "113.108.11.52", "广东深圳", "360搜索", "在线客服系统", "/product.html", "23456789"},
    {"2026-12-10 10:03:51", "222.73.134.9", "上海", "直接访问", "", "/", ""},
    {"2026-12-10 10:27:18", "124.160.75.33", "浙江杭州", "搜狗搜索", "访客统计", "/news/12.html", "34567890"},
    {"2026-12-10 11:15:42", "36.110.24.70", "北京", "必应搜索", "流量分析", "/contact.html", "45678901"},
};

struct Ctx {
  ServiceState& st;
  const PageRequest& rq;
  PageReply& rp;
  void Html(const string& html) { rp.body = html; }
  void Text(const string& text) { rp.body = text; }
  Account* Session() { return rq.sessionUser.empty() ? nullptr : st.FindAccount(rq.sessionUser); }
};

// ---------------------------------------------------------------------------
// Start-up, sign-in and registration

void GetVer(Ctx& c) { c.Text(c.st.version); }

void GetOem(Ctx& c) {
  // The record is handed out only for this build's reseller number.
  string expected = Md5Hex(ToGbk(c.st.oemNumber));
  c.Text(c.rq.Param("v") == expected ? c.st.oemRecord : "");
}

void NewLogin(Ctx& c) {
  Account* a = c.st.FindAccount(c.rq.Param("user"));
  string code = c.st.OemCode();
  bool ok = a && a->password == c.rq.Param("pwd") && !code.empty() &&
            c.rq.Param("code") == ResellerToken(code);
  c.Text(ok ? "ok||1||2||3" : "no||0||0||0");
}

void CheckUser(Ctx& c) {
  string name = c.rq.Param("USER");
  c.Text(name.empty() || c.st.FindAccount(name) ? "no" : "yes");
}

void RegistrationForm(Ctx& c) {
  string b =
      "<h3>新用户注册</h3>\n"
      "<form name=\"form1\" method=\"post\" action=\"usersave.asp\">\n" +
      Input("act", "new", "hidden") + Input("lnetType", "", "hidden") +
      Input("luserType", "2", "hidden") + Input("lver", "2", "hidden") +
      Input("lvcode", "", "hidden") + "\n<table class=\"form\">\n" +
      Row("用户名：", Input("lName") + " <span class=\"tip\">*</span>") +
      Row("密码：", Input("lpwd", "", "password") + " <span class=\"tip\">*</span>") +
      Row("QQ号码：", Input("lqq") + " <span class=\"tip\">*</span>") +
      Row("电子邮箱：", Input("lemail") + " <span class=\"tip\">*</span>") +
      Row("手机号码：", Input("lmobile") + " <span class=\"tip\">*</span>") +
      Row("固定电话：", Input("ltel")) + Row("公司名称：", Input("lcompany")) +
      Row("联系人：", Input("lman")) +
      Row("验证码：", Input("lCode", "", "text", "size=\"6\"") + " <span class=\"note\">看不清？换一张</span>") +
      Row("", "<input type=\"submit\" class=\"btn\" value=\"注册\">") + "</table>\n</form>";
  c.Html(Doc("新用户注册", b));
}

void UserSave(Ctx& c) {
  string name = c.rq.Param("lName");
  string pwd = c.rq.Param("lpwd");
  string code = c.st.OemCode();
  // The answer page is read whole by the client: exactly "ok", or a message.
  if (c.rq.Param("act") != "new") return c.Text("参数错误，注册失败!");
  if (code.empty() || c.rq.Param("lvcode") != ResellerToken(code))
    return c.Text("代理商校验失败，注册失败，请与客服联系!");
  if (name.empty()) return c.Text("用户名不能为空!");
  if (c.st.FindAccount(name)) return c.Text("该用户名已被注册，请换一个用户名!");
  if (pwd.empty()) return c.Text("密码不能为空!");
  c.st.AddAccount(name, pwd);
  Account* a = c.st.FindAccount(name);
  a->qq = c.rq.Param("lqq");
  a->email = c.rq.Param("lemail");
  a->mobile = c.rq.Param("lmobile");
  a->man = c.rq.Param("lman");
  a->company = c.rq.Param("lcompany");
  a->days = 7;
  c.Text("ok");
}

// ---------------------------------------------------------------------------
// Member console

void Welcome(Ctx& c) {
  string name = c.rq.Param("uName");
  c.rp.headers.emplace_back("Set-Cookie",
                            string(kSessionCookie) + "=" + PercentEncode(name) + "; path=/");
  Account* a = c.st.FindAccount(name);
  string b = "<h3>欢迎您，" + HtmlEscape(name) + "！</h3>\n";
  if (a) {
    b += "<table class=\"grid\"><tr><th>帐号</th><th>剩余天数</th><th>网站数</th><th>今日访客</th></tr>"
         "<tr><td>" + HtmlEscape(a->name) + "</td><td>" + std::to_string(a->days) + "</td><td>" +
         std::to_string(c.st.sites.size()) + "</td><td>" + std::to_string(std::size(kVisitors)) +
         "</td></tr></table>\n";
  }
  b += "<p>最近访客：</p><table class=\"grid\"><tr><th>时间</th><th>地区</th><th>来源</th><th>关键词</th></tr>";
  for (const Visitor& v : kVisitors)
    b += string("<tr><td>") + v.time + "</td><td>" + v.region + "</td><td>" + v.source +
         "</td><td>" + v.keyword + "</td></tr>";
  b += "</table>\n<p class=\"note\">公告：";
  for (const auto& info : c.st.infos) b += HtmlEscape(info.first) + "　";
  b += "</p>";
  c.Html(Doc("欢迎界面", b));
}

void Base(Ctx& c) {
  Account* a = c.Session();
  string b = "<h3>基本信息</h3>\n<table class=\"grid\">";
  if (a) {
    b += "<tr><th>帐号</th><td>" + HtmlEscape(a->name) + "</td></tr>" +
         "<tr><th>QQ</th><td>" + HtmlEscape(a->qq) + "</td></tr>" +
         "<tr><th>邮箱</th><td>" + HtmlEscape(a->email) + "</td></tr>" +
         "<tr><th>手机</th><td>" + HtmlEscape(a->mobile) + "</td></tr>" +
         "<tr><th>剩余天数</th><td>" + std::to_string(a->days) + "</td></tr>";
  }
  b += "<tr><th>服务单价</th><td>" + std::to_string(c.st.UnitPrice()) + " 元/天</td></tr></table>\n"
       "<p>常用功能：<a href=\"addword.asp?types=1\">关键词查询</a> | "
       "<a href=\"addword.asp?types=3\">引导词查询</a> | "
       "<a href=\"listword.asp?id=101\">关键词排名</a> | "
       "<a href=\"addAD.asp\">广告设置</a></p>";
  c.Html(Doc("基本信息", b));
}

void ChangePwd(Ctx& c) {
  string b = "<h3>密码修改</h3>\n<form name=\"form1\" method=\"post\" action=\"savepwd.asp\">"
             "<table class=\"form\">" +
             Row("原始密码：", Input("oldpwd", "", "password")) +
             Row("新密码：", Input("newpwd1", "", "password")) +
             Row("确认密码：", Input("newpwd2", "", "password")) +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"修改\">") + "</table></form>";
  c.Html(Doc("密码修改", b));
}

void SavePwd(Ctx& c) {
  Account* a = c.Session();
  string back = "changePwd.asp";
  if (!a) return c.Html(Notice("密码修改", "登录已超时，请重新登录后再修改密码！"));
  string oldPwd = c.rq.Param("oldpwd"), p1 = c.rq.Param("newpwd1"), p2 = c.rq.Param("newpwd2");
  if (p1.empty() || p1 != p2) return c.Html(Notice("密码修改", "两次输入的新密码不一致！", back));
  if (oldPwd != a->password) return c.Html(Notice("密码修改", "原始密码不正确！", back));
  a->password = p1;
  c.Html(Notice("密码修改", "密码修改成功！"));
}

void SiteList(Ctx& c) {
  string b = "<h3>网站访客</h3>\n<table class=\"grid\"><tr><th>编号</th><th>网站名称</th>"
             "<th>网址</th><th>操作</th></tr>\n";
  for (const Site& s : c.st.sites) {
    string id = HtmlEscape(s.id);
    b += "<tr><td>" + id + "</td><td>" + HtmlEscape(s.name) + "</td><td>" + HtmlEscape(s.url) +
         "</td><td><a href=\"viewqq.asp?id=" + id + "\">查看访客</a> | "
         "<a href=\"checkcode.asp?id=" + id + "\">代码检测</a> | "
         "<a href=\"viewmemo.asp?id=" + id + "\">备注</a> | "
         "<a href=\"listword.asp?id=" + id + "\">关键词排名</a> | "
         "<a href=\"editnet.asp?id=" + id + "\">修改</a> | "
         "<a href=\"docheck.asp?id=" + id + "\">审核</a> | "
         "<a href=\"delnet.asp?id=" + id + "\">删除</a></td></tr>\n";
  }
  if (c.st.sites.empty()) b += "<tr><td colspan=\"4\">您还没有添加网站</td></tr>";
  b += "</table>\n<p class=\"note\">统计代码：&lt;script src=\"" + c.rq.baseUrl +
       "count.asp?id=网站编号\"&gt;&lt;/script&gt;</p>\n"
       "<form name=\"form1\" method=\"post\" action=\"saveadd2.asp\"><table class=\"form\">" +
       Row("网站名称：", Input("n")) + Row("网站网址：", Input("u", "http://")) +
       Row("", "<input type=\"submit\" class=\"btn\" value=\"添加网站\">") + "</table></form>";
  c.Html(Doc("网站访客", b));
}

void EditSite(Ctx& c) {
  Site* s = c.st.FindSite(c.rq.Param("id"));
  if (!s) return c.Html(Notice("修改网站", "该网站不存在！", "Mananet.asp", "返回网站列表"));
  string b = "<h3>修改网站</h3>\n<form name=\"form1\" method=\"post\" action=\"savenet.asp\">" +
             Input("id", s->id, "hidden") + "<table class=\"form\">" +
             Row("网站名称：", Input("n", s->name)) + Row("网站网址：", Input("u", s->url)) +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"保存\">") + "</table></form>";
  c.Html(Doc("修改网站", b));
}

void AddSite(Ctx& c) {
  string n = c.rq.Param("n"), u = c.rq.Param("u");
  if (n.empty() || u.empty()) return c.Html(Notice("添加网站", "网站名称和网址不能为空！", "Mananet.asp"));
  string id = std::to_string(c.st.nextSiteId++);
  c.st.sites.push_back({id, n, u, "", {}});
  c.Html(Notice("添加网站", "网站添加成功！编号：" + id, "Mananet.asp", "返回网站列表"));
}

void SaveSite(Ctx& c) {
  Site* s = c.st.FindSite(c.rq.Param("id"));
  if (!s) return c.Html(Notice("修改网站", "该网站不存在！", "Mananet.asp", "返回网站列表"));
  if (!c.rq.Param("n").empty()) s->name = c.rq.Param("n");
  if (!c.rq.Param("u").empty()) s->url = c.rq.Param("u");
  c.Html(Notice("修改网站", "网站资料已修改！", "Mananet.asp", "返回网站列表"));
}

void DeleteSite(Ctx& c) {
  string id = c.rq.Param("id");
  for (auto it = c.st.sites.begin(); it != c.st.sites.end(); ++it) {
    if (it->id == id) {
      string name = it->name;
      c.st.sites.erase(it);
      return c.Html(Notice("删除网站", "网站“" + name + "”已删除。", "Mananet.asp", "返回网站列表"));
    }
  }
  c.Html(Notice("删除网站", "该网站不存在！", "Mananet.asp", "返回网站列表"));
}

void ViewMemo(Ctx& c) {
  Site* s = c.st.FindSite(c.rq.Param("id"));
  string b = "<h3>网站备注</h3>";
  if (!s) {
    b += "<p>没有找到该网站。</p>";
  } else {
    b += "<table class=\"grid\"><tr><th>网站名称</th><td>" + HtmlEscape(s->name) +
         "</td></tr><tr><th>网址</th><td>" + HtmlEscape(s->url) + "</td></tr><tr><th>备注</th><td>" +
         (s->memo.empty() ? string("（无）") : HtmlEscape(s->memo)) + "</td></tr></table>";
  }
  c.Html(Doc("查看详情", b));
}

void CheckCodePage(Ctx& c) {
  c.Html(Notice("代码检测", "请在客户端中检测网站编号 " + c.rq.Param("id") + " 的统计代码。",
                "Mananet.asp", "返回网站列表"));
}

void DoCheck(Ctx& c) {
  c.Html(Notice("网站审核", "审核请求已提交，请耐心等待。", "Mananet.asp", "返回网站列表"));
}

void VisitorPage(Ctx& c) {
  string id = c.rq.Param("id");
  Site* s = c.st.FindSite(id);
  string title = s ? s->name : "网站 " + id;
  string b = "<h3>访客详情：" + HtmlEscape(title) + "</h3>\n<p><a href=\"exportxls.asp?id=" +
             PercentEncode(id) + "&amp;types=1\">导出到Excel</a></p>\n"
             "<table class=\"grid\"><tr><th>时间</th><th>IP</th><th>地区</th><th>来源</th>"
             "<th>关键词</th><th>受访页面</th><th>QQ</th></tr>\n";
  for (const Visitor& v : kVisitors) {
    string qq = *v.qq ? "<a href=\"" + HtmlEscape(ChatLink(c.st, v.qq)) + "\">" + v.qq + " 交谈</a>"
                      : string("无");
    b += string("<tr><td>") + v.time + "</td><td>" + v.ip + "</td><td>" + v.region + "</td><td>" +
         v.source + "</td><td>" + v.keyword + "</td><td>" + v.page + "</td><td>" + qq +
         "</td></tr>\n";
  }
  c.Html(Doc("访客详情", b + "</table>"));
}

void ExportXls(Ctx& c) {
  string id = c.rq.Param("id");
  string safe;
  for (char ch : id)
    if (std::isalnum(static_cast<unsigned char>(ch))) safe.push_back(ch);
  c.rp.contentType = "application/vnd.ms-excel; charset=gb2312";
  c.rp.headers.emplace_back("Content-Disposition",
                            "attachment; filename=\"visitors_" + (safe.empty() ? "0" : safe) + ".xls\"");
  string csv = "时间,IP,地区,来源,关键词,受访页面,QQ\r\n";
  for (const Visitor& v : kVisitors)
    csv += string(v.time) + "," + v.ip + "," + v.region + "," + v.source + "," + v.keyword + "," +
           v.page + "," + v.qq + "\r\n";
  c.Text(csv);
}

void ChatPage(Ctx& c) {
  string b = "<h3>QQ在线交谈</h3><p>正在打开与 " + HtmlEscape(c.rq.Param("uin")) +
             " 的会话……</p><script type=\"text/javascript\">"
             "setTimeout(function(){window.close();},800);</script>";
  c.Html(Doc("QQ交谈", b));
}

void KeywordList(Ctx& c) {
  Site* s = c.st.FindSite(c.rq.Param("id"));
  string b = "<h3>关键词排名" + (s ? "：" + HtmlEscape(s->name) : string()) + "</h3>\n"
             "<form name=\"form1\" method=\"post\" action=\"uppos.asp\">";
  if (!s || s->keywords.empty()) {
    b += "<p>该网站暂无关键词。</p>";
  } else {
    b += "<table class=\"grid\"><tr><th>选择</th><th>关键词</th><th>百度排名</th></tr>";
    for (size_t i = 0; i < s->keywords.size(); ++i)
      b += "<tr><td><input type=\"checkbox\" name=\"id\" value=\"" + std::to_string(i + 1) +
           "\"></td><td>" + HtmlEscape(s->keywords[i]) + "</td><td>第 " +
           std::to_string(Hash(s->keywords[i]) % 50 + 1) + " 位</td></tr>";
    b += "</table>";
  }
  b += "<input type=\"submit\" class=\"btn\" value=\"更新排名\"></form>";
  c.Html(Doc("关键词排名", b));
}

void UpPos(Ctx& c) { c.Html(Notice("关键词排名", "排名已更新。")); }

void KeywordForm(Ctx& c) {
  string types = c.rq.Param("types");
  bool keyword = types == "1" || types == "2";
  string b = string("<h3>") + (keyword ? "关键词查询" : "引导词查询") + "</h3>\n"
             "<form name=\"form1\" method=\"post\" action=\"saveword.asp\">" +
             Input("transtype", "3", "hidden") + Input("types", types, "hidden") +
             "<table class=\"form\">";
  if (keyword) {
    b += Row("关键字：", Input("q") + " <span class=\"note\">不超过20个字</span>");
  } else {
    b += Row("引导词：", Input("q") + " <span class=\"note\">不超过20个字</span>") +
         Row("目标词：", Input("q2") + " <span class=\"note\">不超过20个字</span>");
  }
  b += "</table>" + ScheduleBlock() + "<p>" + ActionButton("查询", "3") + ActionButton("测试", "2") +
       ActionButton("停止", "1") + ActionButton("保存模板", "5") + ActionButton("删除模板", "4") +
       "</p></form>";
  c.Html(Doc("关键词查询", b));
}

void SaveWord(Ctx& c) {
  string t = c.rq.Param("transtype");
  string q = c.rq.Param("q"), q2 = c.rq.Param("q2");
  if (t == "4") return c.Html(Notice("关键词查询", "模板已删除。"));
  if (t == "5") return c.Html(Notice("关键词查询", "模板已保存。"));
  if (t == "1") return c.Html(Notice("关键词查询", "查询已停止。"));
  if (t == "2") return c.Html(Notice("关键词查询", "测试完成。"));
  string b = "<h3>查询结果</h3><table class=\"grid\"><tr><th>词</th><th>百度排名</th><th>收录</th></tr>";
  for (const string& w : {q, q2}) {
    if (w.empty()) continue;
    b += "<tr><td>" + HtmlEscape(w) + "</td><td>第 " + std::to_string(Hash(w) % 50 + 1) +
         " 位</td><td>" + std::to_string(Hash(w + "#") * 37 + 120) + "</td></tr>";
  }
  c.Html(Doc("查询结果", b + "</table>"));
}

void AdForm(Ctx& c) {
  string b = "<h3>广告设置</h3>\n<form name=\"form1\" method=\"post\" action=\"savead.asp\">" +
             Input("transtype", "3", "hidden") + Input("types", "1", "hidden") +
             "<table class=\"form\">" + Row("来路：", Input("q", "", "text", "size=\"40\"")) +
             Row("目标网页：", Input("q2", "", "text", "size=\"40\"")) +
             Row("广告脚本：", "<textarea name=\"urls\" id=\"urls\" rows=\"4\" cols=\"50\"></textarea>") +
             "</table>" + ScheduleBlock() + "<p>" + ActionButton("保存", "3") +
             ActionButton("测试", "2") + ActionButton("保存模板", "5") +
             ActionButton("删除模板", "4") + "</p></form>";
  c.Html(Doc("广告设置", b));
}

void SaveAd(Ctx& c) {
  string t = c.rq.Param("transtype");
  if (t == "4") return c.Html(Notice("广告设置", "模板已删除。", "addAD.asp"));
  if (t == "5") return c.Html(Notice("广告设置", "模板已保存。", "addAD.asp"));
  if (t == "2") return c.Html(Notice("广告设置", "测试完成。", "addAD.asp"));
  c.Html(Notice("广告设置", "广告设置已保存！", "addAD.asp"));
}

void Ok(Ctx& c) { c.Text("ok"); }

void PayPage(Ctx& c) {
  string b =
      "<h3>在线充值</h3>\n<form name=\"form1\" method=\"post\" action=\"savepay.asp\">"
      "<table class=\"form\">" +
      Row("开通方式：",
          "<select name=\"tryID\" id=\"tryID\"><option value=\"0\" selected>免费试用</option>"
          "<option value=\"1\">正式开通</option></select>") +
      "</table>\n<div id=\"IDT\" style=\"display:none\"><table class=\"form\">" +
      Row("购买月数：", Input("useM", "1", "text", "size=\"6\"") +
                            " 个月（共 <span id=\"tpd\">30</span> 天）") +
      "</table></div>\n<table class=\"form\">" +
      Row("单价：", std::to_string(c.st.UnitPrice()) + " 元/天") +
      Row("应付金额：", "<span id=\"idM1\">0元</span>" + Input("vm", "0", "hidden")) +
      Row("", "<input type=\"submit\" class=\"btn\" name=\"BTN\" id=\"BTN\" value=\"申请试用\">") +
      "</table></form>";
  c.Html(Doc("在线充值", b));
}

void SavePay(Ctx& c) {
  bool trial = c.rq.Param("tryID") == "0";
  string what = trial ? "申请试用" : "正式开通 " + c.rq.Param("useM") + " 个月";
  string money = trial ? "0" : c.rq.Param("vm");
  c.st.charges.push_back(Now() + "|" + what + "|" + money + "|待审核");
  c.Html(Notice("在线充值", trial ? "试用申请已提交，审核后即可使用！"
                                 : "充值申请已提交，金额 " + money + " 元，请等待审核。",
                "listCharge.asp?t=0", "查看充值记录"));
}

void ChargeList(Ctx& c) {
  string b = "<h3>充值记录</h3><table class=\"grid\"><tr><th>时间</th><th>内容</th><th>金额(元)</th><th>状态</th></tr>";
  for (const string& line : c.st.charges) {
    std::stringstream ss(line);
    string cell;
    b += "<tr>";
    while (std::getline(ss, cell, '|')) b += "<td>" + HtmlEscape(cell) + "</td>";
    b += "</tr>";
  }
  c.Html(Doc("充值记录", b + "</table>"));
}

void MemberDetails(Ctx& c) {
  Account* a = c.Session();
  Account none;
  const Account& x = a ? *a : none;
  string b = "<h3>修改用户信息</h3>\n<form name=\"form1\" method=\"post\" action=\"saveuser.asp\">"
             "<table class=\"form\">" +
             Row("帐号：", HtmlEscape(x.name)) + Row("QQ号码：", Input("lqq", x.qq)) +
             Row("电子邮箱：", Input("lemail", x.email)) + Row("手机号码：", Input("lmobile", x.mobile)) +
             Row("联系人：", Input("lman", x.man)) + Row("公司名称：", Input("lcompany", x.company)) +
             Row("", "<input type=\"submit\" class=\"btn\" value=\"保存\">") + "</table></form>";
  c.Html(Doc("修改用户信息", b));
}

void SaveUser(Ctx& c) {
  Account* a = c.Session();
  if (!a) return c.Html(Notice("修改用户信息", "登录已超时，请重新登录！"));
  a->qq = c.rq.Param("lqq");
  a->email = c.rq.Param("lemail");
  a->mobile = c.rq.Param("lmobile");
  a->man = c.rq.Param("lman");
  a->company = c.rq.Param("lcompany");
  c.Html(Notice("修改用户信息", "资料修改成功！"));
}

// ---------------------------------------------------------------------------
// Site check

void GetNet(Ctx& c) { c.Text(c.rq.baseUrl + "site/" + PercentEncode(c.rq.Param("id")) + ".html"); }

void QueryFlag(Ctx& c) { c.Text(c.st.counted.count(c.rq.Param("id")) ? "ok" : "no"); }

void Count(Ctx& c) {
  c.st.counted.insert(c.rq.Param("id"));
  c.rp.contentType = "application/x-javascript; charset=gb2312";
  c.Text("/* counted */");
}

void SitePage(Ctx& c, const string& id) {
  Site* s = c.st.FindSite(id);
  string b = "<h3>" + HtmlEscape(s ? s->name : "网站 " + id) + "</h3><p>欢迎光临本站！</p>"
             "<script type=\"text/javascript\" src=\"" + c.rq.baseUrl + "count.asp?id=" +
             PercentEncode(id) + "\"></script>";
  c.Html(Doc(s ? s->name : "网站", b));
}

void Download(Ctx& c, const string& file) {
  c.rp.contentType = "application/x-rar-compressed";
  c.rp.headers.emplace_back("Content-Disposition", "attachment; filename=\"" + file + "\"");
  c.rp.binary = true;
  c.rp.body = string("Rar!\x1a\x07\x00", 7) + "Lumaro update package (stand-in)\n";
}

// ---------------------------------------------------------------------------
// Agent console

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

void Index(Ctx& c) {
  c.Html(Doc("Lumaro 统计服务", "<h3>Lumaro 网站访客统计服务（本地替身）</h3>"
                                "<p><a href=\"Mananet.asp\">网站访客</a> | "
                                "<a href=\"edituser.asp\">新用户注册</a></p>"));
}

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
