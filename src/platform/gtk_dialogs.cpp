#include "platform/gtk_dialogs.h"

#include <gtk/gtk.h>

#include <cctype>
#include <cstring>

namespace kumodo {
namespace {

// GTK 3's file chooser keeps the keyboard focus on its location entry once
// a typed path has hidden it, and the next key fails GTK's check that the
// focused widget is realized; the key then goes where it should. Only that
// report is dropped; every other one is written as ever.
void DropHiddenEntryReport(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer data) {
  if (message && std::strstr(message, "WIDGET_REALIZED_FOR_EVENT")) return;
  g_log_default_handler(domain, level, message, data);
}

bool EnsureGtk() {
  static const bool ready = [] {
    g_log_set_handler("Gtk", G_LOG_LEVEL_CRITICAL, DropHiddenEntryReport, nullptr);
    // Without a session bus GTK cannot store its file chooser settings and
    // complains on every change; keep them in memory instead.
    if (!g_getenv("DBUS_SESSION_BUS_ADDRESS")) g_setenv("GSETTINGS_BACKEND", "memory", FALSE);
    return static_cast<bool>(gtk_init_check(nullptr, nullptr));
  }();
  return ready;
}

struct PendingResponse {
  bool done = false;
  int response = GTK_RESPONSE_NONE;
};

// Takes the keyboard once the dialog is on screen: asking earlier is refused
// where no window manager hands the focus out.
gboolean OnMapped(GtkWidget* widget, GdkEvent*, gpointer) {
  gdk_window_focus(gtk_widget_get_window(widget), GDK_CURRENT_TIME);
  return FALSE;
}

// Ctrl+L shows the file chooser's location entry and gives it the focus, but
// GTK realizes it only at its next layout pass: a key typed at once reached
// an unrealized entry and was dropped, so a quickly typed path lost its first
// characters. The entry is realized before the key goes to it.
gboolean OnKeyPress(GtkWidget* widget, GdkEvent*, gpointer) {
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget));
  if (focus && gtk_widget_is_visible(focus) && !gtk_widget_get_realized(focus)) gtk_widget_realize(focus);
  return FALSE;
}

void OnResponse(GtkWidget*, int response, gpointer data) {
  auto* pending = static_cast<PendingResponse*>(data);
  pending->done = true;
  pending->response = response;
}

// Shows the dialog, takes the keyboard focus (also where no window manager
// hands it out) and waits for the answer.
void RunModal(GtkWidget* dialog, PendingResponse& pending) {
  g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &pending);
  g_signal_connect(dialog, "map-event", G_CALLBACK(OnMapped), nullptr);
  g_signal_connect(dialog, "key-press-event", G_CALLBACK(OnKeyPress), nullptr);
  // Closing the window answers Cancel; the dialog is destroyed by its owner.
  g_signal_connect(dialog, "delete-event", G_CALLBACK(gtk_widget_hide_on_delete), nullptr);
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
  // The dialog alone: showing all of a file chooser would show its inner
  // widgets that it keeps hidden and unrealized, and keys sent to them then
  // fail GTK's own checks.
  gtk_widget_show(dialog);
  gtk_window_present(GTK_WINDOW(dialog));
  while (!pending.done) g_main_context_iteration(nullptr, TRUE);
}

}  // namespace

std::string CaseInsensitivePattern(const std::string& pattern) {
  std::string result;
  for (char c : pattern) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      result += '[';
      result += static_cast<char>(std::tolower(u));
      result += static_cast<char>(std::toupper(u));
      result += ']';
    } else {
      result += c;
    }
  }
  return result;
}

// GTK 3's message dialogs show no picture for their kind any more: the
// dialog is built here, with the theme's warning or error picture beside the text.
MessageBoxAnswer RunGtkMessageBox(const std::string& text, const std::string& caption, MessageBoxButtons buttons,
                                  MessageBoxIcon icon) {
  if (!EnsureGtk()) return MessageBoxAnswer::Cancel;
  GtkWidget* dialog = buttons == MessageBoxButtons::Ok
                          ? gtk_dialog_new_with_buttons(caption.c_str(), nullptr, GTK_DIALOG_MODAL, "_OK",
                                                        GTK_RESPONSE_OK, nullptr)
                          : gtk_dialog_new_with_buttons(caption.c_str(), nullptr, GTK_DIALOG_MODAL, "_Cancel",
                                                        GTK_RESPONSE_CANCEL, "_OK", GTK_RESPONSE_OK, nullptr);
  gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
  gtk_container_set_border_width(GTK_CONTAINER(row), 12);
  if (icon != MessageBoxIcon::None) {
    const char* name = icon == MessageBoxIcon::Warning ? "dialog-warning" : "dialog-error";
    gtk_box_pack_start(GTK_BOX(row), gtk_image_new_from_icon_name(name, GTK_ICON_SIZE_DIALOG), FALSE, FALSE, 0);
  }
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
  gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
  gtk_label_set_xalign(GTK_LABEL(label), 0);
  gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
  gtk_box_pack_start(GTK_BOX(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), row, TRUE, TRUE, 0);
  gtk_widget_show_all(row);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
  PendingResponse pending;
  RunModal(dialog, pending);
  gtk_widget_destroy(dialog);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return pending.response == GTK_RESPONSE_OK ? MessageBoxAnswer::Ok : MessageBoxAnswer::Cancel;
}

std::optional<std::string> RunGtkFileChooser(FileChooserAction action,
                                             const std::vector<std::pair<std::string, std::string>>& filters) {
  if (!EnsureGtk()) return std::nullopt;
  const bool save = action == FileChooserAction::Save;
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      nullptr, nullptr, save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
      GTK_RESPONSE_CANCEL, save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* fileChooser = GTK_FILE_CHOOSER(dialog);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  gtk_window_set_default_size(GTK_WINDOW(dialog), 720, 480);
  // The program asks its own overwrite question.
  gtk_file_chooser_set_do_overwrite_confirmation(fileChooser, FALSE);
  for (const auto& [description, patterns] : filters) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, description.c_str());
    std::size_t start = 0;
    while (start <= patterns.size()) {
      std::size_t end = patterns.find(';', start);
      if (end == std::string::npos) end = patterns.size();
      const std::string pattern = patterns.substr(start, end - start);
      if (!pattern.empty()) gtk_file_filter_add_pattern(filter, CaseInsensitivePattern(pattern).c_str());
      start = end + 1;
    }
    gtk_file_chooser_add_filter(fileChooser, filter);
  }
  PendingResponse pending;
  RunModal(dialog, pending);
  std::optional<std::string> chosen;
  if (pending.response == GTK_RESPONSE_ACCEPT) {
    if (gchar* name = gtk_file_chooser_get_filename(fileChooser)) {
      chosen = name;
      g_free(name);
    }
  }
  gtk_widget_destroy(dialog);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  return chosen;
}

}  // namespace kumodo
