/* Baseline for the console benchmark: a minimal WebKitGTK program. It shows
   an empty window, and a second later (the moment a user would sign in)
   creates a web view in it and loads the address it was given. It appends
   "begin <us>" when it creates the view and "<us> <address>" when the page
   has loaded to the file named by its second argument (monotonic clock, in
   microseconds), then stays up until it is killed. */
#include <stdio.h>
#include <webkit2/webkit2.h>

static const char* url;
static const char* trace;
static GtkWidget* window;

static void Append(const char* line) {
  FILE* f = fopen(trace, "a");
  if (!f) return;
  fputs(line, f);
  fclose(f);
}

static void OnLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
  (void)data;
  if (event != WEBKIT_LOAD_FINISHED) return;
  char line[2048];
  snprintf(line, sizeof line, "%" G_GINT64_FORMAT " %s\n", g_get_monotonic_time(),
           webkit_web_view_get_uri(view));
  Append(line);
}

static gboolean Begin(gpointer data) {
  (void)data;
  char line[64];
  snprintf(line, sizeof line, "begin %" G_GINT64_FORMAT "\n", g_get_monotonic_time());
  Append(line);
  GtkWidget* view = webkit_web_view_new();
  g_signal_connect(view, "load-changed", G_CALLBACK(OnLoadChanged), NULL);
  gtk_container_add(GTK_CONTAINER(window), view);
  gtk_widget_show(view);
  webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), url);
  return G_SOURCE_REMOVE;
}

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  if (argc < 3) {
    fprintf(stderr, "usage: minimal_webkit_page URL TRACE-FILE\n");
    return 2;
  }
  url = argv[1];
  trace = argv[2];
  window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "minimal-webkit-page");
  gtk_window_set_default_size(GTK_WINDOW(window), 1003, 700);
  g_signal_connect(window, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(window);
  g_timeout_add(1000, Begin, NULL);
  gtk_main();
  return 0;
}
