// Live totals on the service's recharge page, kept up to date from the
// page's own click and key-release events.
#include <cmath>
#include <exception>
#include <optional>
#include <stdexcept>

#include "core/form_text.h"
#include "core/globals.h"
#include "member/frmAdmin.h"

namespace lumaro {

namespace {

// A product that overflowed stops the handler before it is shown.
double Finite(double value) {
  if (!std::isfinite(value)) throw std::overflow_error("overflow");
  return value;
}

// The number in a field of the page; one too large to hold leaves the page
// as it is.
double FieldNumber(const std::string& text) {
  const std::optional<double> value = ReadLeadingNumber(text);
  if (!value) throw std::overflow_error("overflow");
  return *value;
}

}  // namespace

bool frmAdmin::m_doc_onclick() {
  if (!m_doc) return true;
  try {
    if (LowerCaseText(m_doc->ActiveElementId()) != "tryid") return true;
    // The focused element's own value: the choice is made with radio buttons
    // that share the id, and a lookup by id would find the first of them.
    if (m_doc->ActiveElementValue() == "0") {
      m_doc->SetDisplay("IDT", "none");
      m_doc->SetInnerHtml("idM1", "0元");
      m_doc->SetValue("BTN", "申请试用");
    } else {
      m_doc->SetValue("BTN", "开通");
      m_doc->SetDisplay("IDT", "block");
      const double amount = FieldNumber(m_doc->Value("useM"));
      const double price = Finite(double(gOemUnitPrice) * amount);
      m_doc->SetInnerHtml("idM1", NumberText(price) + "元");
    }
  } catch (const std::exception&) {
    // Not the recharge page, or it changed under us: leave it as it is.
  }
  return true;  // the page's own handling of the click goes on
}

void frmAdmin::m_doc_onkeyup() {
  if (!m_doc) return;
  try {
    if (m_doc->ActiveElementId() != "useM") return;
    const double amount = FieldNumber(m_doc->Value("useM"));
    m_doc->SetValue("useM", NumberText(amount));
    const double days = Finite(amount * 30);
    m_doc->SetInnerHtml("tpd", NumberText(days));
    const double price = Finite(days * double(gOemUnitPrice));
    m_doc->SetInnerHtml("idM1", NumberText(price) + "元");
    m_doc->SetValue("vm", NumberText(price));
  } catch (const std::exception&) {
    // Stops at the first failure; earlier updates stay on the page.
  }
}

}  // namespace lumaro
