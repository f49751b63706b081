/* Baseline for the start-up benchmark: a minimal GTK 3 program that shows an
   empty window of the login window's size. */
#include <gtk/gtk.h>

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  GtkWidget* w = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(w), "minimal-gtk-window");
  gtk_window_set_default_size(GTK_WINDOW(w), 1003, 615);
  g_signal_connect(w, "destroy", G_CALLBACK(gtk_main_quit), NULL);
  gtk_widget_show_all(w);
  gtk_main();
  return 0;
}
