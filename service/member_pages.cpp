// The member console's pages: the welcome and basic information pages, the
// password, the sites (list, add, edit, delete, memo, check), the visitors
// and their export, the chat page, the keyword ranking and queries, the ad
// settings, the recharge and its records, and the member's details.
#include "page_handlers.h"

#include <cctype>
#include <iterator>
#include <sstream>

#include "page_markup.h"
#include "text_util.h"

namespace lumaro::service {

using std::string;

namespace {

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

}  // namespace

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

}  // namespace lumaro::service
