// Runs in this program's script world of every frame. It reports link
// clicks and form submissions (with the submitted fields) just before the
// navigation they cause, the frames' completed loads, and the top
// document's click and keyup events.
(function () {
  'use strict';
  var channel = window.webkit && window.webkit.messageHandlers &&
                window.webkit.messageHandlers.lumaro;
  if (!channel || window.__lumaroHooks) return;
  window.__lumaroHooks = true;
  function post(message) { try { channel.postMessage(message); } catch (e) {} }
  function isTop() { return window === window.top; }
  function formFields(form, submitter) {
    var data;
    try {
      data = submitter ? new FormData(form, submitter) : new FormData(form);
    } catch (e) {
      data = new FormData(form);
      if (submitter && submitter.name) data.append(submitter.name, submitter.value || '');
    }
    var fields = [];
    data.forEach(function (value, name) {
      fields.push([String(name), typeof value === 'string' ? value : (value && value.name) || '']);
    });
    return fields;
  }
  function reportForm(form, submitter) {
    if (!form || form.localName !== 'form') return;
    var has = function (a) {
      return !!(submitter && submitter.hasAttribute && submitter.hasAttribute(a));
    };
    var method = (has('formmethod') ? submitter.formMethod : form.method) || 'get';
    if (method.toLowerCase() === 'dialog') return;
    var action = has('formaction') ? submitter.formAction : form.action;
    var charset = (form.acceptCharset || '').split(/[\s,]+/).filter(Boolean)[0] ||
                  document.characterSet;
    post({k: 'nav', url: String(action), method: method.toUpperCase(), form: true,
          fields: formFields(form, submitter), charset: charset});
  }
  window.addEventListener('submit', function (e) { reportForm(e.target, e.submitter); }, true);
  window.addEventListener('__lumaro_submit', function (e) { reportForm(e.target, null); }, true);
  window.addEventListener('click', function (e) {
    if (e.button !== 0 || !e.target || !e.target.closest) return;
    var link = e.target.closest('a[href], area[href]');
    if (!link || typeof link.href !== 'string' || /^javascript:/i.test(link.href)) return;
    post({k: 'nav', url: link.href, method: 'GET', form: false, fields: null, charset: ''});
  }, true);
  if (isTop()) {
    document.addEventListener('click', function () { post({k: 'click'}); });
    document.addEventListener('keyup', function () { post({k: 'keyup'}); });
  } else {
    window.addEventListener('load', function () { post({k: 'frameload', url: location.href}); });
  }
})();
