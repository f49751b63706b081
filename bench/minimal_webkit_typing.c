/* Baseline for the typing benchmark: a minimal WebKitGTK program showing a
   page whose own script does on every key-up what the member console does
   for the recharge page (read the amount, write it back, show the days and
   the price). It loads the address of its first argument, shows the
   amount's block and puts the focus into the amount box, then appends
   "<us> loaded" when the page is ready and "<us> keyup" each time the page's
   key-up script has run to the file named by its second argument
   (monotonic clock, in microseconds). It stays up until it is killed. */
#include <stdio.h>
#include <webkit2/webkit2.h>

static const char* trace;

static const char* kPageScript =
    "(function () {"
    "  var block = document.getElementById('IDT');"
    "  if (block) block.style.display = 'block';"
    "  var box = document.getElementById('useM');"
    "  if (box) box.focus();"
    "  document.addEventListener('keyup', function () {"
    "    var a = document.activeElement;"
    "    if (a && a.id === 'useM') {"
    "      var x = parseFloat(a.value.replace(/\\s+/g, '')) || 0;"
    "      a.value = String(x);"
    "      document.getElementById('tpd').innerHTML = String(x * 30);"
    "      document.getElementById('idM1').innerHTML = String(x * 30 * 3) + '\\u5143';"
    "      document.getElementById('vm').value = String(x * 30 * 3);"
    "    }"
    "    window.webkit.messageHandlers.trace.postMessage('keyup');"
    "  });"
    "  window.webkit.messageHandlers.trace.postMessage('loaded');"
    "})();";

static void Append(const char* what) {
  FILE* f = fopen(trace, "a");
  if (!f) return;
  fprintf(f, "%" G_GINT64_FORMAT " %s\n", g_get_monotonic_time(), what);
  fclose(f);
}

static void OnMessage(WebKitUserContentManager* manager, WebKitJavascriptResult* result,
                      gpointer data) {
  (void)manager;
  (void)data;
  char* text = jsc_value_to_string(webkit_javascript_result_get_js_value(result));
  Append(text);
  g_free(text);
}

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 3) {
    fprintf(stderr, "usage: minimal_webkit_typing URL TRACE-FILE\n");
    return 2;
  }
  trace = argv[2];
  WebKitUserContentManager* content = webkit_user_content_manager_new();
  g_signal_connect(content, "script-message-received::trace", G_CALLBACK(OnMessage), NULL);
  webkit_user_content_manager_register_script_message_handler(content, "trace");
  WebKitUserScript* script = webkit_user_script_new(
      kPageScript, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_END,
      NULL, NULL);
  webkit_user_content_manager_add_script(content, script);
  webkit_user_script_unref(script);

  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "minimal-webkit-typing");
  gtk_window_set_default_size(GTK_WINDOW(window), 777, 518);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  GtkWidget* view = webkit_web_view_new_with_user_content_manager(content);
  gtk_container_add(GTK_CONTAINER(window), view);
  gtk_widget_show_all(window);
  gtk_widget_grab_focus(view);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
  gtk_main();
  return 0;
}
