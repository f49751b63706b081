// Runs in the page's own world: form.submit() fires no submit event, so the
// page's calls of it announce themselves to the hook script first.
(function () {
  var proto = HTMLFormElement.prototype;
  var original = proto.submit;
  if (!original || original.__lumaro) return;
  var submit = function () {
    try { this.dispatchEvent(new CustomEvent('__lumaro_submit', {bubbles: true})); } catch (e) {}
    return original.apply(this, arguments);
  };
  submit.__lumaro = true;
  proto.submit = submit;
})();
