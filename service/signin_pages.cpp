// The pages of the start-up and the sign-in: the version, the reseller
// record, the update package, the sign-in check, the registration form and
// its answer, and the service's front page.
#include "page_handlers.h"

#include "gbk.h"
#include "page_markup.h"

namespace lumaro::service {

using std::string;

void GetVer(Ctx& c) { c.Text(c.st.version); }

void GetOem(Ctx& c) {
  // The record is handed out only for this build's reseller number.
  string expected = Md5Hex(ToGbk(c.st.oemNumber));
  c.Text(c.rq.Param("v") == expected ? c.st.oemRecord : "");
}

void Download(Ctx& c, const string& file) {
  c.rp.contentType = "application/x-rar-compressed";
  c.rp.headers.emplace_back("Content-Disposition", "attachment; filename=\"" + file + "\"");
  c.rp.binary = true;
  c.rp.body = string("Rar!\x1a\x07\x00", 7) + "Lumaro update package (stand-in)\n";
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

void Index(Ctx& c) {
  c.Html(Doc("Lumaro 统计服务", "<h3>Lumaro 网站访客统计服务（本地替身）</h3>"
                                "<p><a href=\"Mananet.asp\">网站访客</a> | "
                                "<a href=\"edituser.asp\">新用户注册</a></p>"));
}

}  // namespace lumaro::service
